#pragma once
// The escapes of a word list's texts, read and written in one place: the parser resolves
// them, every writer of a word-list line spells a text with them.
#include <string>
#include <string_view>

namespace lexicon {

// The byte an escape stands for, or 0 for an unknown escape.
constexpr char unescape(char c) {
    switch (c) {
    case '=':
        return '=';
    case '\\':
        return '\\';
    case ';':
        return ';';
    case 't':
        return '\t';
    case 's':
        return ' ';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'v':
        return '\v';
    default:
        return 0;
    }
}

constexpr int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The control bytes that \xHH may write: the ones without a letter escape of their own.
// Everything else has one way to be written, so a list reads the same everywhere.
constexpr bool needs_hex_escape(unsigned char c) {
    return (c >= 0x01 && c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\a' && c != '\b' && c != '\f' &&
            c != '\v') ||
           c == 0x7F;
}

// Writes a text the way a word list spells it, so that reading it back gives the same
// bytes: backslash and every control byte always escaped (\t \n \r \a \b \f \v, the
// others as \xHH), blanks at either end as \s, and for an original also '=' and a
// leading ';'.
enum class EscapeFor { Original, Translation };
std::string escape_text(std::string_view text, EscapeFor where);

// The escape that writes one control byte (below 0x20, or 0x7F) in a word list.
std::string control_escape(unsigned char c);

}  // namespace lexicon
