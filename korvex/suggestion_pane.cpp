#include "korvex/suggestion_pane.h"

#include "korvex/list_columns.h"
#include "lexicon/base/diagnostics.h"
#include "lexicon/base/escapes.h"
#include "lexicon/wordlist/word_list.h"
#include "win/gbk.h"

namespace korvex {

namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        // A GBK trail byte compared as it is: only ASCII letters fold.
        if (static_cast<unsigned char>(a[i]) >= 0x81 && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

SuggestionPane::SuggestionPane(HWND parent, int id, HFONT font, MemorySource& memory, Apply apply)
    : apply_(std::move(apply)), memory_(memory) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    // WS_CLIPCHILDREN: new rows invalidate the list only; without it every selection
    // repainted the column header too, most of the pane's painting time under Wine.
    list_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | LVS_REPORT | LVS_OWNERDATA |
                                  LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                              0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
    AddListColumns(list_, {{L"得分", 52}, {L"记忆库中的译文", 260}, {L"词库", 120}, {L"记忆库中的原文", 260}});
}

void SuggestionPane::Move(int x, int y, int width, int height) { ::MoveWindow(list_, x, y, width, height, TRUE); }

void SuggestionPane::SetFolder(const std::string& folder) { folder_ = folder; }

void SuggestionPane::Clear() {
    rows_.clear();
    cells_.clear();
    ListView_SetItemCountEx(list_, 0, 0);
}

void SuggestionPane::Show(std::string_view original, std::string_view translation, const std::string& self) {
    if (folder_.empty()) {
        Clear();
        return;
    }
    // The rows are replaced below with one change of the list's count, not emptied first:
    // each change of the count is a round of work for the list.
    rows_.clear();
    cells_.clear();
    LARGE_INTEGER frequency{}, begin{}, end{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&begin);
    // A library that cannot be read now is simply not asked: the pane has no room for
    // messages, and the next selection tries again.
    lexicon::Diagnostics ignored;
    lexicon::Memory* memory = memory_.Refreshed(folder_, ignored);
    if (!memory) {
        Clear();
        return;
    }
    for (lexicon::MemorySuggestion& s : memory->suggest(original, {6, 70})) {
        // The entry itself, as the library on disk holds it, tells nothing new, also when
        // other libraries hold the same pair, and whatever case the library's name was
        // opened with ("common.lib" on the command line is the folder's "common.LIB").
        if (s.exact && s.stored_translation == translation && SameName(s.source, self)) continue;
        if (rows_.size() < 5) rows_.push_back(std::move(s));
    }
    ::QueryPerformanceCounter(&end);
    lastMs_ = static_cast<double>(end.QuadPart - begin.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    // A virtual list: the cells are made once here and handed out as the list asks,
    // so filling it is one message however slow the list is at inserting rows.
    for (const lexicon::MemorySuggestion& s : rows_) {
        cells_.push_back(win::GbkToWide(lexicon::cat(s.score, "%")));
        cells_.push_back(win::GbkToWide(lexicon::escape_text(s.translation, lexicon::EscapeFor::Translation)));
        cells_.push_back(win::GbkToWide(s.source));
        cells_.push_back(win::GbkToWide(lexicon::escape_text(s.original, lexicon::EscapeFor::Translation)));
    }
    ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), 0);
    ::InvalidateRect(list_, nullptr, FALSE);  // the same number of rows may hold new texts
    if (!rows_.empty()) ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

bool SuggestionPane::ApplySelected() {
    const int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return false;
    // A copy: putting it in changes the entry, and the pane shows the entry anew.
    const std::string translation = rows_[static_cast<std::size_t>(row)].translation;
    apply_(translation);
    return true;
}

bool SuggestionPane::OnNotify(NMHDR* header) {
    if (header->hwndFrom != list_) return false;
    switch (header->code) {
    case LVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        const std::size_t at = static_cast<std::size_t>(info->item.iItem) * kColumns +
                               static_cast<std::size_t>(info->item.iSubItem);
        if ((info->item.mask & LVIF_TEXT) && info->item.iItem >= 0 && info->item.iSubItem >= 0 &&
            info->item.iSubItem < static_cast<int>(kColumns) && at < cells_.size()) {
            info->item.pszText = cells_[at].data();
        }
        return true;
    }
    case NM_DBLCLK:
    case NM_RETURN:
        ApplySelected();
        return true;
    case LVN_KEYDOWN:
        if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_RETURN) ApplySelected();
        return true;
    }
    return false;
}

}  // namespace korvex
