#include "documents/text_encoding.h"

#include <cstdint>
#include <cstdio>
#include <unordered_set>

#include "documents/gbk_text.h"
#include "lexicon/base/gbk.h"
#include "lexicon/base/text_encoding.h"
#include "lexicon/base/unicode.h"

namespace documents {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The user-defined areas of GBK, which code page 936 maps in order onto the
// private-use area: AAA1..AFFE, F8A1..FEFE (94 trail bytes from 0xA1) and A140..A7A0
// (96 trail bytes up to 0xA0).
char16_t UserDefined(unsigned lead, unsigned trail) {
    if (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1)
        return static_cast<char16_t>(0xE000 + (lead - 0xAA) * 94 + trail - 0xA1);
    if (lead >= 0xF8 && trail >= 0xA1) return static_cast<char16_t>(0xE234 + (lead - 0xF8) * 94 + trail - 0xA1);
    if (lead >= 0xA1 && lead <= 0xA7 && trail <= 0xA0) {
        unsigned index = trail < 0x7F ? trail - 0x40 : trail - 0x41;
        return static_cast<char16_t>(0xE4C6 + (lead - 0xA1) * 96 + index);
    }
    return 0;
}

// Every pair of a lead and a trail byte as code page 936 reads it: the lexicon's
// table, the user-defined areas, and the pairs left unassigned in GBK, which follow
// from U+E766 on in byte order.
const std::vector<char16_t>& PairTable() {
    static const std::vector<char16_t> table = [] {
        std::vector<char16_t> t(std::size_t{126} * 256, 0);
        char16_t nextUnassigned = 0xE766;
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                if (!lexicon::gbk::is_trail(static_cast<unsigned char>(trail))) continue;
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                char16_t c = static_cast<char16_t>(lexicon::unicode::from_gbk(pair, 2));
                if (c == 0) c = UserDefined(lead, trail);
                if (c == 0) c = nextUnassigned++;
                t[(lead - 0x81) * 256 + trail] = c;
            }
        }
        return t;
    }();
    return table;
}

}  // namespace

std::u16string DecodeGbk(std::string_view bytes) {
    const std::vector<char16_t>& pairs = PairTable();
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            out += static_cast<char16_t>(c);
            ++i;
        } else if (c == 0x80) {
            out += u'\u20AC';
            ++i;
        } else if (c == 0xFF) {
            out += u'\uF8F5';
            ++i;
        } else if (i + 1 < bytes.size() && lexicon::gbk::is_trail(static_cast<unsigned char>(bytes[i + 1]))) {
            out += pairs[(c - 0x81) * 256 + static_cast<unsigned char>(bytes[i + 1])];
            i += 2;
        } else {
            out += kReplacement;
            ++i;
        }
    }
    return out;
}

bool IsUtf8(std::string_view bytes) { return lexicon::is_utf8(bytes); }

bool LooksLikeUtf8NotGbk(std::string_view bytes) {
    return lexicon::detect_text_encoding(bytes).encoding == lexicon::TextEncoding::Utf8;
}

const char* ConvertibleEncoding(std::string_view bytes) {
    const lexicon::TextEncoding encoding = lexicon::detect_text_encoding(bytes).encoding;
    if (encoding == lexicon::TextEncoding::Gbk || encoding == lexicon::TextEncoding::Rtf) return nullptr;
    return lexicon::encoding_name(encoding);
}

Utf8ToGbkResult ConvertToGbk(std::string_view bytes, std::string_view encoding) {
    if (encoding != "UTF-16LE" && encoding != "UTF-16BE") return Utf8ToGbk(bytes);
    const bool little = encoding == "UTF-16LE";
    Utf8ToGbkResult result;
    result.gbk.reserve(bytes.size() / 2);
    std::unordered_set<char32_t> seen;
    auto unit = [&](std::size_t at) {
        const auto a = static_cast<unsigned char>(bytes[at]), b = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<char32_t>(little ? a | b << 8 : a << 8 | b);
    };
    for (std::size_t i = 2; i < bytes.size(); i += 2) {  // after the byte-order mark
        if (i + 1 >= bytes.size()) {
            result.gbk += '?';  // half a unit at the end
            break;
        }
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            result.gbk += '?';  // half a surrogate pair
            continue;
        }
        if (lexicon::unicode::append_gbk(c, result.gbk)) continue;
        result.gbk += '?';
        if (seen.insert(c).second) result.missing.push_back(c);
    }
    return result;
}

Utf8ToGbkResult Utf8ToGbk(std::string_view utf8) {
    Utf8ToGbkResult result;
    result.gbk.reserve(utf8.size());
    std::unordered_set<char32_t> seen;
    std::size_t i = utf8.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (i < utf8.size()) {
        std::size_t length = 0;
        const std::uint32_t c = lexicon::unicode::decode_utf8(utf8, i, length);
        if (length == 0) {
            result.gbk += '?';
            ++i;
            continue;
        }
        i += length;
        if (lexicon::unicode::append_gbk(c, result.gbk)) continue;
        result.gbk += '?';
        if (seen.insert(c).second) result.missing.push_back(c);
    }
    return result;
}

std::string CodePointList(const std::vector<char32_t>& characters, std::size_t limit) {
    std::string out;
    for (std::size_t k = 0; k < characters.size() && k < limit; ++k) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(characters[k]));
        if (k > 0) out += "、";
        out += code;
    }
    if (characters.size() > limit) out += "，另有" + std::to_string(characters.size() - limit) + "个";
    return out;
}

}  // namespace documents
