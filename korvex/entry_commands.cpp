// The form's entry commands: add, change, delete and undo, and the compiler's checks of
// an entry typed into the entry dialog.
#include "korvex/korvex_form.h"

#include <commctrl.h>

#include <vector>

#include "korvex/entry_dialog.h"
#include "korvex/korvex_messages.h"
#include "lexicon/base/diagnostics.h"
#include "lexicon/base/escapes.h"
#include "lexicon/checks/entry_checks.h"
#include "lexicon/wordlist/entry_edit.h"

namespace korvex {

bool TKorvexForm::AcceptEntry(HWND dialog, const std::string& originalField, const std::string& translationField,
                              std::ptrdiff_t editing) {
    lexicon::Diagnostics diagnostics;
    auto checked = lexicon::check_entry_fields(originalField, translationField, diagnostics);
    std::vector<std::string> lines;
    for (const lexicon::Diagnostic& d : diagnostics.listed()) lines.push_back(MessageLine(d));
    // A library has no comment lines to say that a '%' is no placeholder: the user says
    // it here, and the entry is checked again without the placeholder check.
    const auto only_placeholders = [&diagnostics] {
        for (const lexicon::Diagnostic& d : diagnostics.listed()) {
            if (!lexicon::is_warning(d.code) && d.code != lexicon::Code::PlaceholderMismatch) return false;
        }
        return diagnostics.errors() > 0 && diagnostics.unlisted() == 0;
    };
    if (!checked && only_placeholders()) {
        std::vector<std::string> mismatches;
        for (const lexicon::Diagnostic& d : diagnostics.listed()) {
            if (d.code != lexicon::Code::PlaceholderMismatch) continue;
            std::string line = MessageLine(d);
            const std::size_t advice = line.rfind(lexicon::placeholder_opt_out_advice);
            if (advice != std::string::npos) line.erase(advice);
            mismatches.push_back(line);
        }
        if (ShowMessage(dialog,
                        "格式占位符不一致：\r\n\r\n" + MessageList(mismatches) +
                            "\r\n这些 % 不是占位符（例如“%CPU 占用”）时可以仍然接受。仍然接受这一条目吗？",
                        MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
            return false;
        }
        lexicon::Diagnostics confirmed;
        checked = lexicon::check_entry_fields(originalField, translationField, confirmed, true);
        lines.clear();
        for (const lexicon::Diagnostic& d : confirmed.listed()) lines.push_back(MessageLine(d));
    }
    if (!checked) {
        ShowMessage(dialog,
                    "编译器不接受这一条目：\r\n\r\n" + MessageList(lines) + "\r\n（检查的词表行是“" +
                        lexicon::entry_line(originalField, translationField) + "”）",
                    MB_ICONSTOP);
        return false;
    }
    if (!lines.empty() &&
        ShowMessage(dialog, "编译器对这一条目有警告：\r\n\r\n" + MessageList(lines) + "\r\n仍然接受这一条目吗？",
                    MB_YESNO | MB_ICONWARNING) != IDYES) {
        return false;
    }
    std::size_t conflict = 0;
    EntryMark mark = editing < 0 ? EntryMark{} : table_->mark(static_cast<std::size_t>(editing));
    mark.messages = static_cast<std::uint32_t>(lines.size());
    mark.error = false;
    const bool taken = editing < 0 ? table_->Add(checked->original, checked->translation, conflict, &mark)
                                   : table_->Change(static_cast<std::size_t>(editing), checked->original,
                                                    checked->translation, conflict, &mark);
    if (!taken) {
        const TextPair& other = table_->at(conflict);
        ShowMessage(dialog,
                    lexicon::cat("原文", Quoted(other.original), "已经在第 ", conflict + 1, " 个条目中（译文",
                                 Quoted(other.translation), "）。\r\n同一原文在词库中只能有一个条目。"),
                    MB_ICONSTOP);
        return false;
    }
    return true;
}

void TKorvexForm::AddClick() {
    TEntryDialog dialog("增加条目", {}, {}, [this](HWND d, const std::string& o, const std::string& t) {
        return AcceptEntry(d, o, t, -1);
    });
    if (!dialog.ShowModal(hwnd())) return;
    ShowTable();
    SelectEntry(table_->size() - 1);
}

void TKorvexForm::ChangeClick() {
    CommitPane(false);
    const int row = ListView_GetNextItem(list_, -1, LVNI_FOCUSED | LVNI_SELECTED);
    const int item = row >= 0 ? row : ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (item < 0 || static_cast<std::size_t>(item) >= view_->size()) return;
    const std::size_t entry = view_->EntryAt(static_cast<std::size_t>(item));
    const TextPair& text = table_->at(entry);
    TEntryDialog dialog("修改条目", lexicon::escape_text(text.original, lexicon::EscapeFor::Translation),
                        lexicon::escape_text(text.translation, lexicon::EscapeFor::Translation),
                        [this, entry](HWND d, const std::string& o, const std::string& t) {
                            return AcceptEntry(d, o, t, static_cast<std::ptrdiff_t>(entry));
                        });
    if (!dialog.ShowModal(hwnd())) return;
    ShowTable();
    SelectEntry(entry);
    ShowPane();
}

void TKorvexForm::DeleteClick() {
    std::vector<std::size_t> entries;
    for (int item = ListView_GetNextItem(list_, -1, LVNI_SELECTED); item >= 0;
         item = ListView_GetNextItem(list_, item, LVNI_SELECTED)) {
        if (static_cast<std::size_t>(item) < view_->size())
            entries.push_back(view_->EntryAt(static_cast<std::size_t>(item)));
    }
    if (entries.empty()) return;
    const std::string question = entries.size() == 1
                                     ? "删除条目" + Quoted(table_->at(entries.front()).original) + "吗？"
                                     : lexicon::cat("删除选定的 ", entries.size(), " 个条目吗？");
    if (ShowMessage(hwnd(), question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    // The pane's edit goes into its entry first; the pane then lets go of it, since the
    // entries after the deleted ones move.
    CommitPane(false);
    paneEntry_.reset();
    pane_->Clear();
    table_->Remove(std::move(entries));
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
    ShowTable();
}

void TKorvexForm::UndoClick() {
    CommitPane(false);
    paneEntry_.reset();
    pane_->Clear();
    if (!table_->CanUndo()) return;
    table_->Undo();
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
    ShowTable();
}

}  // namespace korvex
