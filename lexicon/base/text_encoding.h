#pragma once
// What a file's bytes are, where a GBK word list is expected: the one rule that the
// editor, the compiler and the library editor all follow, so that none of them reads a
// file one way while another reads it the other.
#include <cstdint>
#include <string_view>

namespace lexicon {

enum class TextEncoding {
    Gbk,      // code page 936, or plain ASCII
    Utf8,     // UTF-8 that is not GBK (or starts with EF BB BF)
    Utf16Le,  // starts with FF FE ("Unicode" of Windows Notepad)
    Utf16Be,  // starts with FE FF
    Rtf,      // starts with "{\rtf": a rich-text document, not a plain list
};

struct EncodingFinding {
    TextEncoding encoding = TextEncoding::Gbk;
    bool byte_order_mark = false;  // the file starts with its encoding's byte-order mark
    // UTF-8 without a mark: the line (from 1) of the first character that is not GBK.
    std::uint32_t evidence_line = 0;
};

// The rule: a byte-order mark (UTF-16 either way, UTF-8) or an RTF start decides at
// once. Otherwise the bytes are UTF-8 only when all of them are well-formed UTF-8 and
// some of them are not GBK; anything else is GBK, whose faults the reader reports
// line by line. A file mixing lines of both is GBK: nothing is converted away.
EncodingFinding detect_text_encoding(std::string_view bytes);

// "UTF-16LE", "UTF-16BE", "UTF-8", "RTF", "GBK".
const char* encoding_name(TextEncoding encoding);

// Whether every byte belongs to well-formed UTF-8 (no overlong forms, no surrogates).
bool is_utf8(std::string_view bytes);

}  // namespace lexicon
