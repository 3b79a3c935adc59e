#include "korvex/entry_view.h"

#include <algorithm>
#include <numeric>

#include "lexicon/gbk.h"

namespace korvex {

namespace {

constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

GbkSubstring::GbkSubstring(std::string_view needle) {
    needle_.reserve(needle.size());
    for (std::size_t i = 0; i < needle.size();) {
        const std::size_t n = lexicon::gbk::char_length(needle, i);
        if (n == 1) {
            needle_ += Lower(needle[i]);
        } else {
            needle_.append(needle.substr(i, n));
        }
        i += n;
    }
}

// The characters of text from `at` against the needle's, character by character: a
// single byte only matches a single byte, so a trail byte never passes for a letter.
bool GbkSubstring::MatchesAt(std::string_view text, std::size_t at) const {
    std::size_t j = 0;
    while (j < needle_.size()) {
        if (at >= text.size()) return false;
        const std::size_t n = lexicon::gbk::char_length(text, at);
        if (n != lexicon::gbk::char_length(needle_, j)) return false;
        if (n == 1) {
            if (Lower(text[at]) != needle_[j]) return false;
        } else if (text.substr(at, 2) != std::string_view(needle_).substr(j, 2)) {
            return false;
        }
        at += n;
        j += n;
    }
    return true;
}

bool GbkSubstring::FoundIn(std::string_view text) const {
    if (needle_.empty()) return true;
    if (text.size() < needle_.size()) return false;
    const char first = needle_.front();
    const bool letter = IsLetter(first);
    const char upper = letter ? static_cast<char>(first - 'a' + 'A') : first;
    // Candidates by a fast search for the first byte; a candidate counts only where a
    // character starts, which the walk (never going back) tells.
    std::size_t boundary = 0;
    std::size_t from = 0;
    const std::size_t last = text.size() - needle_.size();
    while (from <= last) {
        std::size_t at = text.find(first, from);
        if (letter) at = std::min(at, text.find(upper, from));
        if (at == std::string_view::npos || at > last) return false;
        while (boundary < at) boundary += lexicon::gbk::char_length(text, boundary);
        if (boundary == at && MatchesAt(text, at)) return true;
        from = at + 1;
    }
    return false;
}

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
    std::iota(order_.begin(), order_.end(), 0u);
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
        if (matcher.Empty() || matcher.FoundIn(t.original) || matcher.FoundIn(t.translation)) rows_.push_back(e);
    }
}

}  // namespace korvex
