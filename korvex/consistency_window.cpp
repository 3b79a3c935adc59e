#include "korvex/consistency_window.h"

#include <set>

#include "korvex/list_columns.h"
#include "lexicon/base/diagnostics.h"
#include "lexicon/base/escapes.h"
#include "lexicon/memory/memory_text.h"
#include "lexicon/wordlist/word_list.h"
#include "win/gbk.h"
#include "win/wait_cursor.h"

namespace korvex {

TConsistencyWindow::TConsistencyWindow(Host host) : host_(std::move(host)) {}

void TConsistencyWindow::Show(HWND owner) {
    if (!ShowOver(owner, IDD_CONSISTENCY)) return;
    Check();
    ::SetFocus(list_);
}

void TConsistencyWindow::OnInit() {
    list_ = ::GetDlgItem(hwnd(), IDC_CONSISTENCY_LIST);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    AddListColumns(list_, {{L"序号", 44, true}, {L"原文", 190}, {L"译文", 150}, {L"条目数", 56, true}, {L"词库", 110}});
    ::CheckRadioButton(hwnd(), IDC_CONSISTENCY_DIFFER, IDC_CONSISTENCY_SHARE, IDC_CONSISTENCY_DIFFER);
    AnchorControl(IDC_CONSISTENCY_LIST, Left | Top | Right | Bottom);
    AnchorControl(IDC_CONSISTENCY_STATUS, Left | Right | Bottom);
    AnchorControl(IDC_CONSISTENCY_OPEN, Right | Bottom);
    AnchorControl(IDC_CONSISTENCY_AGAIN, Right | Bottom);
    AnchorControl(IDCANCEL, Right | Bottom);
}

void TConsistencyWindow::Check() {
    lexicon::Diagnostics diagnostics;
    report_ = {};
    std::string folder;
    const lexicon::Memory* memory = nullptr;
    {
        const win::WaitCursor wait;
        memory = host_.memory(folder, diagnostics);
        spellings_.clear();
        if (memory) {
            report_ = lexicon::check_consistency(*memory);
            FindSpellings(*memory);
        }
    }
    folder_ = folder;
    if (!memory) {
        summary_ =
            "没有记忆库：先打开一个词库（记忆库是它所在的文件夹里所有的词库），或在有 LIB 文件夹的文件夹中启动。";
    } else {
        summary_ = lexicon::cat("记忆库（", memory->files(), " 个词库，", memory->entries(),
                                " 个条目）：同一原文的不同译文 ", report_.translations_differ.size(),
                                " 处，不同原文的相同译文 ", report_.originals_share.size(), " 处。");
        if (!diagnostics.listed().empty()) summary_ += "（" + diagnostics.listed().front().text + "）";
    }
    Fill();
}

void TConsistencyWindow::FindSpellings(const lexicon::Memory& memory) {
    using Key = std::tuple<std::string, std::u16string, std::u16string>;
    std::set<std::u16string> originals;
    const auto want = [&](const std::string& original, const std::string& translation, const std::string& library) {
        Key key{library, {}, {}};
        lexicon::memory::normalise_units(original, std::get<1>(key));
        lexicon::memory::normalise_units(translation, std::get<2>(key));
        originals.insert(std::get<1>(key));
        spellings_.emplace(std::move(key), std::pair<std::string, std::string>{original, translation});
    };
    for (const lexicon::ConsistencyItem& item : report_.translations_differ) {
        for (const lexicon::ConsistencyVariant& v : item.variants) {
            for (const std::string& library : v.sources) want(item.text, v.text, library);
        }
    }
    for (const lexicon::ConsistencyItem& item : report_.originals_share) {
        for (const lexicon::ConsistencyVariant& v : item.variants) {
            for (const std::string& library : v.sources) want(v.text, item.text, library);
        }
    }
    if (spellings_.empty()) return;
    // One pass over the memory; the translation is compared only where the original is
    // one of the report's.
    std::set<Key> found;
    Key key;
    memory.for_each([&](const lexicon::MemoryRecord& r) {
        lexicon::memory::normalise_units(r.original, std::get<1>(key));
        if (!originals.count(std::get<1>(key))) return;
        std::get<0>(key).assign(r.source);
        lexicon::memory::normalise_units(r.translation, std::get<2>(key));
        const auto at = spellings_.find(key);
        if (at == spellings_.end() || !found.insert(key).second) return;  // the first entry of a library counts
        at->second = {std::string(r.original), std::string(r.translation)};
    });
}

void TConsistencyWindow::ShowDiffering(bool differing) {
    ::CheckRadioButton(hwnd(), IDC_CONSISTENCY_DIFFER, IDC_CONSISTENCY_SHARE,
                       differing ? IDC_CONSISTENCY_DIFFER : IDC_CONSISTENCY_SHARE);
    Fill();
}

void TConsistencyWindow::Fill() {
    const bool differing = ::IsDlgButtonChecked(hwnd(), IDC_CONSISTENCY_DIFFER) == BST_CHECKED;
    const auto& items = differing ? report_.translations_differ : report_.originals_share;
    rows_.clear();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const lexicon::ConsistencyItem& item = items[i];
        for (const lexicon::ConsistencyVariant& v : item.variants) {
            for (const std::string& library : v.sources) {
                Row row;
                row.item = i + 1;
                row.original = differing ? item.text : v.text;
                row.translation = differing ? v.text : item.text;
                std::tuple<std::string, std::u16string, std::u16string> key{library, {}, {}};
                lexicon::memory::normalise_units(row.original, std::get<1>(key));
                lexicon::memory::normalise_units(row.translation, std::get<2>(key));
                if (const auto at = spellings_.find(key); at != spellings_.end()) {
                    row.original = at->second.first;
                    row.translation = at->second.second;
                }
                row.count = v.count;
                row.library = library;
                rows_.push_back(std::move(row));
            }
        }
    }
    ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), 0);
    ::InvalidateRect(list_, nullptr, FALSE);
    if (!rows_.empty()) ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SetDlgItemTextW(hwnd(), IDC_CONSISTENCY_STATUS, win::GbkToWide(summary_).c_str());
}

std::string TConsistencyWindow::StatusText() const {
    wchar_t text[1024] = {};
    ::GetDlgItemTextW(hwnd(), IDC_CONSISTENCY_STATUS, text, 1024);
    return win::WideToGbk(text);
}

bool TConsistencyWindow::OpenSelected() {
    const int selected = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (selected < 0 || static_cast<std::size_t>(selected) >= rows_.size()) return false;
    // A copy: opening a library may ask questions, and the rows may change meanwhile.
    const Row row = rows_[static_cast<std::size_t>(selected)];
    host_.open(folder_, row.library, row.original, row.translation);
    return true;
}

bool TConsistencyWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDC_CONSISTENCY_OPEN:
            OpenSelected();
            result = TRUE;
            return true;
        case IDC_CONSISTENCY_AGAIN:
            Check();
            result = TRUE;
            return true;
        case IDC_CONSISTENCY_DIFFER:
        case IDC_CONSISTENCY_SHARE:
            if (HIWORD(wParam) == BN_CLICKED) Fill();
            result = TRUE;
            return true;
        }
        return false;
    case WM_NOTIFY:
        SetResult(OnNotify(reinterpret_cast<NMHDR*>(lParam)));
        result = TRUE;
        return true;
    }
    return false;
}

LRESULT TConsistencyWindow::OnNotify(NMHDR* header) {
    if (header->hwndFrom != list_) return 0;
    switch (header->code) {
    case LVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        if (!(info->item.mask & LVIF_TEXT) || info->item.iItem < 0 ||
            static_cast<std::size_t>(info->item.iItem) >= rows_.size())
            return 0;
        const Row& row = rows_[static_cast<std::size_t>(info->item.iItem)];
        std::string text;
        switch (info->item.iSubItem) {
        case 0:
            text = lexicon::cat(row.item);
            break;
        case 1:
            text = lexicon::escape_text(row.original, lexicon::EscapeFor::Translation);
            break;
        case 2:
            text = lexicon::escape_text(row.translation, lexicon::EscapeFor::Translation);
            break;
        case 3:
            text = lexicon::cat(row.count);
            break;
        case 4:
            text = row.library;
            break;
        }
        cell_ = win::GbkToWide(text);
        info->item.pszText = cell_.data();
        return 0;
    }
    case NM_DBLCLK:
    case NM_RETURN:
        OpenSelected();
        return 0;
    }
    return 0;
}

}  // namespace korvex
