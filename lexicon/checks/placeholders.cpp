#include "lexicon/checks/placeholders.h"

#include <array>
#include <cstring>
#include <string>

namespace lexicon {

namespace {

// One placeholder: its text as written and what it takes from the argument list. A
// printf conversion takes the next argument (and one more for each '*'), unless it
// names its argument as in %2$s; a Windows message insert (%1, %2!d!) names its own.
struct Placeholder {
    std::string_view text;
    char kind[8];  // the '*' widths, the length modifier, the class of the conversion
    std::size_t kind_length;
    unsigned number;           // the argument it names, 0 for the next one
    bool windows;              // %1 or %1!d!
    unsigned star_numbers[2];  // the arguments numbered '*' widths name (%2$.*1$s), in order
    std::size_t stars = 0;
    bool percent() const { return kind_length == 1 && kind[0] == '%'; }
    bool same_kind(const Placeholder& other) const {
        return std::string_view(kind, kind_length) == std::string_view(other.kind, other.kind_length);
    }
};

// The highest argument number a numbered placeholder may name; %100 and %100$s are text.
constexpr unsigned max_numbered = 99;

char conversion_class(char c) {
    switch (c) {
    case 'd':
    case 'i':
        return 'd';
    case 'o':
    case 'u':
    case 'x':
    case 'X':
        return 'u';
    case 'e':
    case 'E':
    case 'f':
    case 'F':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
        return 'f';
    case 'c':
    case 's':
    case 'p':
    case 'n':
    case 'S':
    case 'C':
        return c;
    default:
        return 0;
    }
}

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads a number of at most two digits at text[i] that is followed by `after`; 0 when
// there is none.
unsigned numbered(std::string_view text, std::size_t& i, char after) {
    std::size_t j = i;
    unsigned n = 0;
    while (j < text.size() && is_digit(text[j]) && j - i < 3) n = n * 10 + static_cast<unsigned>(text[j++] - '0');
    if (j == i || text[i] == '0' || n > max_numbered || j >= text.size() || text[j] != after) return 0;
    i = j + 1;
    return n;
}

// Parses the flags, width, precision, length and conversion of a printf conversion from
// text[i] on; false when they form none. `positional` allows *m$ widths.
bool parse_conversion(std::string_view text, std::size_t i, Placeholder& p, bool positional) {
    auto more = [&] { return i < text.size(); };
    auto add = [&p](std::string_view part) {
        for (const char c : part) p.kind[p.kind_length++] = c;
    };
    auto star = [&] {
        add("*");
        ++i;
        if (positional) {
            if (const unsigned m = numbered(text, i, '$'); m != 0 && p.stars < 2) p.star_numbers[p.stars++] = m;
        }
    };
    // Flags, as the C libraries take them: ' groups thousands, I gives the locale's digits
    // (an I before 64 or 32 is Microsoft's length modifier instead).
    auto flag = [&] {
        switch (text[i]) {
        case '-':
        case '+':
        case '#':
        case '0':
        case '\'':
        case '\0':  // as the search of a C string finds its end
            return true;
        case 'I':
            return text.substr(i, 3) != "I64" && text.substr(i, 3) != "I32";
        default:
            return false;
        }
    };
    while (more() && flag()) ++i;
    if (more() && text[i] == '*') {
        star();
    } else {
        while (more() && is_digit(text[i])) ++i;
    }
    if (more() && text[i] == '.') {
        ++i;
        if (more() && text[i] == '*') {
            star();
        } else {
            while (more() && is_digit(text[i])) ++i;
        }
    }
    // The length modifier, the longest that stands there: hh ll I64 I32 h l L j z t I.
    if (more()) {
        std::size_t length = 0;
        switch (text[i]) {
        case 'h':
        case 'l':
            length = i + 1 < text.size() && text[i + 1] == text[i] ? 2 : 1;
            break;
        case 'I':
            length = text.substr(i, 3) == "I64" || text.substr(i, 3) == "I32" ? 3 : 1;
            break;
        case 'L':
        case 'j':
        case 'z':
        case 't':
            length = 1;
            break;
        default:
            break;
        }
        add(text.substr(i, length));
        i += length;
    }
    if (!more()) return false;
    // "%<PRIdMAX>": the <inttypes.h> macros, which gettext's tools read as one
    // conversion; the letter after PRI is the conversion, the rest names the size.
    if (text[i] == '<') {
        const std::size_t close = text.find('>', i);
        const std::string_view macro = close == std::string_view::npos ? std::string_view()
                                                                       : text.substr(i + 1, close - i - 1);
        if (macro.size() < 5 || macro.substr(0, 3) != "PRI") return false;
        const char cls = conversion_class(macro[3]);
        if (cls == 0 || std::strchr("diouxX", macro[3]) == nullptr) return false;
        p.kind[p.kind_length++] = '<';
        p.kind[p.kind_length++] = macro[4];  // M(AX), 6(4), L(EAST..), F(AST..), P(TR), 1, 3, 8
        p.kind[p.kind_length++] = cls;
        p.text = text.substr(0, close + 1);
        return true;
    }
    const char cls = conversion_class(text[i]);
    if (cls == 0) return false;
    p.kind[p.kind_length++] = cls;
    p.text = text.substr(0, i + 1);  // the caller sets where it starts
    return true;
}

// Parses the placeholder that starts at text[at] == '%'; false when the '%' starts none
// (a literal percent sign, as in "100% 完成"). Every byte of a placeholder is ASCII and
// no GBK trail byte is '%', so the scan needs no care for double-byte characters.
// "%1d" is the conversion %d with width 1; "%1" before anything that makes no
// conversion is a Windows insert.
bool parse_placeholder(std::string_view text, std::size_t at, Placeholder& p) {
    p.kind_length = 0;
    p.stars = 0;
    p.number = 0;
    p.windows = false;
    std::size_t i = at + 1;
    if (i < text.size() && text[i] == '%') {
        p.kind[p.kind_length++] = '%';
        p.text = text.substr(at, 2);
        return true;
    }
    if (const unsigned n = numbered(text, i, '$'); n != 0) {
        p.number = n;
        if (!parse_conversion(text, i, p, true)) return false;
        p.text = text.substr(at, p.text.size() - at);
        return true;
    }
    if (parse_conversion(text, i, p, false)) {
        p.text = text.substr(at, p.text.size() - at);
        return true;
    }
    // A Windows insert: %n, or %n!printf format! with the format between the marks.
    std::size_t j = i;
    unsigned n = 0;
    while (j < text.size() && is_digit(text[j]) && j - i < 3) n = n * 10 + static_cast<unsigned>(text[j++] - '0');
    if (j == i || text[i] == '0' || n > max_numbered || (j < text.size() && is_digit(text[j]))) return false;
    p.kind_length = 0;
    p.number = n;
    p.windows = true;
    if (j < text.size() && text[j] == '!') {
        const std::size_t close = text.find('!', j + 1);
        Placeholder inner{};
        if (close != std::string_view::npos && parse_conversion(text.substr(0, close), j + 1, inner, false) &&
            inner.text.size() == close) {
            std::memcpy(p.kind, inner.kind, inner.kind_length);
            p.kind_length = inner.kind_length;
            p.text = text.substr(at, close + 1 - at);
            return true;
        }
    }
    p.kind[p.kind_length++] = 's';  // an insert without a format is a string
    p.text = text.substr(at, j - at);
    return true;
}

// Steps through the placeholders of a text without allocating: most entries have a few.
// "%%" is stepped over: it prints a percent sign and takes no argument, so a translation
// may add or drop one freely.
class Placeholders {
public:
    explicit Placeholders(std::string_view text) : text_(text) {}
    bool next(Placeholder& p) {
        while ((at_ = text_.find('%', at_)) != std::string_view::npos) {
            if (parse_placeholder(text_, at_, p)) {
                at_ += p.text.size();
                if (p.percent()) continue;
                return true;
            }
            ++at_;
        }
        at_ = text_.size();
        return false;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

std::string listed(std::string_view text, std::size_t& count) {
    std::string out;
    count = 0;
    Placeholders all(text);
    Placeholder p;
    while (all.next(p)) {
        if (!out.empty()) out += ' ';
        out.append(p.text);
        ++count;
    }
    return count == 0 ? std::string("（无）") : out;
}

bool has_numbered(std::string_view text) {
    Placeholders all(text);
    Placeholder p;
    while (all.next(p)) {
        if (p.number != 0) return true;
    }
    return false;
}

// What a text takes from the argument list, argument by argument, when placeholders
// name their arguments: a translation may then take them in another order. A text that
// takes one argument as two different kinds conflicts with itself.
class Arguments {
public:
    explicit Arguments(std::string_view text) {
        Placeholders all(text);
        Placeholder p;
        unsigned next = 0;
        while (all.next(p)) {
            std::size_t k = 0;
            if (p.number == 0) {
                // A '*' of an unnumbered conversion takes an int argument of its own first.
                for (; k < p.kind_length && p.kind[k] == '*'; ++k) take(++next, "*");
                take(++next, std::string_view(p.kind + k, p.kind_length - k));
            } else {
                // Numbered '*' widths name their own int arguments (%2$.*1$s takes 1 and 2).
                for (std::size_t s = 0; s < p.stars; ++s) take(p.star_numbers[s], "*");
                for (std::size_t s = 0; s < p.stars && k < p.kind_length && p.kind[k] == '*'; ++s) ++k;
                take(p.number, std::string_view(p.kind + k, p.kind_length - k));
            }
        }
    }
    bool operator==(const Arguments& other) const {
        if (conflict_ || other.conflict_ || used_ != other.used_) return false;
        for (unsigned n = 1; n <= used_; ++n) {
            if (kind(n) != other.kind(n)) return false;
        }
        return true;
    }
    bool same_arguments(const Arguments& other) const {
        if (used_ != other.used_) return false;
        for (unsigned n = 1; n <= used_; ++n) {
            if (kind(n).empty() != other.kind(n).empty()) return false;
        }
        return true;
    }

private:
    static constexpr unsigned capacity = 600;  // a 1024-byte text holds at most 512 placeholders
    std::string_view kind(unsigned n) const { return {kinds_[n].text, kinds_[n].length}; }
    void take(unsigned n, std::string_view kind) {
        if (n >= capacity) {
            conflict_ = true;
            return;
        }
        Kind& k = kinds_[n];
        if (k.length != 0 && std::string_view(k.text, k.length) != kind) conflict_ = true;
        k.length = static_cast<unsigned char>(kind.size());
        std::memcpy(k.text, kind.data(), kind.size());
        if (n > used_) used_ = n;
    }
    struct Kind {
        char text[8];
        unsigned char length = 0;
    };
    Kind kinds_[capacity];
    unsigned used_ = 0;
    bool conflict_ = false;
};

enum class Mismatch { None, Count, OrderOrKind, Arguments, Kinds };

// True when the text has a '%' right before an ASCII letter that starts no conversion
// ("%H:%M", "%T"): a format of another formatter (strftime, a linker's own), which
// gettext's tools do not compare, and neither do we.
bool other_format(std::string_view text) {
    for (std::size_t at = text.find('%'); at != std::string_view::npos; at = text.find('%', at + 1)) {
        if (at + 1 >= text.size()) break;
        const char c = text[at + 1];
        if (c == '%') {
            ++at;
            continue;
        }
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        Placeholder p{};
        if (letter && !parse_placeholder(text, at, p)) return true;
    }
    return false;
}

// The placeholders of a text, read once. `complete` is false for a text that holds more
// than there is room for; it is then read again for each question.
struct PlaceholderList {
    static constexpr std::size_t room = 16;
    Placeholder items[room];
    std::size_t size = 0;
    bool complete = true;
    bool numbered = false;

    explicit PlaceholderList(std::string_view text) {
        Placeholders all(text);
        Placeholder p;
        while (all.next(p)) {
            if (size == room) {
                complete = false;
                return;
            }
            numbered = numbered || p.number != 0;
            items[size++] = p;
        }
    }
};

Mismatch placeholder_mismatch(std::string_view original, std::string_view translation) {
    if (original.find('%') == std::string_view::npos && translation.find('%') == std::string_view::npos) {
        return Mismatch::None;
    }
    if (other_format(original)) return Mismatch::None;
    if (const PlaceholderList a(original), b(translation); a.complete && b.complete) {
        if (!a.numbered && !b.numbered) {
            // Both take their arguments in order: compared placeholder by placeholder.
            for (std::size_t k = 0; k < a.size || k < b.size; ++k) {
                if (k == a.size || k == b.size || !a.items[k].same_kind(b.items[k])) {
                    return a.size != b.size ? Mismatch::Count : Mismatch::OrderOrKind;
                }
            }
            return Mismatch::None;
        }
    } else if (!has_numbered(original) && !has_numbered(translation)) {
        Placeholders in_a(original), in_b(translation);
        Placeholder pa, pb;
        for (;;) {
            const bool more_a = in_a.next(pa);
            const bool more_b = in_b.next(pb);
            if (!more_a && !more_b) return Mismatch::None;
            if (more_a != more_b || !pa.same_kind(pb)) break;
        }
        std::size_t count_a = 0, count_b = 0;
        listed(original, count_a);
        listed(translation, count_b);
        return count_a != count_b ? Mismatch::Count : Mismatch::OrderOrKind;
    }
    const Arguments args_a(original), args_b(translation);
    if (args_a == args_b) return Mismatch::None;
    return args_a.same_arguments(args_b) ? Mismatch::Kinds : Mismatch::Arguments;
}

}  // namespace

void check_placeholders(std::string_view original, std::string_view translation, std::uint32_t line,
                        PlaceholderCheck check, Diagnostics& diagnostics) {
    const Mismatch mismatch = placeholder_mismatch(original, translation);
    if (mismatch == Mismatch::None) return;
    const char* what = "";
    switch (mismatch) {
    case Mismatch::Count:
        what = "的个数";
        break;
    case Mismatch::OrderOrKind:
        what = "的顺序或类型";
        break;
    case Mismatch::Arguments:
        what = "所取的参数";
        break;
    case Mismatch::Kinds:
        what = "的参数类型";
        break;
    case Mismatch::None:
        break;
    }
    const auto lists = [&] {
        std::size_t count_a = 0, count_b = 0;
        return cat("格式占位符", what, "不一致：原文是“", listed(original, count_a), "”，译文是“",
                   listed(translation, count_b), "”");
    };
    if (check == PlaceholderCheck::Off) {
        diagnostics.add_composed(Code::PlaceholderCheckOff, line, 0, [&] {
            return cat(lists(), "；前一行的“", placeholder_opt_out, "”关闭了这一条目的占位符检查");
        });
        return;
    }
    diagnostics.add_composed(Code::PlaceholderMismatch, line, 0,
                             [&] { return cat(lists(), placeholder_opt_out_advice); });
}

// The text without a Windows insert that closes it: the '!' of "%2!d!" is no
// exclamation mark.
std::string_view without_closing_insert(std::string_view text) {
    if (text.empty() || text.back() != '!') return text;
    Placeholders all(text);
    Placeholder p;
    std::string_view last;
    while (all.next(p)) last = p.windows ? p.text : std::string_view();
    if (!last.empty() && last.data() + last.size() == text.data() + text.size()) {
        return text.substr(0, static_cast<std::size_t>(last.data() - text.data()));
    }
    return text;
}

bool placeholders_match(std::string_view original, std::string_view translation) {
    return placeholder_mismatch(original, translation) == Mismatch::None;
}

bool strict_printf(std::string_view text) {
    bool numbered = false, unnumbered = false;
    bool used[max_numbered + 1] = {};
    unsigned highest = 0;
    for (std::size_t at = text.find('%'); at != std::string_view::npos;) {
        Placeholder p;
        if (!parse_placeholder(text, at, p) || p.windows) return false;
        if (p.number != 0) {
            numbered = true;
            used[p.number] = true;
            if (p.number > highest) highest = p.number;
        } else if (!p.percent()) {
            unnumbered = true;
        }
        at = text.find('%', at + p.text.size());
    }
    if (numbered && unnumbered) return false;
    for (unsigned n = 1; n <= highest; ++n) {
        if (!used[n]) return false;
    }
    return true;
}

PlaceholderStyle placeholder_style(std::string_view text) {
    PlaceholderStyle style;
    Placeholders all(text);
    Placeholder p;
    while (all.next(p)) {
        if (p.windows) {
            style.windows = true;
        } else if (!p.percent()) {
            style.printf = true;
        }
    }
    return style;
}

}  // namespace lexicon
