#pragma once
// Starts a program with WinExec from a short-lived thread of its own. WinExec waits
// until the started program is idle for input (up to about 30 s); a program that
// opens a box first (the help viewer asking for a missing file) would hold the
// caller's thread that long, so the caller never waits for it.
#include <windows.h>

#include <string>
#include <vector>

namespace win {

// Tries the command lines in turn until one starts. When none starts, posts
// `failedMessage` to `notify` (when given) with WinExec's last result (a code below 32)
// as wParam: the window then says why, on its own thread. Returns at once; false only
// when the thread could not be started (then nothing ran).
bool WinExecDetached(std::vector<std::string> commandLines, UINT showFlag, HWND notify = nullptr,
                     UINT failedMessage = 0);

// Why WinExec could not start a program, from its result, in plain Chinese.
std::string WinExecFailureText(UINT result);

}  // namespace win
