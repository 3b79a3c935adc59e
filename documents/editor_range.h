#pragma once
// Reads part of a version-1 rich edit control's text without copying the rest.
#include <windows.h>

#include <string>

namespace documents {

// The GBK bytes of the control positions [from, to): a double-byte character is one
// position, CR and LF one each. Read line by line (EM_GETLINE), because under Wine
// the control's range and selection reads cut Chinese text short.
std::string EditorCharacters(HWND editor, int from, int to);

}  // namespace documents
