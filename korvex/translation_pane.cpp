#include "korvex/translation_pane.h"

#include <algorithm>

#include "lexicon/base/escapes.h"
#include "lexicon/wordlist/entry_edit.h"
#include "win/gbk.h"

namespace korvex {

TranslationPane::TranslationPane(HWND parent, int first, HFONT font) : first_(first) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    const auto id = [first](int n) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(first + n)); };
    originalLabel_ = ::CreateWindowExW(0, L"STATIC", L"原文：", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, id(0),
                                       instance, nullptr);
    original_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0,
                                  0, 0, 0, parent, id(1), instance, nullptr);
    translationLabel_ = ::CreateWindowExW(0, L"STATIC", L"译文(&Y):", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, id(2),
                                          instance, nullptr);
    // A Unicode edit: Chinese typed into an ANSI one arrives as question marks on Wine.
    // Enter starts a new line, as in the entry dialog; Ctrl+Enter is the form's.
    translation_ = ::CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, 0, 0, 0, 0,
        parent, id(3), instance, nullptr);
    checks_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 0, 0, 0, 0, parent, id(4),
                                instance, nullptr);
    for (HWND control : {originalLabel_, original_, translationLabel_, translation_, checks_}) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

bool TranslationPane::Contains(HWND window) const { return window && (window == original_ || window == translation_); }

void TranslationPane::Move(int x, int y, int width, int height) {
    const int label = 18, checks = 20;
    const int boxes = std::max(0, height - 2 * label - checks);
    const int originalHeight = boxes * 2 / 5;
    int top = y;
    ::MoveWindow(originalLabel_, x, top, width, label, TRUE);
    top += label;
    ::MoveWindow(original_, x, top, width, originalHeight, TRUE);
    top += originalHeight;
    ::MoveWindow(translationLabel_, x, top, width, label, TRUE);
    top += label;
    ::MoveWindow(translation_, x, top, width, boxes - originalHeight, TRUE);
    top += boxes - originalHeight;
    ::MoveWindow(checks_, x, top, width, checks, TRUE);
}

void TranslationPane::Show(std::string_view original, std::string_view translation) {
    originalField_ = lexicon::escape_text(original, lexicon::EscapeFor::Translation);
    ::SetWindowTextW(original_, win::GbkToWide(lexicon::field_lines(originalField_)).c_str());
    ::SetWindowTextW(
        translation_,
        win::GbkToWide(lexicon::field_lines(lexicon::escape_text(translation, lexicon::EscapeFor::Translation)))
            .c_str());
    ::SendMessageW(translation_, EM_SETMODIFY, FALSE, 0);
    ::EnableWindow(translation_, TRUE);
}

void TranslationPane::Clear() {
    originalField_.clear();
    ::SetWindowTextW(original_, L"");
    ::SetWindowTextW(translation_, L"");
    ::SendMessageW(translation_, EM_SETMODIFY, FALSE, 0);
    ::SetWindowTextW(checks_, L"");
}

bool TranslationPane::Modified() const { return ::SendMessageW(translation_, EM_GETMODIFY, 0, 0) != 0; }

std::string TranslationPane::TranslationField() const {
    const int n = ::GetWindowTextLengthW(translation_);
    std::wstring wide(static_cast<std::size_t>(n) + 1, L'\0');
    wide.resize(static_cast<std::size_t>(::GetWindowTextW(translation_, wide.data(), n + 1)));
    return lexicon::join_field_lines(win::WideToGbk(wide));
}

void TranslationPane::ShowChecks(const std::string& text) { ::SetWindowTextW(checks_, win::GbkToWide(text).c_str()); }

}  // namespace korvex
