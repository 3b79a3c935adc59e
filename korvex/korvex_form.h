#pragma once
// KORVEX.EXE's main window: the filter box, the library's entries in a virtual report
// list, the status bar, and every command of the menus.
#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <optional>
#include <string>

#include "korvex/entry_table.h"
#include "korvex/entry_view.h"
#include "korvex/memory_source.h"
#include "korvex/suggestion_pane.h"
#include "korvex/translation_pane.h"
#include "win/window.h"

namespace korvex {

class TConcordanceWindow;
class TConsistencyWindow;
class TDialogPreview;

class TKorvexForm : public win::Window {
public:
    static constexpr const char* kClassName = "TKorvexForm";

    TKorvexForm();
    ~TKorvexForm() override;

    // Creates the window (hidden) with an empty, unnamed library.
    void Create();

    // Opens a library, or a word list (.trs, .txt); on failure says why and keeps what
    // was open.
    bool OpenFile(const std::string& path);

    HWND List() const { return list_; }
    HWND FilterBox() const { return filter_; }
    HWND StatusFilterBox() const { return statusFilter_; }
    // The edit pane under the list, for the selected entry.
    TranslationPane& Pane() const { return *pane_; }
    HWND StatusBar() const { return status_; }
    const EntryTable& Table() const { return *table_; }
    const EntryView& View() const { return *view_; }
    const std::string& Path() const { return path_; }
    // The dialog preview that 从程序提取 opened last, or null.
    TDialogPreview* Preview() const { return preview_.get(); }
    // The translation memory's suggestions for the selected entry.
    SuggestionPane& Suggestions() const { return *suggestions_; }
    // The memory's tool windows (工具), null until first opened.
    TConcordanceWindow* Concordance() const { return concordance_.get(); }
    TConsistencyWindow* Consistency() const { return consistency_.get(); }
    // The tool windows' keyboard, for the message loop; true when the message was theirs.
    bool TranslateToolMessage(MSG* msg) const;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnCreate();
    void OnSize(int width, int height);
    void OnCommand(int id, int code, HWND control);
    LRESULT OnNotify(NMHDR* header);
    void OnDropFiles(HDROP drop);
    void OnInitMenuPopup(HMENU menu);

    void NewClick();
    void OpenClick();
    bool SaveClick();
    bool SaveAsClick();
    void ImportClick();
    void ExportClick();
    void ExtractClick();
    void PropertiesClick();
    void AddClick();
    void ChangeClick();
    void DeleteClick();
    void UndoClick();
    void FindClick();
    void AboutClick();
    void ConcordanceClick();
    void ConsistencyClick();
    // Ctrl+Enter: the pane's translation goes into its entry, which is 已译 from now on,
    // and the next entry that is 未译 or 待审 is selected.
    void AcceptClick();
    // F8 and Shift+F8.
    void NextPendingClick(bool forward);
    // Ctrl+1 … Ctrl+5.
    void TakeSuggestion(std::size_t rank);

    bool IsWordList() const { return table_->source() != nullptr; }
    bool OpenWordListFile(const std::string& path, std::string bytes);
    // The selected entry into the pane, and the pane's edit into its entry; false when the
    // edit could not be taken (a library cannot hold an entry the compiler refuses).
    void ShowPane();
    bool CommitPane(bool accept);
    void ShowPaneChecks();
    std::optional<std::size_t> SelectedEntry() const;
    bool SaveWordListTo(const std::string& path);
    bool SaveLibraryOfWordListTo(const std::string& path);
    // Asks 是/否/取消 when there are unsaved changes; false means stay.
    bool MayDiscard();
    bool SaveTo(const std::string& path);
    // Checks an entry typed into the dialog; `editing` is the entry being changed or -1.
    bool AcceptEntry(HWND dialog, const std::string& originalField, const std::string& translationField,
                     std::ptrdiff_t editing);
    void ReplaceTable(std::unique_ptr<EntryTable> table, std::string path);
    // The list, the caption and the status bar after the table or the filter changed.
    void ShowTable();
    void ShowStatus();
    void SelectEntry(std::size_t entry);
    std::string FileName() const;
    // The suggestion pane: filled for the one selected entry; a chosen suggestion goes
    // into that entry as one undoable change.
    void ShowSuggestions();
    void PutSuggestion(const std::string& translation);
    // The memory: the libraries beside the open one (or in the LIB folder of the current
    // folder while the library has no file).
    std::string MemoryFolder() const;
    const lexicon::Memory* RefreshedMemory(std::string& folder, lexicon::Diagnostics& diagnostics);
    // A translation from the concordance into the one selected entry, as one undoable
    // change; false when not exactly one entry is selected.
    bool PutIntoSelected(const std::string& translation);
    // A row of the consistency report: selects the entry, opening its library first
    // (after asking to save changes) when another one is open.
    void OpenMemoryEntry(const std::string& folder, const std::string& name, const std::string& original,
                         const std::string& translation);
    // The entry with this original and translation, byte for byte or else as the memory
    // compares texts.
    std::optional<std::size_t> FindEntry(const std::string& original, const std::string& translation) const;

    std::unique_ptr<EntryTable> table_;
    std::unique_ptr<EntryView> view_;
    std::string path_;
    std::string cell_;  // the text handed to the list for one cell
    HWND filterLabel_ = nullptr;
    HWND filter_ = nullptr;
    HWND statusLabel_ = nullptr;
    HWND statusFilter_ = nullptr;
    HWND list_ = nullptr;
    HWND status_ = nullptr;
    HFONT font_ = nullptr;
    std::unique_ptr<TDialogPreview> preview_;
    std::unique_ptr<MemorySource> memory_;
    std::unique_ptr<SuggestionPane> suggestions_;
    std::unique_ptr<TConcordanceWindow> concordance_;
    std::unique_ptr<TConsistencyWindow> consistency_;
    std::size_t suggestedEntry_ = 0;
    std::unique_ptr<TranslationPane> pane_;
    std::optional<std::size_t> paneEntry_;  // the entry the pane shows
    bool committing_ = false;
};

}  // namespace korvex
