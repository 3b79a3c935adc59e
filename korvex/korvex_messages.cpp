#include "korvex/korvex_messages.h"

#include "lexicon/base/diagnostics.h"

namespace korvex {

const char* const kProgramTitle = "词库编辑器";

int ShowMessage(HWND owner, const std::string& text, UINT flags) {
    return ::MessageBoxA(owner, text.c_str(), kProgramTitle, flags);
}

std::string Quoted(std::string_view text) { return "“" + std::string(lexicon::shown(text)) + "”"; }

}  // namespace korvex
