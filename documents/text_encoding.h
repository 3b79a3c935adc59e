#pragma once
// Window-free reading of a file's bytes for the editor: GBK decoded character by
// character as code page 936 does it, except that a byte that starts no character
// stands for itself alone; and a UTF-8 file recognised and converted to GBK.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace documents {

// The characters of GBK bytes. A lead byte with a trail byte after it is one
// character, mapped as code page 936 maps it (the user-defined and unassigned pairs to
// their private-use code points, so the text goes back to the same bytes); 0x00..0x7F
// are themselves, 0x80 the euro sign, 0xFF U+F8F5. A lead byte without a trail byte
// becomes one U+FFFD, and the byte after it is read afresh: the system's conversion
// takes that byte along, and an ASCII '%' or '=' after a stray byte is lost.
std::u16string DecodeGbk(std::string_view bytes);

// Whether the bytes are well-formed UTF-8 (a byte-order mark at the start included;
// no overlong forms, no surrogates).
bool IsUtf8(std::string_view bytes);

// A file whose bytes are not GBK but are UTF-8: the editor offers to convert it. The
// rule is the compiler's too (lexicon::detect_text_encoding).
bool LooksLikeUtf8NotGbk(std::string_view bytes);

// The encoding the editor offers to convert from, by the shared rule: "UTF-8",
// "UTF-16LE" or "UTF-16BE"; null for GBK (and for RTF, which is read as RTF or as it is).
const char* ConvertibleEncoding(std::string_view bytes);

struct Utf8ToGbkResult {
    std::string gbk;
    // The characters that GBK has no form for, each once, in the order of first
    // appearance; each became '?' in `gbk`.
    std::vector<char32_t> missing;
};
// Converts well-formed UTF-8 to GBK; a byte-order mark at the start is dropped.
// Bytes that are not UTF-8 (the caller checks first) become '?' one by one.
Utf8ToGbkResult Utf8ToGbk(std::string_view utf8);

// Converts a UTF-8 or UTF-16 file (as ConvertibleEncoding names it) to GBK, its
// byte-order mark dropped; what GBK lacks, and broken sequences, become '?'.
Utf8ToGbkResult ConvertToGbk(std::string_view bytes, std::string_view encoding);

// "U+00A9、U+015F" for the first `limit` characters, then how many more there are.
std::string CodePointList(const std::vector<char32_t>& characters, std::size_t limit);

}  // namespace documents
