#include "lexicon/entry_checks.h"

#include <cstring>
#include <string>

#include "lexicon/gbk.h"

namespace lexicon {

namespace {

constexpr bool is_blank(char c) { return c == ' ' || c == '\t'; }

// One printf conversion: its text as written, and what it takes from the argument list
// (the '*' widths, the length modifier, the class of the conversion).
struct Placeholder {
    std::string_view text;
    char kind[8];
    std::size_t kind_length;
    bool same_kind(const Placeholder& other) const {
        return std::string_view(kind, kind_length) == std::string_view(other.kind, other.kind_length);
    }
};

char conversion_class(char c) {
    switch (c) {
        case 'd': case 'i': return 'd';
        case 'o': case 'u': case 'x': case 'X': return 'u';
        case 'e': case 'E': case 'f': case 'F': case 'g': case 'G': case 'a': case 'A': return 'f';
        case 'c': case 's': case 'p': case 'n': case 'S': case 'C': return c;
        default: return 0;
    }
}

// Parses the conversion that starts at text[at] == '%'; false when the '%' starts none
// (a literal percent sign, as in "100% 完成"). Every byte of a conversion is ASCII and
// no GBK trail byte is '%', so the scan needs no care for double-byte characters.
bool parse_placeholder(std::string_view text, std::size_t at, Placeholder& p) {
    std::size_t i = at + 1;
    p.kind_length = 0;
    auto more = [&] { return i < text.size(); };
    auto add = [&p](std::string_view part) {
        for (const char c : part) p.kind[p.kind_length++] = c;
    };
    if (more() && text[i] == '%') {
        add("%");
        p.text = text.substr(at, 2);
        return true;
    }
    while (more() && std::strchr("-+#0", text[i]) != nullptr) ++i;
    if (more() && text[i] == '*') {
        add("*");
        ++i;
    } else {
        while (more() && text[i] >= '0' && text[i] <= '9') ++i;
    }
    if (more() && text[i] == '.') {
        ++i;
        if (more() && text[i] == '*') {
            add("*");
            ++i;
        } else {
            while (more() && text[i] >= '0' && text[i] <= '9') ++i;
        }
    }
    for (std::string_view length : {"hh", "ll", "I64", "I32", "h", "l", "L", "j", "z", "t", "I"}) {
        if (text.substr(i, length.size()) == length) {
            add(length);
            i += length.size();
            break;
        }
    }
    if (!more()) return false;
    const char cls = conversion_class(text[i]);
    if (cls == 0) return false;
    p.kind[p.kind_length++] = cls;
    p.text = text.substr(at, i + 1 - at);
    return true;
}

// Steps through the placeholders of a text without allocating: most entries have a few.
class Placeholders {
public:
    explicit Placeholders(std::string_view text) : text_(text) {}
    bool next(Placeholder& p) {
        while ((at_ = text_.find('%', at_)) != std::string_view::npos) {
            if (parse_placeholder(text_, at_, p)) {
                at_ += p.text.size();
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

void check_placeholders(std::string_view original, std::string_view translation, std::uint32_t line,
                        Diagnostics& diagnostics) {
    Placeholders a(original), b(translation);
    Placeholder pa, pb;
    for (;;) {
        const bool more_a = a.next(pa);
        const bool more_b = b.next(pb);
        if (!more_a && !more_b) return;
        if (more_a != more_b || !pa.same_kind(pb)) break;
    }
    std::size_t count_a = 0, count_b = 0;
    const std::string list_a = listed(original, count_a);
    const std::string list_b = listed(translation, count_b);
    const char* what = count_a != count_b ? "个数" : "顺序或类型";
    diagnostics.add(Code::PlaceholderMismatch, line,
                    cat("格式占位符的", what, "不一致：原文是“", list_a, "”，译文是“", list_b, "”"));
}

// Number of access-key markers: '&' before a character other than '&' ("&&" is a
// literal ampersand).
std::size_t access_keys(std::string_view text) {
    // No GBK trail byte is '&', so a plain search finds every marker.
    std::size_t count = 0;
    for (std::size_t i = text.find('&'); i != std::string_view::npos && i + 1 < text.size(); i = text.find('&', i + 2)) {
        if (text[i + 1] != '&') ++count;
    }
    return count;
}

std::string_view leading_blanks(std::string_view t) {
    std::size_t n = 0;
    while (n < t.size() && is_blank(t[n])) ++n;
    return t.substr(0, n);
}

std::string_view trailing_blanks(std::string_view t) {
    std::size_t n = t.size();
    while (n > 0 && is_blank(t[n - 1])) --n;
    return t.substr(n);
}

// The closing punctuation of a text, with the full-width forms counted as the same
// mark as their ASCII ones ("..." and "……", ":" and "：").
enum class Mark { None, Ellipsis, Colon, Question, Exclamation, FullStop };

struct Ending {
    Mark mark;
    std::string_view text;
};

const char* mark_name(Mark m) {
    switch (m) {
        case Mark::Ellipsis: return "省略号";
        case Mark::Colon: return "冒号";
        case Mark::Question: return "问号";
        case Mark::Exclamation: return "叹号";
        case Mark::FullStop: return "句号";
        case Mark::None: break;
    }
    return "";
}

Ending ending_of(std::string_view text) {
    // "..." before "." so an ellipsis is not taken for a full stop. Valid GBK text cannot
    // end in the trail byte of a character, and no trail byte is one of these ASCII
    // marks, so a plain suffix test is exact.
    static const struct {
        std::string_view text;
        Mark mark;
    } marks[] = {
        {"...", Mark::Ellipsis}, {"……", Mark::Ellipsis},  {"…", Mark::Ellipsis},   {":", Mark::Colon},
        {"：", Mark::Colon},     {"?", Mark::Question},    {"？", Mark::Question},  {"!", Mark::Exclamation},
        {"！", Mark::Exclamation}, {".", Mark::FullStop}, {"。", Mark::FullStop},
    };
    text = text.substr(0, text.size() - trailing_blanks(text).size());
    if (text.empty()) return {Mark::None, {}};
    // Most texts end in a letter: one look at the last byte settles them.
    const char last = text.back();
    bool possible = false;
    for (const auto& m : marks) possible = possible || m.text.back() == last;
    if (!possible) return {Mark::None, {}};
    for (const auto& m : marks) {
        if (text.size() >= m.text.size() && text.substr(text.size() - m.text.size()) == m.text) return {m.mark, m.text};
    }
    return {Mark::None, {}};
}

std::string describe(const Ending& e) {
    return e.mark == Mark::None ? std::string("没有结尾标点") : cat("以", mark_name(e.mark), "“", e.text, "”结尾");
}

bool has_ascii_letter(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); i += gbk::char_length(text, i)) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    }
    return false;
}

}  // namespace

void check_entry(std::string_view original, std::string_view translation, std::uint32_t line,
                 Diagnostics& diagnostics) {
    // An empty translation is a line not yet translated: every other check would only
    // repeat that.
    if (translation.empty()) {
        diagnostics.add(Code::EmptyTranslation, line, cat("原文“", shown(original), "”的译文为空"));
        return;
    }
    check_placeholders(original, translation, line, diagnostics);
    if (translation == original) {
        if (has_ascii_letter(original)) {
            diagnostics.add(Code::UntranslatedEntry, line, cat("译文与原文相同，可能尚未翻译：“", shown(original), "”"));
        }
        return;
    }
    const std::size_t keys_o = access_keys(original);
    const std::size_t keys_t = access_keys(translation);
    if (keys_o != keys_t) {
        diagnostics.add(Code::AccessKeyMismatch, line,
                        cat("快捷键标记“&”不一致：原文“", shown(original), "”有 ", keys_o, " 个，译文“", shown(translation),
                            "”有 ", keys_t, " 个"));
    }
    if (leading_blanks(original) != leading_blanks(translation)) {
        diagnostics.add(Code::BlankMismatch, line,
                        cat("开头的空白不一致：原文“", shown(original), "”，译文“", shown(translation), "”"));
    }
    if (trailing_blanks(original) != trailing_blanks(translation)) {
        diagnostics.add(Code::BlankMismatch, line,
                        cat("结尾的空白不一致：原文“", shown(original), "”，译文“", shown(translation), "”"));
    }
    const Ending eo = ending_of(original);
    const Ending et = ending_of(translation);
    if (eo.mark != et.mark) {
        diagnostics.add(Code::PunctuationMismatch, line,
                        cat("结尾标点不一致：原文“", shown(original), "”", describe(eo), "，译文“", shown(translation), "”",
                            describe(et)));
    }
}

}  // namespace lexicon
