#include "korvex/korvex_messages.h"

#include "lexicon/base/diagnostics.h"

namespace korvex {

const char* const kProgramTitle = "词库编辑器";

int ShowMessage(HWND owner, const std::string& text, UINT flags) {
    return ::MessageBoxA(owner, text.c_str(), kProgramTitle, flags);
}

std::string Quoted(std::string_view text) { return "“" + std::string(lexicon::shown(text)) + "”"; }

std::string MessageLine(const lexicon::Diagnostic& d) {
    return std::string(lexicon::is_warning(d.code) ? "警告 " : "错误 ") + lexicon::code_name(d.code) + ": " + d.text;
}

// A list of the compiler's messages, cut to what a message box can show.
std::string MessageList(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < kMessagesShown; ++i) text += lines[i] + "\r\n";
    if (lines.size() > kMessagesShown) text += lexicon::cat("……另有 ", lines.size() - kMessagesShown, " 条\r\n");
    return text;
}

}  // namespace korvex
