#pragma once
// A search text found as a substring of GBK text, as a user expects of a find box: a
// match starts only where a character starts (never at the second byte of a double-byte
// character), and ASCII letters match without regard to case (never a trail byte that
// looks like a letter). KORVEX's filter and the memory's concordance search use it.
#include <cstddef>
#include <string>
#include <string_view>

namespace lexicon {

class GbkSubstring {
public:
    explicit GbkSubstring(std::string_view needle);
    // Where the first match starts, or npos; an empty needle is found at 0.
    std::size_t Find(std::string_view text) const;
    bool FoundIn(std::string_view text) const { return Find(text) != std::string_view::npos; }
    bool Empty() const { return needle_.empty(); }
    // The match's length in bytes (case does not change it).
    std::size_t Size() const { return needle_.size(); }

private:
    bool MatchesAt(std::string_view text, std::size_t at) const;
    std::string needle_;  // single-byte letters in lower case
};

}  // namespace lexicon
