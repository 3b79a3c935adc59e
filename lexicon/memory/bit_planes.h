#pragma once
// Counting, for every key of a run of 64-key words, how many of a set of bitmaps hold it.
// The counts are kept as bit planes: bit i of plane i holds bit i of each key's count, so
// that one pass of word-wide logic adds a bitmap to 64 keys (or, side by side in vector
// registers, to 128 or 256) without a branch on the bits.
#include <cstddef>
#include <cstdint>

namespace lexicon {

constexpr std::size_t max_bit_planes = 17;  // counts up to 131,071
constexpr std::size_t max_plane_lanes = 4;

// How many 64-bit words add_bitmap_words sums side by side on this processor: 4 where it
// has AVX2, 2 with SSE2, else 1.
std::size_t bitmap_lanes();

// Adds the words [w, w + lanes) of each of `count` bitmaps into `plane`, which it first
// clears: plane[i][j] holds bit i of the counts of word w + j. `planes` is at least
// std::bit_width(count); `lanes` is at most max_plane_lanes, and fastest when it is
// bitmap_lanes(). The bitmaps must be readable up to that last word.
void add_bitmap_words(const std::uint64_t* const* bitmaps, std::size_t count, std::size_t w, std::size_t planes,
                      std::uint64_t (*plane)[max_plane_lanes], std::size_t lanes);

}  // namespace lexicon
