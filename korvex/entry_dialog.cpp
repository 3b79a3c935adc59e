#include "korvex/entry_dialog.h"

#include "korvex/korvex_messages.h"
#include "korvex/resource_ids.h"
#include "lexicon/base/diagnostics.h"
#include "lexicon/wordlist/entry_edit.h"
#include "win/gbk.h"

namespace korvex {

bool ReadGbkField(HWND dialog, int id, const char* name, std::string& text) {
    HWND field = ::GetDlgItem(dialog, id);
    std::wstring wide(static_cast<std::size_t>(::GetWindowTextLengthW(field)) + 1, L'\0');
    wide.resize(static_cast<std::size_t>(::GetWindowTextW(field, wide.data(), static_cast<int>(wide.size()))));
    bool lossy = false;
    text = win::WideToGbk(wide, &lossy);
    if (lossy) {
        ShowMessage(dialog, std::string(name) + "中有不能用 GBK 编码表示的字符，词库只能保存 GBK 文字。", MB_ICONSTOP);
        ::SetFocus(field);
        return false;
    }
    return true;
}

void SetGbkField(HWND dialog, int id, const std::string& text) {
    ::SetDlgItemTextW(dialog, id, win::GbkToWide(text).c_str());
}

TEntryDialog::TEntryDialog(std::string caption, std::string original, std::string translation, Accept accept)
    : caption_(std::move(caption)),
      original_(std::move(original)),
      translation_(std::move(translation)),
      accept_(std::move(accept)) {}

bool TEntryDialog::ShowModal(HWND owner) { return Run(owner, IDD_ENTRY); }

void TEntryDialog::OnInit(HWND dialog) {
    ::SetWindowTextW(dialog, win::GbkToWide(caption_).c_str());
    for (const int id : {IDC_ORIGINAL, IDC_TRANSLATION}) {
        // Typing may go on as far as pasting can: the library's limit is the compiler's
        // to report, with its own message.
        ::SendDlgItemMessageW(dialog, id, EM_SETLIMITTEXT, 0, 0);
    }
    SetGbkField(dialog, IDC_ORIGINAL, lexicon::field_lines(original_));
    SetGbkField(dialog, IDC_TRANSLATION, lexicon::field_lines(translation_));
    // A long text opens at its first line, the caret there: the dialog manager selects
    // the whole of the field it focuses, which scrolls a text of many lines to its end.
    // Posted, so that this comes after the focus.
    for (const int id : {IDC_ORIGINAL, IDC_TRANSLATION}) {
        ::PostMessageW(::GetDlgItem(dialog, id), EM_SETSEL, 0, 0);
        ::PostMessageW(::GetDlgItem(dialog, id), EM_SCROLLCARET, 0, 0);
    }

    RECT client;
    ::GetClientRect(dialog, &client);
    client_ = {client.right, client.bottom};
    RECT window;
    ::GetWindowRect(dialog, &window);
    smallest_ = {window.right - window.left, window.bottom - window.top};
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        placed_.push_back({child, ::GetDlgCtrlID(child), r});
    }
    ShowWarnings(dialog);
}

void TEntryDialog::ShowWarnings(HWND dialog) {
    const auto field = [dialog](int id) {
        HWND control = ::GetDlgItem(dialog, id);
        std::wstring wide(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
        wide.resize(static_cast<std::size_t>(::GetWindowTextW(control, wide.data(), static_cast<int>(wide.size()))));
        return lexicon::join_field_lines(win::WideToGbk(wide));
    };
    const std::string original = field(IDC_ORIGINAL);
    const std::string translation = field(IDC_TRANSLATION);
    std::string text;
    if (!original.empty() && !translation.empty()) {
        lexicon::Diagnostics diagnostics;
        lexicon::check_entry_fields(original, translation, diagnostics);
        constexpr std::size_t shown = 2;
        const auto& listed = diagnostics.listed();
        for (std::size_t i = 0; i < listed.size() && i < shown; ++i) {
            if (!text.empty()) text += "\r\n";
            text += lexicon::cat(lexicon::is_warning(listed[i].code) ? "警告 " : "错误 ",
                                 lexicon::code_name(listed[i].code), ": ", listed[i].text);
        }
        const std::size_t all = diagnostics.errors() + diagnostics.warnings();
        if (all > shown) text += lexicon::cat("（另有 ", all - shown, " 条）");
    }
    ::SetDlgItemTextW(dialog, IDC_ENTRY_WARNINGS, win::GbkToWide(text).c_str());
}

void TEntryDialog::OnOk(HWND dialog) {
    std::string original, translation;
    if (!ReadGbkField(dialog, IDC_ORIGINAL, "原文", original)) return;
    if (!ReadGbkField(dialog, IDC_TRANSLATION, "译文", translation)) return;
    if (accept_(dialog, lexicon::join_field_lines(original), lexicon::join_field_lines(translation))) {
        ::EndDialog(dialog, IDOK);
    }
}

bool TEntryDialog::OnMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (msg == WM_COMMAND && HIWORD(wParam) == EN_CHANGE &&
        (LOWORD(wParam) == IDC_ORIGINAL || LOWORD(wParam) == IDC_TRANSLATION) && !placed_.empty()) {
        ShowWarnings(dialog);
        return false;
    }
    if (msg == WM_GETMINMAXINFO && smallest_.cx > 0) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {smallest_.cx, smallest_.cy};
        result = 0;
        return true;
    }
    if (msg == WM_SIZE && !placed_.empty()) {
        Layout(dialog, LOWORD(lParam), HIWORD(lParam));
        result = 0;
        return true;
    }
    return false;
}

// The two fields share what the dialog grows by, one above the other, and widen with
// it; the translation's label moves down with the translation, the notes and the buttons
// stay at the bottom, the buttons at the right.
void TEntryDialog::Layout(HWND dialog, int width, int height) {
    const int dx = width - client_.cx;
    const int dy = height - client_.cy;
    const int upper = dy / 2;
    for (const Placed& p : placed_) {
        RECT r = p.rect;
        switch (p.id) {
        case IDC_ORIGINAL:
            r.right += dx;
            r.bottom += upper;
            break;
        case IDC_TRANSLATION:
            r.right += dx;
            ::OffsetRect(&r, 0, upper);
            r.bottom += dy - upper;
            break;
        case IDC_TRANSLATION_LABEL:
            ::OffsetRect(&r, 0, upper);
            break;
        case IDC_ENTRY_WARNINGS:
            ::OffsetRect(&r, 0, dy);
            r.right += dx;
            break;
        case IDC_ENTRY_NOTES:
            ::OffsetRect(&r, 0, dy);
            r.right += dx;
            break;
        case IDOK:
        case IDCANCEL:
            ::OffsetRect(&r, dx, dy);
            break;
        default:
            break;
        }
        ::SetWindowPos(p.control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::InvalidateRect(dialog, nullptr, TRUE);
}

}  // namespace korvex
