#pragma once
// The compiled library (.LIB): constants and the two functions a reader needs besides
// the layout. docs/library-format.md describes the file byte by byte.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace lexicon::format {

// "MVLB", CR LF, ^Z, NUL: a file mangled by a text-mode copy fails the check at once.
constexpr char magic[8] = {'M', 'V', 'L', 'B', '\r', '\n', '\x1A', '\0'};
constexpr std::uint16_t version_major = 1;
// Minor version 1 says that a text may be longer than the 1,024 bytes of version 1.0; a
// library without such a text is written as 1.0, as before.
constexpr std::uint16_t version_minor = 0;
constexpr std::uint16_t version_minor_long_texts = 1;
constexpr std::size_t version_1_0_text_bytes = 1024;
constexpr std::uint32_t header_size = 64;
constexpr std::uint32_t trailer_size = 4;  // CRC-32 of every byte before it

// Header field offsets.
constexpr std::size_t at_version_major = 8;
constexpr std::size_t at_version_minor = 10;
constexpr std::size_t at_header_size = 12;
constexpr std::size_t at_entry_count = 16;
constexpr std::size_t at_description_offset = 20;
constexpr std::size_t at_description_length = 24;
constexpr std::size_t at_records_offset = 28;
constexpr std::size_t at_records_size = 32;
constexpr std::size_t at_index_offset = 36;
constexpr std::size_t at_index_slots = 40;
constexpr std::size_t at_file_size = 44;

constexpr std::size_t record_header = 4;  // u16 original length, u16 translation length
constexpr std::size_t slot_size = 8;      // u32 hash, u32 record offset (0 = free)
constexpr std::uint32_t max_description_bytes = 255;

inline std::uint32_t load_u32(const char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
    return v;
}
inline std::uint16_t load_u16(const char* p) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap16(v);
    return v;
}
inline void store_u32(char* p, std::uint32_t v) {
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
    std::memcpy(p, &v, 4);
}
inline void store_u16(char* p, std::uint16_t v) {
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap16(v);
    std::memcpy(p, &v, 2);
}

// The index hash of an original: 8 bytes at a time, so a lookup spends a few
// nanoseconds on it. Zero is never returned.
std::uint32_t hash_text(std::string_view text);

// CRC-32 as zip and PNG compute it (reflected polynomial 0xEDB88320), continued from
// `crc` (0 for a new sum).
std::uint32_t crc32(std::uint32_t crc, const void* data, std::size_t size);

// Slots of the index for `entries` entries: one and a half per entry, at least 8.
inline std::size_t slots_for(std::size_t entries) {
    const std::size_t n = entries + entries / 2;
    return n < 8 ? 8 : n;
}

}  // namespace lexicon::format
