#include "korvex/entry_view.h"

#include <algorithm>
#include <numeric>

#include "lexicon/base/gbk.h"

namespace korvex {

EntryView::EntryView(const EntryTable& table) : table_(table), revision_(table.Revision()) { Rebuild(); }

void EntryView::SetFilter(std::string_view filter) {
    if (filter == filter_) {
        Refresh();
        return;
    }
    // A longer filter that starts with the old one can only drop rows: only the rows
    // shown now need a look.
    const bool narrowing = !filter_.empty() && filter.substr(0, filter_.size()) == filter_ &&
                           lexicon::gbk::prefix(filter, filter_.size()).size() == filter_.size() &&
                           revision_ == table_.Revision();
    filter_ = filter;
    if (!narrowing) {
        if (revision_ != table_.Revision()) {
            revision_ = table_.Revision();
            Sort();
        }
        Rebuild();
        return;
    }
    const GbkSubstring matcher(filter_);
    std::erase_if(rows_, [&](std::uint32_t e) {
        const TextPair& t = table_.at(e);
        return !matcher.FoundIn(t.original) && !matcher.FoundIn(t.translation);
    });
}

void EntryView::SetStatusFilter(std::optional<EntryStatus> status) {
    if (status == status_) return;
    status_ = status;
    revision_ = table_.Revision();
    Sort();
    Rebuild();
}

std::optional<std::size_t> EntryView::NextPending(std::ptrdiff_t row, bool forward) const {
    const auto pending = [this](std::size_t r) {
        const EntryStatus s = table_.status(rows_[r]);
        return s == EntryStatus::Untranslated || s == EntryStatus::Review;
    };
    const auto n = static_cast<std::ptrdiff_t>(rows_.size());
    if (forward) {
        for (std::ptrdiff_t r = std::max<std::ptrdiff_t>(row + 1, 0); r < n; ++r) {
            if (pending(static_cast<std::size_t>(r))) return static_cast<std::size_t>(r);
        }
    } else {
        for (std::ptrdiff_t r = std::min(row, n) - 1; r >= 0; --r) {
            if (pending(static_cast<std::size_t>(r))) return static_cast<std::size_t>(r);
        }
    }
    return std::nullopt;
}

void EntryView::ClickColumn(SortColumn column) {
    if (column == column_ && !descending_) {
        descending_ = true;
    } else if (column == column_) {
        column_ = SortColumn::None;
        descending_ = false;
    } else {
        column_ = column;
        descending_ = false;
    }
    Sort();
    Rebuild();
}

void EntryView::Refresh() {
    if (revision_ == table_.Revision()) return;
    revision_ = table_.Revision();
    Sort();
    Rebuild();
}

std::optional<std::size_t> EntryView::RowOf(std::size_t entry) const {
    const auto it = std::find(rows_.begin(), rows_.end(), static_cast<std::uint32_t>(entry));
    if (it == rows_.end()) return std::nullopt;
    return static_cast<std::size_t>(it - rows_.begin());
}

// GBK bytes compared as unsigned: the double-byte characters after ASCII, and the
// common characters in the order of their readings. Ties keep library order.
void EntryView::Sort() {
    order_.clear();
    if (column_ == SortColumn::None) return;
    order_.resize(table_.size());
    std::iota(order_.begin(), order_.end(), 0U);
    const bool by_original = column_ == SortColumn::Original;
    auto key = [&](std::uint32_t e) -> std::string_view {
        const TextPair& t = table_.at(e);
        return by_original ? t.original : t.translation;
    };
    auto less = [](std::string_view a, std::string_view b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
    };
    if (descending_) {
        std::stable_sort(order_.begin(), order_.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return less(key(b), key(a)); });
    } else {
        std::stable_sort(order_.begin(), order_.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return less(key(a), key(b)); });
    }
}

void EntryView::Rebuild() {
    rows_.clear();
    const GbkSubstring matcher(filter_);
    const std::size_t n = table_.size();
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint32_t e = order_.empty() ? static_cast<std::uint32_t>(k) : order_[k];
        const TextPair& t = table_.at(e);
        if (status_ && table_.status(e) != *status_) continue;
        if (matcher.Empty() || matcher.FoundIn(t.original) || matcher.FoundIn(t.translation)) rows_.push_back(e);
    }
}

}  // namespace korvex
