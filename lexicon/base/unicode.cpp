#include "lexicon/base/unicode.h"

#include <vector>

#include "lexicon/base/gbk.h"

namespace lexicon::unicode {

namespace {

constexpr std::size_t trails_per_lead = 190;

const std::uint16_t gbk_to_unicode[126 * trails_per_lead] = {
#include "lexicon/base/gbk_table.inc"
};

std::size_t trail_index(unsigned char trail) { return trail < 0x80 ? trail - 0x40 : trail - 0x80 + 63; }

// The reverse table, built once on first use: GBK bytes (lead << 8 | trail) by code point.
const std::vector<std::uint16_t>& unicode_to_gbk() {
    static const std::vector<std::uint16_t> table = [] {
        std::vector<std::uint16_t> t(0x10000, 0);
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F) continue;
                const std::uint16_t cp =
                    gbk_to_unicode[(lead - 0x81) * trails_per_lead + trail_index(static_cast<unsigned char>(trail))];
                if (cp != 0 && t[cp] == 0) t[cp] = static_cast<std::uint16_t>(lead << 8 | trail);
            }
        }
        t[0x20AC] = 0x80;  // the euro sign is the single byte 0x80
        return t;
    }();
    return table;
}

}  // namespace

std::uint32_t from_gbk(const char* gbk, std::size_t length) {
    const auto lead = static_cast<unsigned char>(gbk[0]);
    if (length == 1) {
        if (lead < 0x80) return lead;
        return lead == 0x80 ? 0x20AC : 0;
    }
    const auto trail = static_cast<unsigned char>(gbk[1]);
    if (length != 2 || !gbk::is_lead(lead) || !gbk::is_trail(trail)) return 0;
    return gbk_to_unicode[(lead - 0x81) * trails_per_lead + trail_index(trail)];
}

bool append_gbk(std::uint32_t code_point, std::string& out) {
    if (code_point < 0x80) {
        out += static_cast<char>(code_point);
        return true;
    }
    if (code_point > 0xFFFF) return false;
    const std::uint16_t bytes = unicode_to_gbk()[code_point];
    if (bytes == 0) return false;
    if (bytes == 0x80) {
        out += '\x80';
    } else {
        out += static_cast<char>(bytes >> 8);
        out += static_cast<char>(bytes & 0xFF);
    }
    return true;
}

void append_utf8(std::uint32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::uint32_t decode_utf8(std::string_view text, std::size_t i, std::size_t& length) {
    const auto c = static_cast<unsigned char>(text[i]);
    length = 0;
    std::size_t n;
    std::uint32_t min;
    if (c < 0x80) {
        length = 1;
        return c;
    }
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > text.size()) return 0;
    std::uint32_t cp = c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        const auto t = static_cast<unsigned char>(text[i + k]);
        if ((t & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (t & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    length = n;
    return cp;
}

}  // namespace lexicon::unicode
