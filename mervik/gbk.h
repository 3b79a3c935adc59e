#pragma once
// GBK (code page 936) byte classes. Everything Mervik reads and writes is GBK; a
// double-byte character may have a trail byte of 0x5C ('\'), so every scan that looks
// for ASCII punctuation has to step over whole characters.
#include <cstddef>
#include <string_view>

namespace mervik::gbk {

constexpr bool is_lead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
constexpr bool is_trail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFE); }

// Length of the character that starts at text[i]: 2 for a complete double-byte
// character, otherwise 1 (also for a lead byte without a valid trail).
inline std::size_t char_length(std::string_view text, std::size_t i) {
    if (is_lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
        is_trail(static_cast<unsigned char>(text[i + 1]))) {
        return 2;
    }
    return 1;
}

// Position of the last byte equal to '\' or '/' that is not the trail byte of a
// double-byte character, or npos.
std::size_t find_last_separator(std::string_view path);

// Position of the first byte that does not belong to valid GBK text, or npos. Control
// bytes other than tab count as invalid: a word list or a description never needs them.
std::size_t find_invalid(std::string_view text);

// The longest prefix of at most max_bytes that does not cut a double-byte character.
std::string_view prefix(std::string_view text, std::size_t max_bytes);

}  // namespace mervik::gbk
