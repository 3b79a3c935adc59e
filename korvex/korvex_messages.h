#pragma once
// KORVEX.EXE's message boxes: caption "词库编辑器", owned by the window that asks.
#include <windows.h>

#include <string>
#include <string_view>

namespace korvex {

extern const char* const kProgramTitle;  // "词库编辑器"

int ShowMessage(HWND owner, const std::string& text, UINT flags);

// How many of the compiler's messages one message box lists.
constexpr std::size_t kMessagesShown = 20;

// A text in Chinese quotation marks, its control characters shown as escapes.
std::string Quoted(std::string_view text);

}  // namespace korvex
