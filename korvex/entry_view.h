#pragma once
// What the list shows of the table: the entries that match the filter, in library order
// or sorted by one column. Row numbers are the list's; entry numbers the table's.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "korvex/entry_table.h"
#include "lexicon/base/gbk_substring.h"

namespace korvex {

// The filter's matcher: whole GBK characters, ASCII letters without case.
using lexicon::GbkSubstring;

enum class SortColumn { None, Original, Translation };

class EntryView {
public:
    explicit EntryView(const EntryTable& table);

    void SetFilter(std::string_view filter);
    const std::string& Filter() const { return filter_; }
    // Shows only the entries of one status; nothing shows every status.
    void SetStatusFilter(std::optional<EntryStatus> status);
    std::optional<EntryStatus> StatusFilter() const { return status_; }
    // A click on a column header: ascending, then descending, then library order again.
    void ClickColumn(SortColumn column);
    SortColumn Column() const { return column_; }
    bool Descending() const { return descending_; }
    // Call after the table changed; does nothing when it did not.
    void Refresh();

    std::size_t size() const { return rows_.size(); }
    std::size_t EntryAt(std::size_t row) const { return rows_[row]; }
    std::optional<std::size_t> RowOf(std::size_t entry) const;
    // The next row after `row` (or the one before it) whose entry is 未译 or 待审; `row`
    // may be -1 or size() to start at either end.
    std::optional<std::size_t> NextPending(std::ptrdiff_t row, bool forward) const;

private:
    void Sort();
    void Rebuild();

    const EntryTable& table_;
    std::uint64_t revision_;
    std::string filter_;
    std::optional<EntryStatus> status_;
    SortColumn column_ = SortColumn::None;
    bool descending_ = false;
    std::vector<std::uint32_t> order_;  // every entry in sorted order; empty in library order
    std::vector<std::uint32_t> rows_;
};

}  // namespace korvex
