#pragma once
// Starts a program with WinExec from a short-lived thread of its own. WinExec waits
// until the started program is idle for input (up to about 30 s); a program that
// opens a box first (the help viewer asking for a missing file) would hold the
// caller's thread that long. Nobody looks at the result, so nobody waits for it.
#include <windows.h>

namespace win {

// Returns at once; false only when the thread could not be started (then nothing ran).
bool WinExecDetached(const char* commandLine, UINT showFlag);

}  // namespace win
