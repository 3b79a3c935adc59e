#include "mervik/entry_checks.h"

#include <cstring>
#include <string>
#include <vector>

#include "mervik/gbk.h"

namespace mervik {

namespace {

constexpr bool is_blank(char c) { return c == ' ' || c == '\t'; }

// One printf conversion: its text as written, and what it takes from the argument
// list (the '*' widths, the length modifier, the class of the conversion).
struct Placeholder {
    std::string_view text;
    std::string kind;
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

// Parses the conversion that starts at text[at] == '%'; returns its length, or 0 when
// the '%' starts no conversion (a literal percent sign such as "100% 完成").
std::size_t parse_placeholder(std::string_view text, std::size_t at, std::string& kind) {
    std::size_t i = at + 1;
    auto more = [&] { return i < text.size(); };
    if (more() && text[i] == '%') {
        kind = "%";
        return 2;
    }
    kind.clear();
    while (more() && std::strchr("-+#0", text[i]) != nullptr) ++i;
    if (more() && text[i] == '*') {
        kind += '*';
        ++i;
    } else {
        while (more() && text[i] >= '0' && text[i] <= '9') ++i;
    }
    if (more() && text[i] == '.') {
        ++i;
        if (more() && text[i] == '*') {
            kind += '*';
            ++i;
        } else {
            while (more() && text[i] >= '0' && text[i] <= '9') ++i;
        }
    }
    for (std::string_view length : {"hh", "ll", "I64", "I32", "h", "l", "L", "j", "z", "t", "I"}) {
        if (text.substr(i, length.size()) == length) {
            kind += length;
            i += length.size();
            break;
        }
    }
    if (!more()) return 0;
    const char cls = conversion_class(text[i]);
    if (cls == 0) return 0;
    kind += cls;
    return i + 1 - at;
}

std::vector<Placeholder> placeholders(std::string_view text) {
    std::vector<Placeholder> found;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '%') {
            std::string kind;
            if (const std::size_t n = parse_placeholder(text, i, kind); n > 0) {
                found.push_back({text.substr(i, n), std::move(kind)});
                i += n;
                continue;
            }
        }
        i += gbk::char_length(text, i);
    }
    return found;
}

std::string listed(const std::vector<Placeholder>& list) {
    if (list.empty()) return "（无）";
    std::string out;
    for (const Placeholder& p : list) {
        if (!out.empty()) out += ' ';
        out.append(p.text);
    }
    return out;
}

void check_placeholders(std::string_view original, std::string_view translation, std::uint32_t line,
                        Diagnostics& diagnostics) {
    if (original.find('%') == std::string_view::npos && translation.find('%') == std::string_view::npos) return;
    const auto a = placeholders(original);
    const auto b = placeholders(translation);
    bool same = a.size() == b.size();
    for (std::size_t k = 0; same && k < a.size(); ++k) same = a[k].kind == b[k].kind;
    if (same) return;
    const char* what = a.size() != b.size() ? "个数" : "顺序或类型";
    diagnostics.add(Code::PlaceholderMismatch, line,
                    cat("格式占位符的", what, "不一致：原文是“", listed(a), "”，译文是“", listed(b), "”"));
}

// Number of access-key markers: '&' before a character other than '&' ("&&" is a
// literal ampersand).
std::size_t access_keys(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '&' && i + 1 < text.size()) {
            if (text[i + 1] != '&') ++count;
            i += 2;
            continue;
        }
        i += gbk::char_length(text, i);
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
struct Ending {
    const char* name;
    std::string_view mark;
};

Ending ending_of(std::string_view text) {
    // "..." before "." so an ellipsis is not taken for a full stop. Valid GBK text cannot
    // end in the trail byte of a character, and no trail byte is one of these ASCII
    // marks, so a plain suffix test is exact.
    static const struct {
        std::string_view mark;
        const char* name;
    } marks[] = {
        {"...", "省略号"}, {"……", "省略号"}, {"…", "省略号"}, {":", "冒号"},   {"：", "冒号"},
        {"?", "问号"},     {"？", "问号"},   {"!", "叹号"},   {"！", "叹号"}, {".", "句号"}, {"。", "句号"},
    };
    text = text.substr(0, text.size() - trailing_blanks(text).size());
    for (const auto& m : marks) {
        if (text.size() >= m.mark.size() && text.substr(text.size() - m.mark.size()) == m.mark) return {m.name, m.mark};
    }
    return {nullptr, {}};
}

std::string describe(const Ending& e) {
    return e.name == nullptr ? std::string("没有结尾标点") : cat("以", e.name, "“", e.mark, "”结尾");
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
    if ((eo.name == nullptr) != (et.name == nullptr) || (eo.name != nullptr && std::strcmp(eo.name, et.name) != 0)) {
        diagnostics.add(Code::PunctuationMismatch, line,
                        cat("结尾标点不一致：原文“", shown(original), "”", describe(eo), "，译文“", shown(translation), "”",
                            describe(et)));
    }
}

}  // namespace mervik
