#include "tests/typography/typography_corpus.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "lexicon/base/gbk.h"
#include "lexicon/base/unicode.h"
#include "lexicon/checks/entry_checks.h"
#include "lexicon/exchange/po_reader.h"
#include "lexicon/wordlist/word_list.h"

namespace corpus {

namespace {

std::string Run(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    if (!pipe) return out;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, n);
    return out;
}

bool IsHan(const std::string& text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    return lexicon::gbk::char_length(text, i) == 2 && (lead < 0xA1 || lead > 0xA9);
}

// The GBK characters of a text: start offsets.
std::vector<std::size_t> Starts(const std::string& text) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < text.size(); i += lexicon::gbk::char_length(text, i)) out.push_back(i);
    return out;
}

std::optional<std::string> SeedHalfWidth(const Entry& e, unsigned variant) {
    static const struct {
        const char* full;
        char half;
    } marks[] = {{"，", ','}, {"。", '.'}, {"；", ';'}, {"：", ':'}, {"？", '?'}, {"！", '!'}};
    const std::string& t = e.translation;
    const auto starts = Starts(t);
    std::vector<std::pair<std::size_t, char>> places;
    for (std::size_t k = 1; k < starts.size(); ++k) {
        if (!IsHan(t, starts[k - 1])) continue;
        for (const auto& m : marks) {
            if (t.compare(starts[k], 2, m.full) == 0) places.emplace_back(starts[k], m.half);
        }
    }
    if (places.empty()) return std::nullopt;
    const auto& [at, half] = places[variant % places.size()];
    std::string out = t;
    out.replace(at, 2, 1, half);
    return out;
}

std::optional<std::string> SeedFullWidthLetter(const Entry& e, unsigned variant) {
    const std::string& t = e.translation;
    std::vector<std::size_t> places;
    for (std::size_t i = 0; i < t.size(); i += lexicon::gbk::char_length(t, i)) {
        const char c = t[i];
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        // A letter of a placeholder or an escape is syntax, not text.
        if (!alnum || (i > 0 && (t[i - 1] == '%' || t[i - 1] == '$' || t[i - 1] == '\\' || t[i - 1] == '&'))) continue;
        if (e.original.find(c) != std::string::npos) places.push_back(i);
    }
    if (places.empty()) return std::nullopt;
    const std::size_t at = places[variant % places.size()];
    std::string out = t;
    const char full[] = {static_cast<char>(0xA3), static_cast<char>(static_cast<unsigned char>(t[at]) + 0x80), 0};
    out.replace(at, 1, full);
    return out;
}

// "。" between two Chinese characters written '.': "信息.请参见".
std::optional<std::string> SeedFullStopBetweenSentences(const Entry& e, unsigned variant) {
    const std::string& t = e.translation;
    const auto starts = Starts(t);
    std::vector<std::size_t> places;
    for (std::size_t k = 1; k + 1 < starts.size(); ++k) {
        if (t.compare(starts[k], 2, "。") == 0 && IsHan(t, starts[k - 1]) && IsHan(t, starts[k + 1]))
            places.push_back(starts[k]);
    }
    if (places.empty()) return std::nullopt;
    std::string out = t;
    out.replace(places[variant % places.size()], 2, 1, '.');
    return out;
}

// A Latin letter of the translation that the original does not have, made full-width:
// "设置 ＣＰＵ 架构" where the original says "processor".
std::optional<std::string> SeedFullWidthLetterOfItsOwn(const Entry& e, unsigned variant) {
    const std::string& t = e.translation;
    std::vector<std::size_t> places;
    for (std::size_t i = 0; i < t.size(); i += lexicon::gbk::char_length(t, i)) {
        const char c = t[i];
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!letter || (i > 0 && (t[i - 1] == '%' || t[i - 1] == '$' || t[i - 1] == '\\' || t[i - 1] == '&'))) continue;
        if (e.original.find(c) == std::string::npos) places.push_back(i);
    }
    if (places.empty()) return std::nullopt;
    const std::size_t at = places[variant % places.size()];
    std::string out = t;
    const char full[] = {static_cast<char>(0xA3), static_cast<char>(static_cast<unsigned char>(t[at]) + 0x80), 0};
    out.replace(at, 1, full);
    return out;
}

// The closing "”" of a quotation that holds a placeholder left out: "找到“%s！".
std::optional<std::string> SeedQuoteBesidePlaceholder(const Entry& e, unsigned variant) {
    const std::string& t = e.translation;
    std::vector<std::size_t> places;
    for (std::size_t open = t.find("“"); open != std::string::npos; open = t.find("“", open + 2)) {
        const std::size_t close = t.find("”", open + 2);
        if (close == std::string::npos) break;
        const std::string_view inside = std::string_view(t).substr(open + 2, close - open - 2);
        if (inside.find('%') != std::string_view::npos || inside.find('{') != std::string_view::npos)
            places.push_back(close);
    }
    if (places.empty()) return std::nullopt;
    std::string out = t;
    out.erase(places[variant % places.size()], 2);
    return out;
}

std::optional<std::string> SeedIdeographicSpace(const Entry& e, unsigned variant) {
    const std::string& t = e.translation;
    if (e.original.find(' ') == std::string::npos) return std::nullopt;
    std::vector<std::size_t> places;
    for (std::size_t i = 1; i + 1 < t.size(); ++i) {
        if (t[i] == ' ' && t[i - 1] != ' ' && t[i + 1] != ' ') places.push_back(i);
    }
    if (places.empty()) return std::nullopt;
    std::string out = t;
    out.replace(places[variant % places.size()], 1, "　");
    return out;
}

std::optional<std::string> SeedUnbalanced(const Entry& e, unsigned variant) {
    static const char* const closing[] = {"”", "）", "》", "】", "」", "’"};
    const std::string& t = e.translation;
    std::vector<std::size_t> places;
    for (std::size_t i : Starts(t)) {
        for (const char* c : closing) {
            if (t.compare(i, 2, c) == 0) places.push_back(i);
        }
    }
    if (places.empty()) return std::nullopt;
    std::string out = t;
    out.erase(places[variant % places.size()], 2);
    return out;
}

// Menus of the catalogues' toolkits mark keys with '_' ("_Open" = "打开(_O)"); written
// with '&' they are the texts of a Windows menu.
std::optional<Seeded> SeedAccessKey(const Entry& e, unsigned variant) {
    const std::string& t = e.translation;
    const std::size_t key = t.find("(_");
    if (key == std::string::npos || key == 0 || key + 4 > t.size() || t[key + 3] != ')') return std::nullopt;
    const std::size_t mark = e.original.find('_');
    if (mark == std::string::npos || e.original.find('_', mark + 1) != std::string::npos ||
        mark + 1 >= e.original.size())
        return std::nullopt;
    Seeded out;
    out.original = e.original;
    out.original[mark] = '&';
    out.clean = t;
    out.clean[key + 1] = '&';
    const std::string words = t.substr(0, key) + t.substr(key + 4);
    if (words.empty() || !IsHan(words, 0)) return std::nullopt;
    const std::string bracket = out.clean.substr(key, 4);
    switch (variant % 3) {
    case 0:  // the key inside the words, as the original writes it
        out.faulty = "&" + words;
        break;
    case 1:  // the bracket before the words
        out.faulty = bracket + words;
        break;
    default:  // a Chinese character as the key
        out.faulty = words.substr(0, key) + "(&" + words.substr(0, 2) + ")" + words.substr(key);
        break;
    }
    return out;
}

std::optional<Seeded> Plain(const Entry& e, std::optional<std::string> faulty) {
    if (!faulty) return std::nullopt;
    return Seeded{e.original, e.translation, *faulty};
}

}  // namespace

std::vector<Entry> LoadCatalogues(const std::string& folder) {
    std::vector<Entry> out;
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* d = ::readdir(dir)) {
            const std::string name = d->d_name;
            if (name.size() > 3 && name.compare(name.size() - 3, 3, ".mo") == 0) names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string po = Run("msgunfmt '" + folder + "/" + name + "' 2>/dev/null");
        if (po.empty()) continue;
        lexicon::Diagnostics import_messages(0);
        const lexicon::PoImport imported = lexicon::word_list_from_po(po, import_messages);
        if (import_messages.errors() != 0) continue;
        lexicon::Diagnostics compile_messages(0);
        const lexicon::WordList list = lexicon::compile_word_list(imported.word_list, compile_messages);
        const std::string catalogue = name.substr(0, name.size() - 3);
        for (const lexicon::Entry& entry : list.entries()) {
            out.push_back({catalogue, std::string(list.original(entry)), std::string(list.translation(entry))});
        }
    }
    return out;
}

const char* KindName(Kind kind) {
    switch (kind) {
    case Kind::HalfWidth:
        return "half-width mark among Chinese (W212)";
    case Kind::FullWidthLetter:
        return "full-width letter or digit (W213)";
    case Kind::IdeographicSpace:
        return "ideographic space (W213)";
    case Kind::Unbalanced:
        return "unbalanced pair (W214)";
    case Kind::AccessKey:
        return "access key style (W215)";
    case Kind::FullStopBetweenSentences:
        return "full stop between Chinese sentences (W212)";
    case Kind::FullWidthLetterOfItsOwn:
        return "full-width letter not in the original (W213)";
    case Kind::QuoteBesidePlaceholder:
        return "unclosed quote beside a placeholder (W214)";
    }
    return "";
}

lexicon::Code CodeOf(Kind kind) {
    switch (kind) {
    case Kind::HalfWidth:
    case Kind::FullStopBetweenSentences:
        return lexicon::Code::HalfWidthPunctuation;
    case Kind::FullWidthLetter:
    case Kind::IdeographicSpace:
    case Kind::FullWidthLetterOfItsOwn:
        return lexicon::Code::FullWidthLatin;
    case Kind::Unbalanced:
    case Kind::QuoteBesidePlaceholder:
        return lexicon::Code::UnbalancedPair;
    case Kind::AccessKey:
        return lexicon::Code::AccessKeyStyle;
    }
    return lexicon::Code::HalfWidthPunctuation;
}

std::optional<Seeded> Seed(Kind kind, const Entry& entry, unsigned variant) {
    switch (kind) {
    case Kind::HalfWidth:
        return Plain(entry, SeedHalfWidth(entry, variant));
    case Kind::FullWidthLetter:
        return Plain(entry, SeedFullWidthLetter(entry, variant));
    case Kind::IdeographicSpace:
        return Plain(entry, SeedIdeographicSpace(entry, variant));
    case Kind::Unbalanced:
        return Plain(entry, SeedUnbalanced(entry, variant));
    case Kind::AccessKey:
        return SeedAccessKey(entry, variant);
    case Kind::FullStopBetweenSentences:
        return Plain(entry, SeedFullStopBetweenSentences(entry, variant));
    case Kind::FullWidthLetterOfItsOwn:
        return Plain(entry, SeedFullWidthLetterOfItsOwn(entry, variant));
    case Kind::QuoteBesidePlaceholder:
        return Plain(entry, SeedQuoteBesidePlaceholder(entry, variant));
    }
    return std::nullopt;
}

std::vector<lexicon::Code> TypographyCodes(const std::string& original, const std::string& translation) {
    lexicon::Diagnostics messages;
    lexicon::check_entry(original, translation, 1, messages);
    std::vector<lexicon::Code> out;
    for (const lexicon::Diagnostic& d : messages.listed()) {
        const int n = static_cast<int>(d.code);
        if ((n >= 212 && n <= 229) || d.code == lexicon::Code::PunctuationMismatch) out.push_back(d.code);
    }
    return out;
}

std::string EntryKey(const Entry& entry) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    auto mix = [&h](const std::string& s) {
        for (unsigned char c : s) {
            h ^= c;
            h *= 0x100000001b3ull;
        }
    };
    mix(entry.original);
    mix(std::string(1, '\0'));
    mix(entry.translation);
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

std::string Utf8(const std::string& gbk) {
    std::string out;
    for (std::size_t i = 0; i < gbk.size();) {
        const std::size_t n = lexicon::gbk::char_length(gbk, i);
        lexicon::unicode::append_utf8(lexicon::unicode::from_gbk(gbk.data() + i, n), out);
        i += n;
    }
    return out;
}

}  // namespace corpus
