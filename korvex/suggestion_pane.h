#pragma once
// The suggestion pane under KORVEX's list: the translation memory's best matches (70 %
// and up) for the selected entry, with their scores and libraries. Enter or a
// double-click hands the chosen translation to the owner, which puts it into the entry.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "korvex/memory_source.h"
#include "lexicon/memory/memory.h"

namespace korvex {

class SuggestionPane {
public:
    using Apply = std::function<void(const std::string& translation)>;

    SuggestionPane(HWND parent, int id, HFONT font, MemorySource& memory, Apply apply);
    SuggestionPane(const SuggestionPane&) = delete;
    SuggestionPane& operator=(const SuggestionPane&) = delete;

    HWND List() const { return list_; }
    void Move(int x, int y, int width, int height);

    // The folder whose libraries are the memory ("" for none).
    void SetFolder(const std::string& folder);
    // Looks the original up (after reading libraries that changed) and shows the best
    // matches; `self` is the library being edited, whose own entry is no suggestion.
    void Show(std::string_view original, std::string_view translation, const std::string& self);
    void Clear();

    // The rows as shown (their views valid until the shared memory is next refreshed),
    // and how long the last look-up took.
    const std::vector<lexicon::MemorySuggestion>& Rows() const { return rows_; }
    double LastLookupMs() const { return lastMs_; }

    // Puts the selected row's translation into the entry; false when no row is selected.
    bool ApplySelected();
    // The list's notifications; true when handled.
    bool OnNotify(NMHDR* header);

private:
    HWND list_ = nullptr;
    Apply apply_;
    MemorySource& memory_;
    std::string folder_;
    std::vector<lexicon::MemorySuggestion> rows_;
    static constexpr std::size_t kColumns = 4;
    std::vector<std::wstring> cells_;  // the rows' cells as shown, row by row
    double lastMs_ = 0;
};

}  // namespace korvex
