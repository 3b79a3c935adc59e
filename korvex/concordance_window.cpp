#include "korvex/concordance_window.h"

#include <algorithm>

#include "korvex/korvex_messages.h"
#include "korvex/list_columns.h"
#include "lexicon/base/diagnostics.h"
#include "lexicon/base/escapes.h"
#include "lexicon/wordlist/word_list.h"
#include "win/gbk.h"
#include "win/handles.h"
#include "win/wait_cursor.h"

namespace korvex {

namespace {

// Characters shown before the word when it stands further in than that: the list cuts a
// long text at its end, and the word must stay in sight.
constexpr int kShownBefore = 8;
constexpr int kCutAfter = 24;
const COLORREF kMarkColour = RGB(255, 226, 110);

// A text as KORVEX's list shows it (the word list's escapes), with the word's place.
struct Shown {
    std::wstring text;
    int from = -1;
    int to = -1;
};

Shown ShowText(std::string_view text, std::size_t at, std::size_t length) {
    const auto escaped = [](std::string_view t) { return lexicon::escape_text(t, lexicon::EscapeFor::Translation); };
    Shown shown;
    shown.text = win::GbkToWide(escaped(text));
    if (at == lexicon::ConcordanceHit::none || at + length > text.size()) return shown;
    // A blank at the end of a part would be escaped as one at the end of a text: the "x"
    // keeps each part's escapes as they are inside the whole text.
    const auto width_of = [&](std::size_t bytes) {
        std::string part = escaped(std::string(text.substr(0, bytes)) + "x");
        part.pop_back();
        return static_cast<int>(win::GbkToWide(part).size());
    };
    shown.from = std::min(width_of(at), static_cast<int>(shown.text.size()));
    shown.to = std::min(std::max(shown.from, width_of(at + length)), static_cast<int>(shown.text.size()));
    if (shown.from > kCutAfter) {
        const int cut = shown.from - kShownBefore;
        shown.text = L"…" + shown.text.substr(static_cast<std::size_t>(cut));
        shown.from -= cut - 1;
        shown.to -= cut - 1;
    }
    return shown;
}

bool CopyToClipboard(HWND owner, const std::wstring& text) {
    if (!::OpenClipboard(owner)) return false;
    bool copied = false;
    if (::EmptyClipboard()) {
        const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
        if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes)) {
            if (void* at = ::GlobalLock(memory)) {
                std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<wchar_t*>(at));
                ::GlobalUnlock(memory);
                // The clipboard owns the memory once it took it.
                copied = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
            }
            if (!copied) ::GlobalFree(memory);
        }
    }
    ::CloseClipboard();
    return copied;
}

}  // namespace

TConcordanceWindow::TConcordanceWindow(Host host) : host_(std::move(host)) {}

void TConcordanceWindow::Show(HWND owner) {
    if (!ShowOver(owner, IDD_CONCORDANCE)) return;
    ::SetFocus(WordBox());
    ::SendMessageW(WordBox(), EM_SETSEL, 0, -1);
}

void TConcordanceWindow::OnInit() {
    list_ = ::GetDlgItem(hwnd(), IDC_CONCORDANCE_LIST);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
    RECT rect{};
    ::GetClientRect(list_, &rect);
    const int text_width = (rect.right - 110 - ::GetSystemMetrics(SM_CXVSCROLL)) / 2;
    AddListColumns(list_, {{L"词库", 110}, {L"原文", text_width}, {L"译文", text_width}});
    ::CheckRadioButton(hwnd(), IDC_CONCORDANCE_ORIGINALS, IDC_CONCORDANCE_BOTH, IDC_CONCORDANCE_BOTH);
    AnchorControl(IDC_CONCORDANCE_WORD, Left | Top | Right);
    AnchorControl(IDOK, Top | Right);
    AnchorControl(IDC_CONCORDANCE_LIST, Left | Top | Right | Bottom);
    AnchorControl(IDC_CONCORDANCE_STATUS, Left | Right | Bottom);
    AnchorControl(IDC_CONCORDANCE_PUT, Right | Bottom);
    AnchorControl(IDC_CONCORDANCE_COPY, Right | Bottom);
    AnchorControl(IDCANCEL, Right | Bottom);
    SetStatus("输入词语后按 Enter。查找记忆库中所有词库的原文或译文（英文字母不分大小写）。");
}

lexicon::ConcordanceScope TConcordanceWindow::Scope() const {
    if (::IsDlgButtonChecked(hwnd(), IDC_CONCORDANCE_ORIGINALS) == BST_CHECKED)
        return lexicon::ConcordanceScope::Originals;
    if (::IsDlgButtonChecked(hwnd(), IDC_CONCORDANCE_TRANSLATIONS) == BST_CHECKED)
        return lexicon::ConcordanceScope::Translations;
    return lexicon::ConcordanceScope::Both;
}

void TConcordanceWindow::SetStatus(const std::string& text) {
    ::SetDlgItemTextW(hwnd(), IDC_CONCORDANCE_STATUS, win::GbkToWide(text).c_str());
}

std::string TConcordanceWindow::StatusText() const {
    wchar_t text[1024] = {};
    ::GetDlgItemTextW(hwnd(), IDC_CONCORDANCE_STATUS, text, 1024);
    return win::WideToGbk(text);
}

void TConcordanceWindow::Search() {
    const int n = ::GetWindowTextLengthW(WordBox());
    std::wstring wide(static_cast<std::size_t>(n) + 1, L'\0');
    wide.resize(static_cast<std::size_t>(::GetWindowTextW(WordBox(), wide.data(), n + 1)));
    bool lossy = false;
    const std::string word = win::WideToGbk(wide, &lossy);

    result_ = {};
    rows_.clear();
    ListView_SetItemCountEx(list_, 0, 0);
    if (word.empty()) {
        SetStatus("请输入要查找的词语。");
        return;
    }
    if (lossy) {
        SetStatus("词语中有 GBK 没有的字符，词库里不会有它。");
        return;
    }
    std::string folder;
    lexicon::Diagnostics diagnostics;
    const lexicon::Memory* memory = nullptr;
    {
        const win::WaitCursor wait;
        memory = host_.memory(folder, diagnostics);
        if (memory) result_ = lexicon::find_in_memory(*memory, word, Scope(), kMostRows);
    }
    if (!memory) {
        SetStatus(
            "没有记忆库：先打开一个词库（记忆库是它所在的文件夹里所有的词库），或在有 LIB 文件夹的文件夹中启动。");
        return;
    }
    rows_.reserve(result_.hits.size());
    for (const lexicon::ConcordanceHit& hit : result_.hits) {
        Row row;
        row.cells[0].text = win::GbkToWide(hit.source);
        const Shown original = ShowText(hit.original, hit.in_original, result_.length);
        const Shown translation = ShowText(hit.translation, hit.in_translation, result_.length);
        row.cells[1] = {original.text, original.from, original.to};
        row.cells[2] = {translation.text, translation.from, translation.to};
        rows_.push_back(std::move(row));
    }
    ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), 0);
    if (!rows_.empty()) ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    std::string status = result_.total == 0 ? lexicon::cat("记忆库（", memory->files(), " 个词库，", memory->entries(),
                                                           " 个条目）中没有找到“", word, "”。")
                         : result_.total > rows_.size()
                             ? lexicon::cat("找到 ", result_.total, " 个条目，列出了最短的 ", rows_.size(), " 个。")
                             : lexicon::cat("在 ", memory->files(), " 个词库中找到 ", result_.total, " 个条目。");
    if (!diagnostics.listed().empty()) status += "（" + diagnostics.listed().front().text + "）";
    SetStatus(status);
}

std::string TConcordanceWindow::SelectedTranslation() const {
    const int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (row < 0 || static_cast<std::size_t>(row) >= result_.hits.size()) return {};
    return result_.hits[static_cast<std::size_t>(row)].translation;
}

bool TConcordanceWindow::ApplySelected() {
    const int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (row < 0 || static_cast<std::size_t>(row) >= result_.hits.size()) return false;
    const std::string translation = SelectedTranslation();
    const std::string shown = lexicon::escape_text(translation, lexicon::EscapeFor::Translation);
    if (host_.put(translation)) {
        SetStatus("已把译文“" + shown + "”放入选定的条目（可以撤销）。");
    } else if (CopyToClipboard(hwnd(), win::GbkToWide(translation))) {
        SetStatus("词库编辑器中没有选定一个条目：译文“" + shown + "”已复制到剪贴板。");
    } else {
        SetStatus("词库编辑器中没有选定一个条目，译文也无法复制到剪贴板。");
    }
    return true;
}

bool TConcordanceWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        // Enter: in the list it takes the row, anywhere else it searches.
        case IDOK:
            if (::GetFocus() == list_) {
                ApplySelected();
            } else {
                Search();
            }
            result = TRUE;
            return true;
        case IDC_CONCORDANCE_ORIGINALS:
        case IDC_CONCORDANCE_TRANSLATIONS:
        case IDC_CONCORDANCE_BOTH:
            if (HIWORD(wParam) == BN_CLICKED && ::GetWindowTextLengthW(WordBox()) > 0) Search();
            result = TRUE;
            return true;
        case IDC_CONCORDANCE_PUT:
            ApplySelected();
            result = TRUE;
            return true;
        case IDC_CONCORDANCE_COPY: {
            const std::string translation = SelectedTranslation();
            if (!translation.empty() && CopyToClipboard(hwnd(), win::GbkToWide(translation))) {
                SetStatus("译文“" + lexicon::escape_text(translation, lexicon::EscapeFor::Translation) +
                          "”已复制到剪贴板。");
            }
            result = TRUE;
            return true;
        }
        }
        return false;
    case WM_NOTIFY: {
        const LRESULT answer = OnNotify(reinterpret_cast<NMHDR*>(lParam));
        SetResult(answer);
        result = TRUE;
        return true;
    }
    }
    return false;
}

LRESULT TConcordanceWindow::OnNotify(NMHDR* header) {
    if (header->hwndFrom != list_) return 0;
    switch (header->code) {
    case LVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        if (!(info->item.mask & LVIF_TEXT) || info->item.iItem < 0 ||
            static_cast<std::size_t>(info->item.iItem) >= rows_.size() || info->item.iSubItem < 0 ||
            info->item.iSubItem > 2)
            return 0;
        Cell& cell = rows_[static_cast<std::size_t>(info->item.iItem)].cells[info->item.iSubItem];
        info->item.pszText = cell.text.data();
        return 0;
    }
    case NM_CUSTOMDRAW:
        return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    case NM_DBLCLK:
    case NM_RETURN:
        ApplySelected();
        return 0;
    }
    return 0;
}

// The word is marked in its cell: such a cell is drawn here in three parts, the rest by
// the list itself.
LRESULT TConcordanceWindow::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        break;
    default:
        return CDRF_DODEFAULT;
    }
    const std::size_t item = draw->nmcd.dwItemSpec;
    const int column = draw->iSubItem;
    if (item >= rows_.size() || column < 1 || column > 2) return CDRF_DODEFAULT;
    const Cell& cell = rows_[item].cells[column];
    if (cell.from < 0 || cell.to <= cell.from) return CDRF_DODEFAULT;
    HDC dc = draw->nmcd.hdc;
    RECT rect{};
    ListView_GetSubItemRect(list_, static_cast<int>(item), column, LVIR_BOUNDS, &rect);
    const bool selected = (ListView_GetItemState(list_, static_cast<int>(item), LVIS_SELECTED) & LVIS_SELECTED) != 0;
    const bool focused = ::GetFocus() == list_;
    const int back = selected ? (focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE) : COLOR_WINDOW;
    const int fore = selected && focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT;
    ::FillRect(dc, &rect, ::GetSysColorBrush(back));
    RECT text = rect;
    text.left += 6;
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(dc, ::GetSysColor(fore));
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    const std::wstring_view whole(cell.text);
    const std::wstring_view parts[] = {
        whole.substr(0, static_cast<std::size_t>(cell.from)),
        whole.substr(static_cast<std::size_t>(cell.from), static_cast<std::size_t>(cell.to - cell.from)),
        whole.substr(static_cast<std::size_t>(cell.to))};
    for (int i = 0; i < 3 && text.left < text.right; ++i) {
        if (parts[i].empty()) continue;
        SIZE size{};
        ::GetTextExtentPoint32W(dc, parts[i].data(), static_cast<int>(parts[i].size()), &size);
        if (i == 1) {
            RECT mark{text.left, rect.top + 1, std::min(text.right, text.left + size.cx), rect.bottom - 1};
            const win::Brush marker(::CreateSolidBrush(kMarkColour));
            ::FillRect(dc, &mark, marker.get());
            ::SetTextColor(dc, RGB(0, 0, 0));
        } else {
            ::SetTextColor(dc, ::GetSysColor(fore));
        }
        ::DrawTextW(dc, parts[i].data(), static_cast<int>(parts[i].size()), &text,
                    format | (i == 2 ? DT_END_ELLIPSIS : 0));
        text.left += size.cx;
    }
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
    return CDRF_SKIPDEFAULT;
}

}  // namespace korvex
