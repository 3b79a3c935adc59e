#pragma once
// Conversion between GBK (code page 936) and Unicode by the lexicon's own table, so that
// Mervik gives the same bytes on every system. 0x80 is the euro sign, as in code page 936;
// the user-defined areas of GBK have no code point here.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lexicon::unicode {

// The code point of the GBK character of `length` bytes at gbk[0], or 0 when there is none.
std::uint32_t from_gbk(const char* gbk, std::size_t length);

// Appends the GBK bytes of a code point; false (nothing appended) when GBK has none.
bool append_gbk(std::uint32_t code_point, std::string& out);

// Appends the UTF-8 bytes of a code point.
void append_utf8(std::uint32_t cp, std::string& out);

// The code point of the UTF-8 character at text[i] and its length in `length`; 0 as the
// length when the bytes there are not valid UTF-8 (overlong forms and surrogates are not).
std::uint32_t decode_utf8(std::string_view text, std::size_t i, std::size_t& length);

}  // namespace lexicon::unicode
