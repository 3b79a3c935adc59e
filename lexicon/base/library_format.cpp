#include "lexicon/base/library_format.h"

#include <array>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define LEXICON_CRC_CLMUL 1
#endif

namespace lexicon::format {

std::uint32_t hash_text(std::string_view text) {
    const char* p = text.data();
    std::size_t n = text.size();
    std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ (static_cast<std::uint64_t>(n) * 0xC2B2AE3D27D4EB4FULL);
    auto mix = [&h](std::uint64_t chunk) {
        h = (h ^ chunk) * 0xFF51AFD7ED558CCDULL;
        h ^= h >> 32;
    };
    while (n >= 8) {
        std::uint64_t chunk;
        std::memcpy(&chunk, p, 8);
        if constexpr (std::endian::native == std::endian::big) chunk = __builtin_bswap64(chunk);
        mix(chunk);
        p += 8;
        n -= 8;
    }
    if (n > 0) {
        std::uint64_t chunk = 0;
        for (std::size_t i = 0; i < n; ++i)
            chunk |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
        mix(chunk);
    }
    h *= 0xC4CEB9FE1A85EC53ULL;
    const auto result = static_cast<std::uint32_t>(h >> 32);
    return result == 0 ? 1 : result;
}

namespace {

// Slicing by eight: eight table look-ups per eight bytes instead of one per byte.
struct CrcTables {
    std::array<std::array<std::uint32_t, 256>, 8> t{};
    CrcTables() {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320U ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (std::uint32_t i = 0; i < 256; ++i) {
            for (int s = 1; s < 8; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
        }
    }
};

const CrcTables& crc_tables() {
    static const CrcTables tables;
    return tables;
}

#if defined(LEXICON_CRC_CLMUL)
// Carry-less multiplication folds 64 bytes per step into four 128-bit remainders, which
// are folded into one and reduced to the 32-bit sum: many times the speed of the tables
// on a library of megabytes. `crc` is the running register (inverted, as the tables
// keep it); `size` is a multiple of 16, at least 64. The constants are powers of x
// modulo the polynomial (bit-reflected) and the Barrett constant of the reduction.
#define LEXICON_CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

LEXICON_CLMUL_TARGET inline __m128i load(const unsigned char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// x times the two halves of k, added to the next 16 bytes.
LEXICON_CLMUL_TARGET inline __m128i fold(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

LEXICON_CLMUL_TARGET std::uint32_t crc32_folded(std::uint32_t crc, const unsigned char* p, std::size_t size) {
    __m128i x1 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i x2 = load(p + 16);
    __m128i x3 = load(p + 32);
    __m128i x4 = load(p + 48);
    p += 64;
    size -= 64;
    const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
    for (; size >= 64; p += 64, size -= 64) {
        x1 = fold(x1, k1k2, load(p));
        x2 = fold(x2, k1k2, load(p + 16));
        x3 = fold(x3, k1k2, load(p + 32));
        x4 = fold(x4, k1k2, load(p + 48));
    }
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    x1 = fold(x1, k3k4, x2);
    x1 = fold(x1, k3k4, x3);
    x1 = fold(x1, k3k4, x4);
    for (; size >= 16; p += 16, size -= 16) x1 = fold(x1, k3k4, load(p));
    // 128 bits to 64, then the Barrett reduction to 32.
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, k3k4, 0x10));
    const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k5, 0x00), _mm_srli_si128(x1, 4));
    const __m128i barrett = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    __m128i x2r = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), barrett, 0x10);
    x2r = _mm_clmulepi64_si128(_mm_and_si128(x2r, low32), barrett, 0x00);
    return static_cast<std::uint32_t>(_mm_extract_epi32(_mm_xor_si128(x1, x2r), 1));
}

bool has_clmul() {
    static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return has;
}
#endif

}  // namespace

std::uint32_t crc32(std::uint32_t crc, const void* data, std::size_t size) {
    const auto& t = crc_tables().t;
    const auto* p = static_cast<const unsigned char*>(data);
    crc = ~crc;
#if defined(LEXICON_CRC_CLMUL)
    if (size >= 64 && has_clmul()) {
        const std::size_t folded = size & ~std::size_t{15};
        crc = crc32_folded(crc, p, folded);
        p += folded;
        size -= folded;
    }
#endif
    while (size >= 8) {
        const std::uint32_t lo = crc ^ (std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
                                        std::uint32_t{p[3]} << 24);
        crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^ t[3][p[4]] ^
              t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
        p += 8;
        size -= 8;
    }
    while (size-- > 0) crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

}  // namespace lexicon::format
