#include "lexicon/checks/entry_checks.h"

#include <array>
#include <cstring>
#include <string>

#include "lexicon/base/gbk.h"
#include "lexicon/checks/placeholders.h"

namespace lexicon {

namespace {

constexpr bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Number of access-key markers: '&' before a character other than '&' ("&&" is a
// literal ampersand).
constexpr bool is_alnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The access keys of a text in one marker: each marker before a character that is neither
// the marker again ("&&" is a literal '&') nor a blank ("Flip & Rotate").
std::size_t access_keys(std::string_view text, char marker) {
    // No GBK trail byte is '&' or '_', so a plain search finds every marker.
    std::size_t count = 0;
    for (std::size_t i = text.find(marker); i != std::string_view::npos && i + 1 < text.size();
         i = text.find(marker, i + 2)) {
        const char next = text[i + 1];
        if (next != marker && next != ' ' && next != '\t' && next != '\n') ++count;
    }
    return count;
}

// The marker the original writes its access keys with: '&', or the underscore of the
// toolkits that write "_Open", when the text has one '_' before a letter or digit that
// is not inside a name ("file_name").
char key_marker(std::string_view original) {
    if (access_keys(original, '&') > 0) return '&';
    const std::size_t at = original.find('_');
    if (at == std::string_view::npos || at + 1 >= original.size() || !is_alnum(original[at + 1])) return '&';
    if (original.find('_', at + 1) != std::string_view::npos) return '&';
    const bool inside_name = at > 0 && is_alnum(original[at - 1]) && original.find(' ') == std::string_view::npos;
    return inside_name ? '&' : '_';
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
enum class Mark { None, Ellipsis, Colon, Question, Exclamation, FullStop, Semicolon, Comma };

struct Ending {
    Mark mark;
    std::string_view text;
};

const char* mark_name(Mark m) {
    switch (m) {
    case Mark::Ellipsis:
        return "省略号";
    case Mark::Colon:
        return "冒号";
    case Mark::Question:
        return "问号";
    case Mark::Exclamation:
        return "叹号";
    case Mark::FullStop:
        return "句号";
    case Mark::Semicolon:
        return "分号";
    case Mark::Comma:
        return "逗号";
    case Mark::None:
        break;
    }
    return "";
}

// "..." before "." so an ellipsis is not taken for a full stop. Valid GBK text cannot
// end in the trail byte of a character, and no trail byte is one of these ASCII marks,
// so a plain suffix test is exact.
struct EndMark {
    std::string_view text;
    Mark mark;
};
constexpr EndMark end_marks[] = {
    {"...", Mark::Ellipsis},   {"……", Mark::Ellipsis}, {"…", Mark::Ellipsis},  {":", Mark::Colon},
    {"：", Mark::Colon},       {"?", Mark::Question},  {"？", Mark::Question}, {"!", Mark::Exclamation},
    {"！", Mark::Exclamation}, {".", Mark::FullStop},  {"。", Mark::FullStop}, {";", Mark::Semicolon},
    {"；", Mark::Semicolon},   {",", Mark::Comma},     {"，", Mark::Comma},
};

// The bytes a mark ends with: most texts end in another, and one look settles them.
constexpr std::array<bool, 256> mark_last_bytes() {
    std::array<bool, 256> t{};
    for (const EndMark& m : end_marks) t[static_cast<unsigned char>(m.text.back())] = true;
    return t;
}

Ending ending_of(std::string_view text) {
    static constexpr std::array<bool, 256> possible = mark_last_bytes();
    text = text.substr(0, text.size() - trailing_blanks(text).size());
    if (text.empty() || !possible[static_cast<unsigned char>(text.back())]) return {Mark::None, {}};
    for (const EndMark& m : end_marks) {
        if (text.ends_with(m.text)) return {m.mark, m.text};
    }
    return {Mark::None, {}};
}

std::string describe(const Ending& e) {
    return e.mark == Mark::None ? std::string("没有结尾标点") : cat("以", mark_name(e.mark), "“", e.text, "”结尾");
}

// A letter outside the placeholders: "%1$s\t%2$s" has nothing to translate.
bool has_ascii_letter(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); i += gbk::char_length(text, i)) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] != '%') {
            std::size_t j = i + 1;
            while (j < text.size() && std::strchr("0123456789$.-+# lhjztLIq", text[j]) != nullptr && text[j] != '\0')
                ++j;
            if (j < text.size() && std::strchr("diouxXeEfFgGaAcspnSC", text[j]) != nullptr && text[j] != '\0') {
                i = j;
                continue;
            }
        }
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    }
    return false;
}

}  // namespace

void check_entry(std::string_view original, std::string_view translation, std::uint32_t line, Diagnostics& diagnostics,
                 PlaceholderCheck placeholders, const CheckOptOut& checks_off, const TranslationPlace* place) {
    const auto wanted = [&](Code code) { return !checks_off.off(code); };
    // An empty translation is a line not yet translated: every other check would only
    // repeat that.
    if (translation.empty()) {
        if (wanted(Code::EmptyTranslation))
            diagnostics.add_composed(Code::EmptyTranslation, line, 0, [&] {
                return cat("原文“", shown(original), "”的译文为空；这一条目不写入词库，程序中将显示原文");
            });
        return;
    }
    check_placeholders(original, translation, line, placeholders, diagnostics);
    if (translation == original) {
        if (has_ascii_letter(original) && wanted(Code::UntranslatedEntry)) {
            diagnostics.add_composed(Code::UntranslatedEntry, line, 0,
                                     [&] { return cat("译文与原文相同，可能尚未翻译：“", shown(original), "”"); });
        }
        return;
    }
    const char marker = key_marker(original);
    const std::size_t keys_o = access_keys(original, marker);
    const std::size_t keys_t = access_keys(translation, marker);
    if (keys_o != keys_t && wanted(Code::AccessKeyMismatch)) {
        diagnostics.add_composed(Code::AccessKeyMismatch, line, 0, [&] {
            return cat("快捷键标记“", std::string_view(&marker, 1), "”不一致：原文“", shown(original), "”有 ", keys_o,
                       " 个，译文“", shown(translation), "”有 ", keys_t, " 个");
        });
    }
    if (leading_blanks(original) != leading_blanks(translation) && wanted(Code::BlankMismatch)) {
        diagnostics.add_composed(Code::BlankMismatch, line, 0, [&] {
            return cat("开头的空白不一致：原文“", shown(original), "”，译文“", shown(translation), "”");
        });
    }
    if (trailing_blanks(original) != trailing_blanks(translation) && wanted(Code::BlankMismatch)) {
        diagnostics.add_composed(Code::BlankMismatch, line, 0, [&] {
            return cat("结尾的空白不一致：原文“", shown(original), "”，译文“", shown(translation), "”");
        });
    }
    const Ending eo = ending_of(without_closing_insert(original));
    const Ending et = ending_of(without_closing_insert(translation));
    if (eo.mark != et.mark && wanted(Code::PunctuationMismatch)) {
        diagnostics.add_composed(Code::PunctuationMismatch, line, 0, [&] {
            return cat("结尾标点不一致：原文", quoted_ending(original), describe(eo), "，译文",
                       quoted_ending(translation), describe(et));
        });
    }
    check_typography(original, translation, place != nullptr ? *place : TranslationPlace{line}, diagnostics,
                     checks_off);
}

}  // namespace lexicon
