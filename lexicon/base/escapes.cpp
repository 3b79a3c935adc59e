#include "lexicon/base/escapes.h"

#include "lexicon/base/gbk.h"

namespace lexicon {

std::string control_escape(unsigned char c) {
    switch (c) {
    case '\a':
        return "\\a";
    case '\b':
        return "\\b";
    case '\f':
        return "\\f";
    case '\v':
        return "\\v";
    case '\t':
        return "\\t";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    default: {
        static constexpr char digits[] = "0123456789ABCDEF";
        return {'\\', 'x', digits[c >> 4], digits[c & 15]};
    }
    }
}

std::string escape_text(std::string_view text, EscapeFor where) {
    std::size_t lead = 0;
    while (lead < text.size() && text[lead] == ' ') ++lead;
    std::size_t trail = text.size();
    while (trail > lead && text[trail - 1] == ' ') --trail;

    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = gbk::char_length(text, i);
        const char c = text[i];
        if (n == 2) {
            out.append(text.substr(i, 2));
        } else if (c == ' ' && (i < lead || i >= trail)) {
            out += "\\s";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            out += control_escape(static_cast<unsigned char>(c));
        } else if (where == EscapeFor::Original && (c == '=' || (c == ';' && i == 0))) {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
        i += n;
    }
    return out;
}

}  // namespace lexicon
