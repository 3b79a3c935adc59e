#pragma once
// Why a file operation failed, in words a user reads: the system's error code in plain
// Chinese (GBK).
#include <windows.h>

#include <string>

namespace win {

// The common file faults (a full disk, access denied, a file in use by another program,
// a write-protected disk, a missing folder, ...) in the program's own words; any other
// code in the system's words followed by the code, or the code alone when the system
// has no text for it. No full stop at the end.
std::string SystemErrorText(DWORD code);

}  // namespace win
