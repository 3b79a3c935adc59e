#pragma once
// KORVEX.EXE's message boxes: caption "词库编辑器", owned by the window that asks.
#include <windows.h>

#include <string>

namespace korvex {

extern const char* const kProgramTitle;  // "词库编辑器"

int ShowMessage(HWND owner, const std::string& text, UINT flags);

}  // namespace korvex
