#pragma once
// 查找词语: the concordance search over the translation memory. A word (or any part of
// a text) is looked for in the originals, the translations or both of every library in
// the memory; the list shows each entry with its library and the word marked. Enter or
// a double-click on a row puts its translation into the entry selected in KORVEX (one
// undoable change), or copies it when no single entry is selected.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "korvex/modeless_dialog.h"
#include "korvex/resource_ids.h"
#include "lexicon/memory/concordance.h"
#include "lexicon/memory/memory.h"

namespace korvex {

class TConcordanceWindow : public ModelessDialog {
public:
    // What the window asks of KORVEX's main window.
    struct Host {
        // The memory, read again where files changed, with its messages; null when there
        // is no folder (then `folder` is empty).
        std::function<const lexicon::Memory*(std::string& folder, lexicon::Diagnostics& diagnostics)> memory;
        // Puts a translation into the one selected entry; false when not exactly one is.
        std::function<bool(const std::string& translation)> put;
    };
    static constexpr std::size_t kMostRows = 1000;

    explicit TConcordanceWindow(Host host);

    // Shows the window over `owner` with the caret in the word box.
    void Show(HWND owner);

    HWND WordBox() const { return ::GetDlgItem(hwnd(), IDC_CONCORDANCE_WORD); }
    HWND List() const { return list_; }
    std::string StatusText() const;
    const lexicon::ConcordanceResult& Result() const { return result_; }

    // Looks the word box's text up in the chosen texts now.
    void Search();
    // Puts (or copies) the selected row's translation; false when no row is selected.
    bool ApplySelected();

protected:
    void OnInit() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    // A cell as the list shows it, and the word's place in it ([from, to), or none).
    struct Cell {
        std::wstring text;
        int from = -1;
        int to = -1;
    };
    struct Row {
        Cell cells[3];  // library, original, translation
    };
    LRESULT OnNotify(NMHDR* header);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
    lexicon::ConcordanceScope Scope() const;
    void SetStatus(const std::string& text);
    std::string SelectedTranslation() const;

    Host host_;
    HWND list_ = nullptr;
    lexicon::ConcordanceResult result_;
    std::vector<Row> rows_;
};

}  // namespace korvex
