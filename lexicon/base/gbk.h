#pragma once
// GBK (code page 936) byte classes. Everything Mervik reads and writes is GBK; a
// double-byte character may have a trail byte of 0x5C ('\'), so every scan that looks
// for ASCII punctuation has to step over whole characters.
#include <cstddef>
#include <string_view>

namespace lexicon::gbk {

constexpr bool is_lead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
constexpr bool is_trail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFE); }

// Length of the character that starts at text[i]: 2 for a complete double-byte
// character, otherwise 1 (also for a lead byte without a valid trail). The compiler's
// rule: a lead byte before a byte that cannot trail it is a character of its own.
inline std::size_t char_length(std::string_view text, std::size_t i) {
    if (is_lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
        is_trail(static_cast<unsigned char>(text[i + 1]))) {
        return 2;
    }
    return 1;
}

// Width of the character that starts at text[i] as the system walks code page 936
// text (and as the rich-edit control counts it): a lead byte takes the byte after it
// whatever that byte is; only a lead byte at the very end stands alone.
constexpr std::size_t walk_length(std::string_view text, std::size_t i) {
    return is_lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// The start of the character before position `i`, which must be a character boundary,
// walking from `boundary` (a known character boundary at or before i, 0 at worst):
// GBK cannot be read backwards, because a byte in 0x81..0xFE may be a lead or a trail.
constexpr std::size_t step_back(std::string_view text, std::size_t boundary, std::size_t i) {
    std::size_t previous = boundary;
    for (std::size_t at = boundary; at < i; at += walk_length(text, at)) previous = at;
    return previous;
}

// Position of the last byte equal to '\' or '/' that is not the trail byte of a
// double-byte character, or npos.
std::size_t find_last_separator(std::string_view path);

// Position of the first byte that does not belong to valid GBK text, or npos. Control
// bytes other than tab count as invalid: a word list or a description never needs them.
std::size_t find_invalid(std::string_view text);

// The longest prefix of at most max_bytes that does not cut a double-byte character.
std::string_view prefix(std::string_view text, std::size_t max_bytes);

}  // namespace lexicon::gbk
