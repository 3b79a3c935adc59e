#pragma once
// Little-endian fields of a program's headers and resources, read and written in place. The
// caller has checked that the bytes are there.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lexicon::pe {

inline std::uint32_t get16(std::string_view s, std::size_t at) {
    return static_cast<unsigned char>(s[at]) | static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8;
}
inline std::uint32_t get32(std::string_view s, std::size_t at) { return get16(s, at) | get16(s, at + 2) << 16; }
inline void put16(std::string& s, std::size_t at, std::uint32_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}
inline void put32(std::string& s, std::size_t at, std::uint32_t v) {
    put16(s, at, v & 0xFFFF);
    put16(s, at + 2, v >> 16);
}

}  // namespace lexicon::pe
