// The form's memory commands: the suggestion pane for the selected entry, the
// concordance and the consistency report, and the entries they put or select.
#include "korvex/korvex_form.h"

#include <commctrl.h>

#include "korvex/concordance_window.h"
#include "korvex/consistency_window.h"
#include "korvex/file_dialogs.h"
#include "korvex/korvex_messages.h"
#include "korvex/word_list_source.h"
#include "lexicon/base/diagnostics.h"
#include "lexicon/memory/memory_text.h"
#include "win/gbk.h"

namespace korvex {

void TKorvexForm::ShowSuggestions() {
    const int item = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (item < 0 || ListView_GetSelectedCount(list_) != 1 || static_cast<std::size_t>(item) >= view_->size()) {
        suggestions_->Clear();
        return;
    }
    suggestedEntry_ = view_->EntryAt(static_cast<std::size_t>(item));
    if (suggestedEntry_ >= table_->size()) return;
    suggestions_->SetFolder(MemoryFolder());
    const TextPair& entry = table_->at(suggestedEntry_);
    suggestions_->Show(entry.original, entry.translation, path_.empty() ? std::string() : FileName());
}

void TKorvexForm::PutSuggestion(const std::string& translation) {
    if (suggestedEntry_ >= table_->size()) return;
    const std::string original(table_->at(suggestedEntry_).original);
    std::size_t conflict = 0;
    const std::size_t entry = suggestedEntry_;
    // The suggestion replaces whatever the pane held for the entry.
    paneEntry_.reset();
    const EntryMark mark = CheckedMark(original, translation, table_->mark(entry).review);
    if (!table_->Change(entry, original, translation, conflict, &mark)) return;
    ShowTable();
    SelectEntry(entry);
    ShowPane();
}

std::string TKorvexForm::MemoryFolder() const {
    if (path_.empty()) return LibraryFolder();
    // A library named on the command line may be a bare name: its folder is the current one.
    wchar_t full[MAX_PATH * 2] = {};
    if (!::GetFullPathNameW(win::GbkToWide(path_).c_str(), MAX_PATH * 2, full, nullptr)) return FolderOf(path_);
    return FolderOf(win::WideToGbk(full));
}

const lexicon::Memory* TKorvexForm::RefreshedMemory(std::string& folder, lexicon::Diagnostics& diagnostics) {
    folder = MemoryFolder();
    return memory_->Refreshed(folder, diagnostics);
}

bool TKorvexForm::TranslateToolMessage(MSG* msg) const {
    return (concordance_ && concordance_->Translate(msg)) || (consistency_ && consistency_->Translate(msg));
}

void TKorvexForm::ConcordanceClick() {
    if (!concordance_) {
        TConcordanceWindow::Host host;
        host.memory = [this](std::string& folder, lexicon::Diagnostics& d) { return RefreshedMemory(folder, d); };
        host.put = [this](const std::string& translation) { return PutIntoSelected(translation); };
        concordance_ = std::make_unique<TConcordanceWindow>(std::move(host));
    }
    concordance_->Show(hwnd());
}

void TKorvexForm::ConsistencyClick() {
    if (!consistency_) {
        TConsistencyWindow::Host host;
        host.memory = [this](std::string& folder, lexicon::Diagnostics& d) { return RefreshedMemory(folder, d); };
        host.open = [this](const std::string& folder, const std::string& name, const std::string& original,
                           const std::string& translation) { OpenMemoryEntry(folder, name, original, translation); };
        consistency_ = std::make_unique<TConsistencyWindow>(std::move(host));
    }
    consistency_->Show(hwnd());
}

bool TKorvexForm::PutIntoSelected(const std::string& translation) {
    if (ListView_GetSelectedCount(list_) != 1) return false;
    const int item = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (item < 0 || static_cast<std::size_t>(item) >= view_->size()) return false;
    const std::size_t entry = view_->EntryAt(static_cast<std::size_t>(item));
    const std::string original(table_->at(entry).original);
    std::size_t conflict = 0;
    if (!table_->Change(entry, original, translation, conflict)) return false;
    ShowTable();
    SelectEntry(entry);
    return true;
}

std::optional<std::size_t> TKorvexForm::FindEntry(const std::string& original, const std::string& translation) const {
    for (std::size_t i = 0; i < table_->size(); ++i) {
        if (table_->at(i).original == original && table_->at(i).translation == translation) return i;
    }
    std::u16string wantOriginal, wantTranslation, units;
    lexicon::memory::normalise_units(original, wantOriginal);
    lexicon::memory::normalise_units(translation, wantTranslation);
    for (std::size_t i = 0; i < table_->size(); ++i) {
        lexicon::memory::normalise_units(table_->at(i).original, units);
        if (units != wantOriginal) continue;
        lexicon::memory::normalise_units(table_->at(i).translation, units);
        if (units == wantTranslation) return i;
    }
    return std::nullopt;
}

void TKorvexForm::OpenMemoryEntry(const std::string& folder, const std::string& name, const std::string& original,
                                  const std::string& translation) {
    const std::string path = memory_->PathOf(folder, name);
    const auto same = [](const std::string& a, const std::string& b) {
        wchar_t fullA[MAX_PATH * 2] = {}, fullB[MAX_PATH * 2] = {};
        if (a.empty() || b.empty()) return false;
        ::GetFullPathNameW(win::GbkToWide(a).c_str(), MAX_PATH * 2, fullA, nullptr);
        ::GetFullPathNameW(win::GbkToWide(b).c_str(), MAX_PATH * 2, fullB, nullptr);
        return ::lstrcmpiW(fullA, fullB) == 0;
    };
    if (!same(path, path_)) {
        if (!MayDiscard() || !OpenFile(path)) return;
    }
    const auto entry = FindEntry(original, translation);
    if (!entry) {
        ShowMessage(
            hwnd(),
            lexicon::cat("词库“", FileName(), "”中没有原文为", Quoted(original), "、译文为", Quoted(translation),
                         "的条目。\n它可能已经修改或删除；一致性检查中的“重新检查”会读取词库的现状。"),
            MB_ICONINFORMATION);
        return;
    }
    // A filter that hides the entry goes: the user asked to see it.
    if (!view_->RowOf(*entry)) ::SetWindowTextW(filter_, L"");
    SelectEntry(*entry);
}

}  // namespace korvex
