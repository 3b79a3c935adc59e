#pragma once
// KORVEX.EXE's message boxes: caption "词库编辑器", owned by the window that asks.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "lexicon/base/diagnostics.h"

namespace korvex {

extern const char* const kProgramTitle;  // "词库编辑器"

int ShowMessage(HWND owner, const std::string& text, UINT flags);

// How many of the compiler's messages one message box lists.
constexpr std::size_t kMessagesShown = 20;

// A text in Chinese quotation marks, its control characters shown as escapes.
std::string Quoted(std::string_view text);

// "警告 W201: …" or "错误 E103: …".
std::string MessageLine(const lexicon::Diagnostic& d);

// A list of the compiler's messages, cut to what a message box can show.
std::string MessageList(const std::vector<std::string>& lines);

}  // namespace korvex
