#pragma once
// 一致性检查: the translation memory's consistency report in a window. One list shows
// the originals translated differently, the other the translations shared by different
// originals; a row is one variant in one library, the most frequent first. Enter or a
// double-click on a row opens that entry in KORVEX.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "korvex/modeless_dialog.h"
#include "korvex/resource_ids.h"
#include "lexicon/memory/memory.h"

namespace korvex {

class TConsistencyWindow : public ModelessDialog {
public:
    struct Host {
        // As the concordance search's: the memory read again, or null without a folder.
        std::function<const lexicon::Memory*(std::string& folder, lexicon::Diagnostics& diagnostics)> memory;
        // Opens the entry of library `name` in `folder` that has this original and
        // translation (compared as the memory compares them).
        std::function<void(const std::string& folder, const std::string& name, const std::string& original,
                           const std::string& translation)>
            open;
    };

    // One row: a variant of an item in one of its libraries.
    struct Row {
        std::size_t item = 0;  // 1-based number of the item in its report
        std::string original;
        std::string translation;
        std::size_t count = 0;  // the variant's entries in the whole memory
        std::string library;
    };

    explicit TConsistencyWindow(Host host);

    // Shows the window over `owner` and checks the memory (again).
    void Show(HWND owner);
    // Reads the memory again and rebuilds the report.
    void Check();
    // Which report the list shows: different translations (true) or shared ones.
    void ShowDiffering(bool differing);

    HWND List() const { return list_; }
    const std::vector<Row>& Rows() const { return rows_; }
    std::string StatusText() const;
    // Opens the selected row's entry; false when no row is selected.
    bool OpenSelected();

protected:
    void OnInit() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void Fill();
    // Each row's texts as its library spells them: the report gives an item's text as
    // most often met, and "Sa&ve As..." may be "Save &As..." in one of the libraries.
    void FindSpellings(const lexicon::Memory& memory);
    LRESULT OnNotify(NMHDR* header);

    Host host_;
    HWND list_ = nullptr;
    std::string folder_;
    lexicon::ConsistencyReport report_;
    // (library, original, translation as the memory compares them) -> as spelt there
    std::map<std::tuple<std::string, std::u16string, std::u16string>, std::pair<std::string, std::string>> spellings_;
    bool checked_ = false;
    std::vector<Row> rows_;
    std::wstring cell_;  // the text handed to the list for one cell
    std::string summary_;
};

}  // namespace korvex
