// The form's translating commands: the edit pane under the list, accepting an entry,
// F8 to the next entry that waits, and the first five suggestions by their keys.
#include "korvex/korvex_form.h"

#include <commctrl.h>

#include "korvex/korvex_messages.h"
#include "korvex/word_list_source.h"
#include "lexicon/base/diagnostics.h"
#include "lexicon/checks/entry_checks.h"
#include "lexicon/wordlist/entry_edit.h"

namespace korvex {

std::optional<std::size_t> TKorvexForm::SelectedEntry() const {
    if (ListView_GetSelectedCount(list_) != 1) return std::nullopt;
    const int item = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (item < 0 || static_cast<std::size_t>(item) >= view_->size()) return std::nullopt;
    const std::size_t entry = view_->EntryAt(static_cast<std::size_t>(item));
    if (entry >= table_->size()) return std::nullopt;
    return entry;
}

void TKorvexForm::ShowPane() {
    paneEntry_ = SelectedEntry();
    if (!paneEntry_) {
        pane_->Clear();
        return;
    }
    const TextPair& text = table_->at(*paneEntry_);
    pane_->Show(text.original, text.translation);
    ShowPaneChecks();
}

// The compiler's word on the entry as it stands in the pane, under the field.
void TKorvexForm::ShowPaneChecks() {
    if (!paneEntry_) {
        pane_->ShowChecks({});
        return;
    }
    lexicon::Diagnostics diagnostics;
    lexicon::check_entry_fields(pane_->OriginalField(), pane_->TranslationField(), diagnostics);
    std::string text;
    if (!diagnostics.listed().empty()) {
        text = MessageLine(diagnostics.listed().front());
        if (diagnostics.total() > 1) text += lexicon::cat("（另有 ", diagnostics.total() - 1, " 条）");
    }
    pane_->ShowChecks(text);
}

bool TKorvexForm::CommitPane(bool accept) {
    if (!paneEntry_ || *paneEntry_ >= table_->size()) return true;
    if (!pane_->Modified() && !accept) return true;
    const std::size_t entry = *paneEntry_;
    const std::string field = pane_->TranslationField();
    lexicon::Diagnostics diagnostics;
    const auto checked = lexicon::check_entry_fields(pane_->OriginalField(), field, diagnostics);
    std::string translation;
    if (checked) {
        translation = checked->translation;
    } else if (IsWordList()) {
        // A word list may hold an entry the compiler refuses: it is kept, marked 错误.
        translation = ResolveEscapes(field);
    } else {
        std::vector<std::string> lines;
        for (const lexicon::Diagnostic& d : diagnostics.listed()) lines.push_back(MessageLine(d));
        ShowMessage(hwnd(), "编译器不接受这一译文，词库中不能保存它：\r\n\r\n" + MessageList(lines), MB_ICONSTOP);
        return false;
    }
    EntryMark mark = table_->mark(entry);
    mark.messages = static_cast<std::uint32_t>(diagnostics.total());
    mark.error = !checked;
    if (accept) mark.review = false;
    const std::string original(table_->at(entry).original);
    std::size_t conflict = 0;
    committing_ = true;
    table_->Change(entry, original, translation, conflict, &mark);
    ::SendMessageW(pane_->TranslationBox(), EM_SETMODIFY, FALSE, 0);
    ShowTable();
    committing_ = false;
    return true;
}

void TKorvexForm::AcceptClick() {
    if (!paneEntry_) {
        ::MessageBeep(MB_OK);
        return;
    }
    const std::size_t entry = *paneEntry_;
    const int selectedRow = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    const bool inPane = pane_->Contains(::GetFocus());
    if (!CommitPane(true)) return;
    // Under a status filter the accepted entry may have left the list: the search goes
    // on from where it stood.
    const auto row = view_->RowOf(entry);
    const std::ptrdiff_t from = row ? static_cast<std::ptrdiff_t>(*row) : selectedRow - 1;
    const auto next = view_->NextPending(from, true);
    if (!next) {
        ::MessageBeep(MB_OK);
        ShowPane();
        return;
    }
    SelectEntry(view_->EntryAt(*next));
    if (inPane) {
        ::SetFocus(pane_->TranslationBox());
        ::SendMessageW(pane_->TranslationBox(), EM_SETSEL, 0, -1);
    }
}

void TKorvexForm::NextPendingClick(bool forward) {
    const int focused = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
    const int selected = focused >= 0 ? focused : ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    const std::ptrdiff_t from = selected >= 0 ? selected : (forward ? -1 : static_cast<std::ptrdiff_t>(view_->size()));
    const auto next = view_->NextPending(from, forward);
    if (!next) {
        ::MessageBeep(MB_OK);
        return;
    }
    SelectEntry(view_->EntryAt(*next));
}

void TKorvexForm::TakeSuggestion(std::size_t rank) {
    const auto& rows = suggestions_->Rows();
    if (rank >= rows.size() || !SelectedEntry()) {
        ::MessageBeep(MB_OK);
        return;
    }
    // A copy: putting it in changes the entry, and the pane shows the entry anew.
    const std::string translation = rows[rank].translation;
    PutSuggestion(translation);
}

}  // namespace korvex
