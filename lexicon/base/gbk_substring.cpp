#include "lexicon/base/gbk_substring.h"

#include <algorithm>

#include "lexicon/base/gbk.h"

namespace lexicon {

namespace {

constexpr char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

GbkSubstring::GbkSubstring(std::string_view needle) {
    needle_.reserve(needle.size());
    for (std::size_t i = 0; i < needle.size();) {
        const std::size_t n = gbk::char_length(needle, i);
        if (n == 1) {
            needle_ += lower(needle[i]);
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
        const std::size_t n = gbk::char_length(text, at);
        if (n != gbk::char_length(needle_, j)) return false;
        if (n == 1) {
            if (lower(text[at]) != needle_[j]) return false;
        } else if (text.substr(at, 2) != std::string_view(needle_).substr(j, 2)) {
            return false;
        }
        at += n;
        j += n;
    }
    return true;
}

std::size_t GbkSubstring::Find(std::string_view text) const {
    if (needle_.empty()) return 0;
    if (text.size() < needle_.size()) return std::string_view::npos;
    const char first = needle_.front();
    const bool letter = is_letter(first);
    const char upper = letter ? static_cast<char>(first - 'a' + 'A') : first;
    // Candidates by a fast search for the first byte; a candidate counts only where a
    // character starts, which the walk (never going back) tells.
    std::size_t boundary = 0;
    std::size_t from = 0;
    const std::size_t last = text.size() - needle_.size();
    // The next place of each case of the first byte, each found again only once passed.
    std::size_t next_lower = text.find(first);
    std::size_t next_upper = letter ? text.find(upper) : std::string_view::npos;
    while (from <= last) {
        if (next_lower < from) next_lower = text.find(first, from);
        if (next_upper < from) next_upper = text.find(upper, from);
        const std::size_t at = std::min(next_lower, next_upper);
        if (at == std::string_view::npos || at > last) return std::string_view::npos;
        while (boundary < at) boundary += gbk::char_length(text, boundary);
        if (boundary == at && MatchesAt(text, at)) return at;
        from = at + 1;
    }
    return std::string_view::npos;
}

}  // namespace lexicon
