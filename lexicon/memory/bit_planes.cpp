#include "lexicon/memory/bit_planes.h"

#include <cstring>

namespace lexicon {

namespace {

#if defined(__GNUC__)
#define LEXICON_INLINE __attribute__((always_inline)) inline
#else
#define LEXICON_INLINE inline
#endif

// One carry-save step: adds a, b and c bit by bit into a sum and a carry.
template <class V>
LEXICON_INLINE void carry_save(V& carry, V& sum, const V& a, const V& b, const V& c) {
    const V u = a ^ b;
    carry = (a & b) | (u & c);
    sum = u ^ c;
}

// Adds `carry` into the planes from `from` up.
template <class V>
LEXICON_INLINE void ripple(V* p, std::size_t from, std::size_t planes, const V& added) {
    V carry = added;
    for (std::size_t i = from; i < planes; ++i) {
        const V next = p[i] & carry;
        p[i] ^= carry;
        carry = next;
    }
}

// Vectors of four words are passed by reference only: by value they would pass
// differently with and without AVX.
template <class V>
LEXICON_INLINE void load_words(V& v, const std::uint64_t* at) {
    std::memcpy(&v, at, sizeof v);
}

// V holds `Lanes` words: std::uint64_t, or a vector of two or four.
template <class V, std::size_t Lanes>
LEXICON_INLINE void add_words(const std::uint64_t* const* bitmaps, std::size_t count, std::size_t w, std::size_t planes,
                              std::uint64_t (*plane)[max_plane_lanes]) {
    V p[max_bit_planes];
    for (std::size_t i = 0; i < planes; ++i) p[i] = V{};
    std::size_t n = 0;
    // Eight at a time through a tree of carry-save steps into planes 0 to 2; the carry of
    // eights runs through the higher planes.
    V x[8];
    for (; n + 8 <= count; n += 8) {
        for (std::size_t i = 0; i < 8; ++i) load_words(x[i], bitmaps[n + i] + w);
        V twos_a, twos_b, fours_a, fours_b, eights;
        carry_save(twos_a, p[0], p[0], x[0], x[1]);
        carry_save(twos_b, p[0], p[0], x[2], x[3]);
        carry_save(fours_a, p[1], p[1], twos_a, twos_b);
        carry_save(twos_a, p[0], p[0], x[4], x[5]);
        carry_save(twos_b, p[0], p[0], x[6], x[7]);
        carry_save(fours_b, p[1], p[1], twos_a, twos_b);
        carry_save(eights, p[2], p[2], fours_a, fours_b);
        ripple(p, 3, planes, eights);
    }
    for (; n + 2 <= count; n += 2) {
        load_words(x[0], bitmaps[n] + w);
        load_words(x[1], bitmaps[n + 1] + w);
        V twos;
        carry_save(twos, p[0], p[0], x[0], x[1]);
        ripple(p, 1, planes, twos);
    }
    if (n < count) {
        load_words(x[0], bitmaps[n] + w);
        ripple(p, 0, planes, x[0]);
    }
    for (std::size_t i = 0; i < planes; ++i) std::memcpy(plane[i], &p[i], Lanes * sizeof(std::uint64_t));
}

#if defined(__GNUC__) && defined(__SSE2__)
using Two = std::uint64_t __attribute__((vector_size(16)));
using Four = std::uint64_t __attribute__((vector_size(32)));

void add_two(const std::uint64_t* const* bitmaps, std::size_t count, std::size_t w, std::size_t planes,
             std::uint64_t (*plane)[max_plane_lanes]) {
    add_words<Two, 2>(bitmaps, count, w, planes, plane);
}

__attribute__((target("avx2"))) void add_four(const std::uint64_t* const* bitmaps, std::size_t count, std::size_t w,
                                              std::size_t planes, std::uint64_t (*plane)[max_plane_lanes]) {
    add_words<Four, 4>(bitmaps, count, w, planes, plane);
}

bool has_avx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

}  // namespace

std::size_t bitmap_lanes() {
#if defined(__GNUC__) && defined(__SSE2__)
    return has_avx2() ? 4 : 2;
#else
    return 1;
#endif
}

void add_bitmap_words(const std::uint64_t* const* bitmaps, std::size_t count, std::size_t w, std::size_t planes,
                      std::uint64_t (*plane)[max_plane_lanes], std::size_t lanes) {
#if defined(__GNUC__) && defined(__SSE2__)
    if (lanes == 4 && has_avx2()) return add_four(bitmaps, count, w, planes, plane);
    if (lanes == 2) return add_two(bitmaps, count, w, planes, plane);
#endif
    for (std::size_t j = 0; j < lanes; ++j) {
        std::uint64_t one[max_bit_planes][max_plane_lanes];
        add_words<std::uint64_t, 1>(bitmaps, count, w + j, planes, one);
        for (std::size_t i = 0; i < planes; ++i) plane[i][j] = one[i][0];
    }
}

}  // namespace lexicon
