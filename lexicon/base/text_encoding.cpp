#include "lexicon/base/text_encoding.h"

#include <cstring>

#include "lexicon/base/gbk.h"
#include "lexicon/base/unicode.h"

namespace lexicon {

namespace {

// The first byte at or after `from` that is not ASCII, eight bytes at a time.
std::size_t first_non_ascii(std::string_view text, std::size_t from) {
    while (from + 8 <= text.size()) {
        std::uint64_t x;
        std::memcpy(&x, text.data() + from, 8);
        if (x & 0x8080808080808080ull) break;
        from += 8;
    }
    while (from < text.size() && static_cast<unsigned char>(text[from]) < 0x80) ++from;
    return from;
}

// Where the first byte is that belongs to no GBK character, or npos. Single bytes 0x80
// and 0xFF count as characters, as code page 936 reads them.
std::size_t first_non_gbk(std::string_view text) {
    for (std::size_t i = first_non_ascii(text, 0); i < text.size(); i = first_non_ascii(text, i)) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == 0x80 || c == 0xFF) {
            ++i;
        } else if (i + 1 < text.size() && gbk::is_trail(static_cast<unsigned char>(text[i + 1]))) {
            i += 2;
        } else {
            return i;
        }
    }
    return std::string_view::npos;
}

std::uint32_t line_at(std::string_view text, std::size_t at) {
    std::uint32_t line = 1;
    for (std::size_t i = 0; i < at; ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
    return line;
}

}  // namespace

bool is_utf8(std::string_view bytes) {
    for (std::size_t i = first_non_ascii(bytes, 0); i < bytes.size(); i = first_non_ascii(bytes, i)) {
        std::size_t length = 0;
        unicode::decode_utf8(bytes, i, length);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

EncodingFinding detect_text_encoding(std::string_view bytes) {
    EncodingFinding found;
    if (bytes.starts_with("\xFF\xFE")) return {TextEncoding::Utf16Le, true, 0};
    if (bytes.starts_with("\xFE\xFF")) return {TextEncoding::Utf16Be, true, 0};
    if (bytes.starts_with("\xEF\xBB\xBF")) return {TextEncoding::Utf8, true, 1};
    if (bytes.starts_with("{\\rtf")) return {TextEncoding::Rtf, false, 0};
    // A GBK text fails as UTF-8 at its first Chinese character, mostly: cheap.
    if (!is_utf8(bytes)) return found;
    const std::size_t at = first_non_gbk(bytes);
    if (at == std::string_view::npos) return found;
    return {TextEncoding::Utf8, false, line_at(bytes, at)};
}

const char* encoding_name(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8:
        return "UTF-8";
    case TextEncoding::Utf16Le:
        return "UTF-16LE";
    case TextEncoding::Utf16Be:
        return "UTF-16BE";
    case TextEncoding::Rtf:
        return "RTF";
    case TextEncoding::Gbk:
        break;
    }
    return "GBK";
}

}  // namespace lexicon
