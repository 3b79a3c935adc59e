#pragma once
// The translation memory's view of a text: an original reduced to what decides its
// translation, the distance between two of them, and a stored translation fitted to a
// new original.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lexicon::memory {

// A character of a normalised text: ASCII as its lower-case byte, a GBK double-byte
// character as lead * 256 + trail (never below 0x8140), and the tokens below.
using Unit = char16_t;
constexpr Unit number_token = 1;       // a number: 12, 2.1, 1,024
constexpr Unit placeholder_token = 2;  // %s, %1, %2!d!, {0}

// An original as the memory compares it. What only formats a menu or a label is left out:
// access keys of every toolkit ("&Save", "_Save", "~Save", "Sa&ve" and "Save(&S)" are the
// same text), a shortcut after a tab ("\tCtrl+S"), and a closing colon or ellipsis. Every
// number and every placeholder is one token, ASCII letters are compared without case, and
// runs of blanks are one blank, none at the ends. The views point into the text that was
// normalised.
struct Normalised {
    std::u16string units;
    std::vector<std::string_view> numbers;       // in the order of the text
    std::vector<std::string_view> placeholders;  // likewise
    char access_key = 0;                         // the letter after the marker, 0 when none
    char key_marker = 0;                         // '&', '_' or '~'
    std::string_view shortcut;                   // from the tab on, or empty
    std::string_view closing;                    // the closing colon or ellipsis, or empty
};
Normalised normalise(std::string_view gbk);
// Only the units, for the index.
void normalise_units(std::string_view gbk, std::u16string& units);

// The edit distance (insert, delete, replace one unit) between a and b, or limit + 1
// when it is more than `limit`.
std::size_t edit_distance(std::u16string_view a, std::u16string_view b, std::size_t limit);

// One text compared with many: the edit distance in the bit-parallel form of Myers and
// Hyyro, a machine word per 64 units of the text for each column of the table. The same
// results as edit_distance.
class DistanceTo {
public:
    explicit DistanceTo(std::u16string_view pattern);
    std::size_t operator()(std::u16string_view text, std::size_t limit) const;

private:
    // Where unit u stands in the text: words_ of bits, one per 64 units.
    const std::uint64_t* bits_of(Unit u) const;
    std::size_t several_words(std::u16string_view text, std::size_t limit) const;
    std::u16string pattern_;
    std::size_t words_ = 1;
    std::vector<std::uint64_t> ascii_;                  // 128 units, words_ each
    std::vector<std::pair<Unit, std::size_t>> others_;  // sorted by unit: where its words start in others_bits_
    std::vector<std::uint64_t> others_bits_;            // and words_ of zeros at the start, for units not in the text
};

// The share of characters that a and b have in common, in percent: 100 - distance * 100
// / the longer length, rounded down; 100 for two empty texts.
int score(std::size_t distance, std::size_t length_a, std::size_t length_b);
// The largest distance that still gives `min_score` for these lengths.
std::size_t max_distance(int min_score, std::size_t length_a, std::size_t length_b);

// The stored translation of `matched` made to fit `query`: where the translation repeats
// a number or a placeholder of the matched original, the query's own in the same place
// of the original goes in instead ("Version 2.0" = "版本 2.0" asked for "Version 2.1"
// gives "版本 2.1"). Its own access key ("(&X)", "(_X)", "(~X)"), shortcut and closing
// colon or ellipsis go, and the query's go in: its key in its own marker, "(_P)" for
// "_Path:", then its closing mark and its shortcut ("&New\tCtrl+N" = "新建(&N)\tCtrl+N").
std::string adapt_translation(const Normalised& query, const Normalised& matched, std::string_view translation);

}  // namespace lexicon::memory
