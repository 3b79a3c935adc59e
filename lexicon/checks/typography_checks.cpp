#include "lexicon/checks/typography_checks.h"

#include <array>
#include <bit>
#include <cstring>
#include <string>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define LEXICON_MARKS_16 1
#endif

namespace lexicon {

namespace {

constexpr unsigned char byte(char c) { return static_cast<unsigned char>(c); }
constexpr bool is_lead(char c) { return byte(c) >= 0x81 && byte(c) <= 0xFE; }
constexpr bool is_ascii_alnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Flags per byte: for a single-byte character what it is, for a lead byte what its
// row holds (row 0xA1 is told apart by the trail byte).
enum : std::uint8_t { kHan = 1, kHalfWidth = 2, kFullWidth = 4, kPaired = 8, kAmpersand = 16 };

constexpr std::array<std::uint8_t, 256> single_byte_flags() {
    std::array<std::uint8_t, 256> t{};
    for (const char c : std::string_view(",.;:?!()")) t[byte(c)] = kHalfWidth;
    t[byte('&')] = kAmpersand;
    return t;
}

constexpr auto single_byte_table = single_byte_flags();

// One character of GBK text: where it starts, how many bytes, its number from 1.
struct Char {
    std::size_t at;
    std::size_t size;
    std::size_t column;
};

// Fills `out` (kept by the caller from entry to entry, so that checking a large list
// allocates nothing).
void characters(std::string_view text, std::vector<Char>& out) {
    out.clear();
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = is_lead(text[i]) && i + 1 < text.size() ? 2 : 1;
        out.push_back({i, n, out.size() + 1});
        i += n;
    }
}

// A Chinese character: any double-byte character outside the rows of marks and
// full-width forms (0xA1-0xA9).
bool is_han(std::string_view text, const Char& c) {
    if (c.size != 2) return false;
    const unsigned char lead = byte(text[c.at]);
    return lead < 0xA1 || lead > 0xA9;
}

std::string_view at(std::string_view text, const Char& c) { return text.substr(c.at, c.size); }

// Adds a message about one byte of the translation, at its column of the line.
struct Report {
    Diagnostics& diagnostics;
    const TranslationPlace& place;

    // `compose` gives the text, composed only when the message gets listed.
    template <typename Compose>
    void operator()(Code code, std::size_t at, Compose compose) const {
        diagnostics.add_composed(code, place.line, place.column(at), compose);
    }
};

std::string full_width_of(char c) {
    switch (c) {
    case ',':
        return "，";
    case '.':
        return "。";
    case ';':
        return "；";
    case ':':
        return "：";
    case '?':
        return "？";
    case '!':
        return "！";
    case '(':
        return "（";
    default:
        return "）";
    }
}

// Half-width marks where the Chinese text around them wants full-width ones. Marks
// between Latin letters, in file names, paths and URLs ("说明.txt", "C:\temp"), in
// placeholders ("%s."), in the access key "(&F)" and in the ellipsis "..." are left be.
// True when the original writes `mark` as syntax, directly followed by more text
// ("OWNER:GROUP", "lib,lib", "app;tool;"): the translation's mark used the same way is
// that syntax, not prose punctuation.
bool syntax_mark(std::string_view original, char mark) {
    for (std::size_t i = original.find(mark); i != std::string_view::npos; i = original.find(mark, i + 1)) {
        if (i + 1 < original.size() && original[i + 1] != ' ' && original[i + 1] != '\t' && original[i + 1] != '\n' &&
            original[i + 1] != mark)
            return true;
    }
    return false;
}

// True when the mark and the Latin text after it stand in the original as they are
// ("命令; done" for "COMMANDS; done"): copied syntax, not the translator's punctuation.
bool copied_from_original(std::string_view original, std::string_view text, std::size_t at) {
    std::size_t end = at + 1;
    while (end < text.size() && end - at < 8 && static_cast<unsigned char>(text[end]) < 0x80 && text[end] != '\n')
        ++end;
    if (end - at < 3 || text.substr(at + 1, 2) == "  ") return false;
    return original.find(text.substr(at, end - at)) != std::string_view::npos;
}

void check_half_width(std::string_view original, std::string_view text, const std::vector<Char>& cs,
                      const Report& report) {
    for (std::size_t k = 0; k < cs.size(); ++k) {
        const Char& c = cs[k];
        if (c.size != 1 || single_byte_table[byte(text[c.at])] != kHalfWidth) continue;
        const char m = text[c.at];
        const bool han_before = k > 0 && is_han(text, cs[k - 1]);
        const bool han_after = k + 1 < cs.size() && is_han(text, cs[k + 1]);
        const char next = k + 1 < cs.size() && cs[k + 1].size == 1 ? text[cs[k + 1].at] : '\0';
        bool fault = false;
        if (m == '(') {
            // "(&F)" and the "(_F)" that toolkits with underscore mnemonics use.
            const bool key = text.substr(c.at, 2) == "(&" || (text.substr(c.at, 2) == "(_" && c.at + 3 < text.size() &&
                                                              is_ascii_alnum(text[c.at + 2]) && text[c.at + 3] == ')');
            const bool shown_key = k + 2 < cs.size() && is_ascii_alnum(next) && text.substr(c.at + 2, 1) == ")";
            fault = !key && !shown_key && (han_before || han_after);
        } else if (m == ')') {
            // The ')' of a malformed key such as "(&开)" is the key check's to report.
            fault = han_before && !(c.at >= 4 && text.substr(c.at - 4, 2) == "(&");
        } else if (m == '.') {
            const bool ellipsis = text.substr(c.at, 3) == "..." || (c.at > 0 && text[c.at - 1] == '.');
            fault = han_before && !ellipsis && !is_ascii_alnum(next) && next != '/' && next != '\\';
        } else if (m == ':') {
            fault = han_before && next != '/' && next != '\\';
        } else {
            fault = han_before;
        }
        const bool more_follows = k + 1 < cs.size() && next != ' ' && next != '\t' && next != '\n';
        const bool ends_as_original = k + 1 == cs.size() && !original.empty() && original.back() == m;
        // A full stop between two Chinese characters ends a sentence whatever the original
        // writes elsewhere ("反向域名.请更新" for an original that names "example.org").
        const bool between_han = m == '.' && han_before && han_after;
        if (fault && !between_han && m != '(' && m != ')' && (more_follows || ends_as_original) &&
            syntax_mark(original, m))
            fault = false;
        if (fault && copied_from_original(original, text, c.at)) fault = false;
        if (fault) {
            report(Code::HalfWidthPunctuation, c.at, [&] {
                return cat("译文第 ", c.column, " 个字符是半角的“", std::string_view(&text[c.at], 1),
                           "”，中文里应写全角的“", full_width_of(m), "”");
            });
        }
    }
}

// Full-width Latin letters and digits and the ideographic space, where the original
// writes the plain ones.
void check_full_width(std::string_view original, std::string_view text, const std::vector<Char>& cs,
                      const Report& report) {
    const bool original_space = original.find(' ') != std::string_view::npos;
    for (const Char& c : cs) {
        if (c.size != 2) continue;
        const unsigned char lead = byte(text[c.at]);
        const unsigned char trail = byte(text[c.at + 1]);
        if (lead == 0xA1 && trail == 0xA1) {
            if (original_space) {
                report(Code::FullWidthLatin, c.at,
                       [&] { return cat("译文第 ", c.column, " 个字符是全角空格，原文用的是半角空格"); });
            }
            continue;
        }
        if (lead != 0xA3) continue;
        const bool letter_or_digit = (trail >= 0xB0 && trail <= 0xB9) || (trail >= 0xC1 && trail <= 0xDA) ||
                                     (trail >= 0xE1 && trail <= 0xFA);
        if (!letter_or_digit) continue;
        const char plain = static_cast<char>(trail - 0x80);
        // Chinese text writes Latin letters and digits half-width, whether the original
        // has them ("设置 ＣＰＵ 架构" for "Set the architecture") or not.
        if (original.find(plain) == std::string_view::npos) {
            report(Code::FullWidthLatin, c.at, [&] {
                return cat("译文第 ", c.column, " 个字符是全角的“", at(text, c), "”，中文里应写半角的“",
                           std::string_view(&plain, 1), "”");
            });
            continue;
        }
        report(Code::FullWidthLatin, c.at, [&] {
            return cat("译文第 ", c.column, " 个字符是全角的“", at(text, c), "”，原文用的是半角的“",
                       std::string_view(&plain, 1), "”");
        });
    }
}

// Paired marks: each opening one is closed, and no closing one comes first.
void check_pairs(std::string_view original, std::string_view text, const std::vector<Char>& cs, const Report& report) {
    static const struct {
        std::string_view open, close;
        char plain_open, plain_close;  // the original's marks that may leave the pair open on purpose
    } pairs[] = {{"“", "”", '"', '"'},   {"‘", "’", '\'', '\''}, {"（", "）", '(', ')'},
                 {"《", "》", '<', '>'}, {"【", "】", '[', ']'}, {"「", "」", '{', '}'}};
    // Characters compared as numbers: lead byte and trail byte.
    const auto code = [](std::string_view mark) {
        return mark.size() == 2 ? static_cast<unsigned>(byte(mark[0]) << 8 | byte(mark[1])) : 0u;
    };
    const auto code_at = [&](const Char& c) {
        return c.size == 2 ? static_cast<unsigned>(byte(text[c.at]) << 8 | byte(text[c.at + 1])) : 0u;
    };
    // The kinds of marks the translation holds: the others need no look.
    unsigned held = 0;
    for (const Char& c : cs) {
        if (c.size != 2 || (byte(text[c.at]) != 0xA1 && byte(text[c.at]) != 0xA3)) continue;
        const unsigned s = code_at(c);
        for (unsigned k = 0; k < std::size(pairs); ++k) {
            if (s == code(pairs[k].open) || s == code(pairs[k].close)) held |= 1u << k;
        }
    }
    for (unsigned k = 0; k < std::size(pairs); ++k) {
        if ((held & (1u << k)) == 0) continue;
        const auto& p = pairs[k];
        // An original whose own marks do not pair may be one piece of a longer text.
        const auto count = [&](char c) {
            std::size_t n = 0;
            for (char o : original) n += o == c ? 1 : 0;
            return n;
        };
        bool original_open = p.plain_open == p.plain_close ? count(p.plain_open) % 2 != 0
                                                           : count(p.plain_open) != count(p.plain_close);
        // Quotation marks: the original may quote with ' " ` in any mix ("`%s'"), and a
        // translation may pick either kind of Chinese quotes for them.
        if (p.plain_open == '"' || p.plain_open == '\'') {
            // An apostrophe inside a word ("Can't", "file's") quotes nothing.
            std::size_t apostrophes = 0;
            for (std::size_t i = 1; i + 1 < original.size(); ++i) {
                apostrophes += original[i] == '\'' && is_ascii_alnum(original[i - 1]) &&
                               is_ascii_alnum(original[i + 1]);
            }
            original_open = (count('"') + count('\'') - apostrophes + count('`')) % 2 != 0;
        }
        // An original that holds the marks themselves unbalanced ("N’Ko") passes them on.
        const auto count_text = [&](std::string_view mark) {
            std::size_t n = 0;
            for (std::size_t i = original.find(mark); i != std::string_view::npos; i = original.find(mark, i + 1)) ++n;
            return n;
        };
        original_open = original_open || count_text(p.open) != count_text(p.close);
        if (original_open) continue;
        std::vector<const Char*> open;
        const unsigned open_code = code(p.open), close_code = code(p.close);
        for (const Char& c : cs) {
            if (c.size != 2) continue;
            const unsigned s = code_at(c);
            if (s == open_code) {
                open.push_back(&c);
            } else if (s == close_code) {
                if (open.empty()) {
                    report(Code::UnbalancedPair, c.at, [&] {
                        return cat("译文第 ", c.column, " 个字符“", p.close, "”前面没有与之配对的“", p.open, "”");
                    });
                    return;
                }
                open.pop_back();
            }
        }
        if (!open.empty()) {
            report(Code::UnbalancedPair, open.back()->at, [&] {
                return cat("译文第 ", open.back()->column, " 个字符“", p.open, "”后面没有与之配对的“", p.close, "”");
            });
            return;
        }
    }
}

// The access keys of a text: the position of each '&' that is no "&&".
std::vector<std::size_t> key_marks(std::string_view text) {
    std::vector<std::size_t> out;
    for (std::size_t i = text.find('&'); i != std::string_view::npos && i + 1 < text.size();
         i = text.find('&', i + 2)) {
        if (text[i + 1] != '&') out.push_back(i);
    }
    return out;
}

// The "\tCtrl+N" shortcut at the end of a menu text, empty when there is none.
std::string_view shortcut_of(std::string_view text) {
    const std::size_t tab = text.rfind('\t');
    if (tab == std::string_view::npos) return {};
    // Only a key name or combination follows the tab ("Ctrl+N", "F5", "Del"): a tab in
    // a column of help text, or one that only ends the text (W205's), is no shortcut.
    const std::string_view keys = text.substr(tab + 1);
    if (keys.empty() || keys.size() > 24 || keys.find_first_of(" \t\n") != std::string_view::npos) return {};
    static constexpr std::string_view single_keys[] = {"Del", "Delete", "Ins",  "Insert",    "Esc", "Enter", "Home",
                                                       "End", "PgUp",   "PgDn", "Backspace", "Tab", "Space"};
    bool key = keys.find('+') != std::string_view::npos && keys.size() > 1;
    if (keys.size() >= 2 && keys.size() <= 3 && keys[0] == 'F' && keys[1] >= '1' && keys[1] <= '9') key = true;
    for (std::string_view k : single_keys) key = key || keys == k;
    return key ? text.substr(tab) : std::string_view();
}

bool has_han(std::string_view text, const std::vector<Char>& cs) {
    for (const Char& c : cs) {
        if (is_han(text, c)) return true;
    }
    return false;
}

std::size_t column_of(const std::vector<Char>& cs, std::size_t at) {
    for (const Char& c : cs) {
        if (c.at >= at) return c.column;
    }
    return cs.size() + 1;
}

// Access keys as Chinese Windows programs show them: "打开(&O)...", one key, an ASCII
// letter or digit in brackets, at the end of the words; the shortcut after a tab is
// kept as the original has it.
void check_access_key(std::string_view original, std::string_view text, const std::vector<Char>& cs,
                      const Report& report) {
    const std::string_view shortcut = shortcut_of(original);
    if (!shortcut.empty() && shortcut_of(text) != shortcut) {
        const std::size_t tab = text.rfind('\t');
        report(Code::AccessKeyStyle, tab == std::string_view::npos ? text.size() : tab, [&] {
            return cat("快捷键后缀应与原文逐字相同：原文是“", shown(shortcut.substr(1)), "”，译文是“",
                       shown(shortcut_of(text).substr(shortcut_of(text).empty() ? 0 : 1)), "”");
        });
    }
    const auto keys_o = key_marks(original);
    const auto keys_t = key_marks(text);
    // A different number of keys is W204's; a translation in Latin letters keeps "&File".
    if (keys_o.size() != 1 || keys_t.size() != 1 || !has_han(text, cs)) return;
    // A menu item or a dialog label is one line, and its key a letter or digit: "AT&T",
    // "`&'" and "&#234;" in a paragraph of help text are the character itself.
    if (original.find('\n') != std::string_view::npos || !is_ascii_alnum(original[keys_o[0] + 1])) return;
    const std::size_t amp = keys_t[0];
    const bool bracketed = amp > 0 && text[amp - 1] == '(' && amp + 2 < text.size() && text[amp + 2] == ')' &&
                           is_ascii_alnum(text[amp + 1]);
    const std::size_t column = column_of(cs, bracketed ? amp - 1 : amp);
    // "&O.打开..." puts the key before the words, as the word lists of this editor long
    // have; it is no key inside the words.
    const bool prefixed = amp == 0 && text.size() > 3 && is_ascii_alnum(text[1]) && text[2] == '.';
    if (prefixed) return;
    if (!bracketed) {
        report(Code::AccessKeyStyle, amp, [&] {
            return cat("译文第 ", column, " 个字符处的快捷键应写成“(&",
                       is_ascii_alnum(text[amp + 1]) ? text[amp + 1] : 'X', ")”的形式，放在文字之后");
        });
        return;
    }
    std::string_view rest = text.substr(amp + 3);
    rest = rest.substr(0, rest.size() - shortcut_of(rest).size());
    while (!rest.empty() && (rest.back() == ' ')) rest.remove_suffix(1);
    static constexpr std::string_view trailing[] = {"", "...", "…", "……", ":", "："};
    for (std::string_view t : trailing) {
        if (rest == t) return;
    }
    report(Code::AccessKeyStyle, amp - 1, [&] {
        return cat("译文第 ", column, " 个字符处的快捷键“", text.substr(amp - 1, 4),
                   "”应放在文字的末尾（只可后跟“...”、“…”或“:”）");
    });
}

// What one pass over the translation shows, so that a check whose marks the text does
// not hold is not run: most translations hold none of them.
struct Marks {
    bool han = false;
    bool half_width = false;  // one of , . ; : ? ! ( )
    bool full_width = false;  // the ideographic space, or a full-width letter or digit
    bool paired = false;      // a character that may be one of the paired marks
    bool ampersand = false;
};

constexpr std::array<std::uint8_t, 256> lead_byte_flags() {
    std::array<std::uint8_t, 256> t{};
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        t[static_cast<std::size_t>(lead)] = lead < 0xA1 || lead > 0xA9 ? kHan : 0;
    return t;
}

#if defined(LEXICON_MARKS_16)
// The same sixteen bytes at a time, without walking the characters: the ASCII marks
// are found exactly (none of them can be a trail byte); a Chinese character, a
// full-width letter and a paired mark are found wherever their bytes stand, also where
// such a byte is the trail of another character. Each check looks again itself, so a
// mark found that way only costs a look that finds nothing.
Marks marks_of(std::string_view text) {
    __m128i half = _mm_setzero_si128();
    __m128i ampersand = _mm_setzero_si128();
    __m128i han = _mm_setzero_si128();
    unsigned full_width = 0, paired = 0;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; i += 16) {
        alignas(16) char tail[16] = {};
        const char* p = text.data() + i;
        if (n - i < 16) {
            std::memcpy(tail, p, n - i);
            p = tail;
        }
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const auto is = [&](char c) { return _mm_cmpeq_epi8(x, _mm_set1_epi8(c)); };
        half = _mm_or_si128(half,
                            _mm_or_si128(_mm_or_si128(_mm_or_si128(is(','), is('.')), _mm_or_si128(is(';'), is(':'))),
                                         _mm_or_si128(_mm_or_si128(is('?'), is('!')), _mm_or_si128(is('('), is(')')))));
        ampersand = _mm_or_si128(ampersand, is('&'));
        // A byte from 0x81 on outside 0xA1-0xA9 (signed: -127..-96 and -86..-2).
        const __m128i rows_a1_a9 = _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(-96)),
                                                 _mm_cmplt_epi8(x, _mm_set1_epi8(-86)));
        const __m128i high = _mm_cmplt_epi8(x, _mm_set1_epi8(-1));  // 0x80..0xFE
        han = _mm_or_si128(han, _mm_andnot_si128(_mm_or_si128(rows_a1_a9, is('\x80')), high));
        // Rows 0xA1 and 0xA3 are told apart by the byte after.
        for (auto rows = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(is('\xA1'), is('\xA3')))); rows != 0;
             rows &= rows - 1) {
            const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(rows));
            if (at + 1 >= n) break;
            const unsigned char trail = byte(text[at + 1]);
            if (byte(text[at]) == 0xA1) {
                full_width |= trail == 0xA1 ? 1u : 0u;
                paired |= trail >= 0xAE && trail <= 0xBF ? 1u : 0u;
            } else {
                full_width |= (trail >= 0xB0 && trail <= 0xB9) || (trail >= 0xC1 && trail <= 0xDA) ||
                                      (trail >= 0xE1 && trail <= 0xFA)
                                  ? 1u
                                  : 0u;
                paired |= trail == 0xA8 || trail == 0xA9 ? 1u : 0u;
            }
        }
    }
    const auto any = [](__m128i v) { return _mm_movemask_epi8(v) != 0; };
    return {any(han), any(half), full_width != 0, paired != 0, any(ampersand)};
}
#else
Marks marks_of(std::string_view text) {
    static constexpr auto lead_row = lead_byte_flags();
    unsigned flags = 0;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = byte(text[i]);
        if (!is_lead(text[i]) || i + 1 == n) {
            flags |= single_byte_table[c];
            ++i;
            continue;
        }
        if (c == 0xA1) {
            const unsigned char trail = byte(text[i + 1]);
            flags |= (trail == 0xA1 ? kFullWidth : 0) | (trail >= 0xAE && trail <= 0xBF ? kPaired : 0);
        } else if (c == 0xA3) {
            // Row 0xA3 is mostly the full-width commas and colons of any Chinese text;
            // only its letters, digits and brackets matter here.
            const unsigned char trail = byte(text[i + 1]);
            const bool letter_or_digit = (trail >= 0xB0 && trail <= 0xB9) || (trail >= 0xC1 && trail <= 0xDA) ||
                                         (trail >= 0xE1 && trail <= 0xFA);
            flags |= (letter_or_digit ? kFullWidth : 0) | (trail == 0xA8 || trail == 0xA9 ? kPaired : 0);
        } else {
            flags |= lead_row[c];
        }
        i += 2;
    }
    return {(flags & kHan) != 0, (flags & kHalfWidth) != 0, (flags & kFullWidth) != 0, (flags & kPaired) != 0,
            (flags & kAmpersand) != 0};
}

#endif

}  // namespace

std::uint32_t TranslationPlace::column(std::size_t at) const {
    if (!known) return 0;
    std::size_t extra = before_extra;
    if (escapes != nullptr) {
        for (const auto& [offset, more] : *escapes) {
            if (offset < at) extra += more;
        }
    }
    return static_cast<std::uint32_t>(before.size() + extra + at + 1);
}

void check_typography(std::string_view original, std::string_view translation, const TranslationPlace& place,
                      Diagnostics& diagnostics, const CheckOptOut& opt_out) {
    const Marks m = marks_of(translation);
    // Every half-width fault stands next to a Chinese character; an access key check
    // needs a key in the translation or a shortcut in the original.
    const bool half_width = m.half_width && m.han && !opt_out.off(Code::HalfWidthPunctuation);
    const bool full_width = m.full_width && !opt_out.off(Code::FullWidthLatin);
    const bool pairs = m.paired && !opt_out.off(Code::UnbalancedPair);
    const bool access_key = (m.ampersand || original.find('\t') != std::string_view::npos) &&
                            !opt_out.off(Code::AccessKeyStyle);
    if (!half_width && !full_width && !pairs && !access_key) return;
    thread_local std::vector<Char> cs;
    characters(translation, cs);
    const Report report{diagnostics, place};
    if (half_width) check_half_width(original, translation, cs, report);
    if (full_width) check_full_width(original, translation, cs, report);
    if (pairs) check_pairs(original, translation, cs, report);
    if (access_key) check_access_key(original, translation, cs, report);
}

}  // namespace lexicon
