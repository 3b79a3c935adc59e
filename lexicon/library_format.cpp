#include "lexicon/library_format.h"

#include <array>

namespace lexicon::format {

std::uint32_t hash_text(std::string_view text) {
    const char* p = text.data();
    std::size_t n = text.size();
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ (static_cast<std::uint64_t>(n) * 0xC2B2AE3D27D4EB4Full);
    auto mix = [&h](std::uint64_t chunk) {
        h = (h ^ chunk) * 0xFF51AFD7ED558CCDull;
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
    h *= 0xC4CEB9FE1A85EC53ull;
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
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
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

}  // namespace

std::uint32_t crc32(std::uint32_t crc, const void* data, std::size_t size) {
    const auto& t = crc_tables().t;
    const auto* p = static_cast<const unsigned char*>(data);
    crc = ~crc;
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
