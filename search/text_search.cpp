#include "search/text_search.h"

#include <algorithm>
#include <iterator>

#include "lexicon/base/gbk.h"

namespace search {

namespace {

// Bytes of the character at `pos`. Any byte after a lead byte is its trail, as the
// editor reads GBK; a lead byte at the very end stands alone.
std::size_t CharLength(std::string_view s, std::size_t pos) { return lexicon::gbk::walk_length(s, pos); }

// Double-byte characters that the editor counts as letters or digits, for whole
// word: ideographs, kana, Greek, Cyrillic, full-width letters and digits, Roman
// numerals, pinyin and bopomofo. Measured against the editor's own whole-word
// search over every GBK character.
struct CodeRange {
    unsigned first, last;
};
constexpr CodeRange kWordRanges[] = {
    {0x8140, 0xA0FE}, {0xA1A5, 0xA1A6}, {0xA1A9, 0xA1A9}, {0xA2A1, 0xA2AA}, {0xA2F1, 0xA2FC}, {0xA3B0, 0xA3B9},
    {0xA3C1, 0xA3DA}, {0xA3E1, 0xA3FA}, {0xA4A1, 0xA4F3}, {0xA5A1, 0xA5F6}, {0xA6A1, 0xA6B8}, {0xA6C1, 0xA6D8},
    {0xA7A1, 0xA7C1}, {0xA7D1, 0xA7F1}, {0xA840, 0xA841}, {0xA8A1, 0xA8BB}, {0xA8BD, 0xA8BE}, {0xA8C0, 0xA8C0},
    {0xA8C5, 0xA8E9}, {0xA940, 0xA948}, {0xA960, 0xA960}, {0xA963, 0xA967}, {0xA996, 0xA996}, {0xAA40, 0xAAA0},
    {0xAB40, 0xABA0}, {0xAC40, 0xACA0}, {0xAD40, 0xADA0}, {0xAE40, 0xAEA0}, {0xAF40, 0xAFA0}, {0xB040, 0xD7F9},
    {0xD840, 0xF8A0}, {0xF940, 0xF9A0}, {0xFA40, 0xFAA0}, {0xFB40, 0xFBA0}, {0xFC40, 0xFCA0}, {0xFD40, 0xFDA0},
    {0xFE40, 0xFEFE},
};

bool IsWordChar(std::string_view s, std::size_t pos) {
    auto c = static_cast<unsigned char>(s[pos]);
    if (CharLength(s, pos) == 1) return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    unsigned code = c << 8 | static_cast<unsigned char>(s[pos + 1]);
    const auto* it = std::upper_bound(std::begin(kWordRanges), std::end(kWordRanges), code,
                                      [](unsigned value, const CodeRange& r) { return value < r.first; });
    return it != std::begin(kWordRanges) && code <= std::prev(it)->last;
}

bool LastCharIsWord(std::string_view s) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) last = i;
    return !s.empty() && IsWordChar(s, last);
}

// The editor folds ASCII letters only when case does not matter.
unsigned char FoldCase(unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c; }

// Bytes of `text` matched by `what` at the character boundary `pos`, or 0. Both are
// walked character by character, so the match also ends on a boundary.
std::size_t MatchAt(std::string_view text, std::size_t pos, std::string_view what, bool matchCase) {
    std::size_t t = pos;
    for (std::size_t w = 0; w < what.size();) {
        if (t >= text.size()) return 0;
        std::size_t length = CharLength(text, t);
        if (length != CharLength(what, w)) return 0;
        if (length == 1) {
            auto a = static_cast<unsigned char>(text[t]), b = static_cast<unsigned char>(what[w]);
            if (matchCase ? a != b : FoldCase(a) != FoldCase(b)) return 0;
        } else if (text.compare(t, 2, what, w, 2) != 0) {
            return 0;
        }
        t += length;
        w += length;
    }
    return t - pos;
}

struct Hit {
    std::size_t pos = std::string_view::npos;
    std::size_t length = 0;
    bool previousIsWord = false;  // the character before the hit
};

// Scans forward from the character boundary `pos`; `previousIsWord` tells whether
// the character before `pos` is a letter or digit. Hits must end by `end`.
Hit FindFromBoundary(std::string_view text, std::string_view what, std::size_t pos, std::size_t end,
                     bool previousIsWord, SearchOptions options) {
    if (what.empty()) return {};
    for (; pos + what.size() <= end; pos += CharLength(text, pos)) {
        if (std::size_t length = MatchAt(text, pos, what, options.matchCase)) {
            bool boundaries = !previousIsWord && (pos + length == text.size() || !IsWordChar(text, pos + length));
            if (!options.wholeWord || boundaries) return {pos, length, previousIsWord};
        }
        if (options.wholeWord) previousIsWord = IsWordChar(text, pos);
    }
    return {};
}

}  // namespace

int FindOccurrence(std::string_view text, std::string_view what, int from, int length, SearchOptions options) {
    std::size_t size = text.size();
    std::size_t start = static_cast<std::size_t>(std::clamp<long long>(from, 0, static_cast<long long>(size)));
    std::size_t end = static_cast<std::size_t>(
        std::clamp<long long>(static_cast<long long>(start) + std::max(length, 0), 0, static_cast<long long>(size)));
    std::size_t pos = 0;
    bool previousIsWord = false;
    while (pos < start) {
        if (options.wholeWord) previousIsWord = IsWordChar(text, pos);
        pos += CharLength(text, pos);
    }
    Hit hit = FindFromBoundary(text, what, pos, end, previousIsWord, options);
    return hit.pos == std::string_view::npos ? -1 : static_cast<int>(hit.pos);
}

ReplaceAllResult ReplaceAll(std::string_view text, std::string_view what, std::string_view with,
                            SearchOptions options) {
    ReplaceAllResult result;
    std::size_t pos = 0;
    // Whole word looks at the text as it is after the replacements so far, as
    // pressing Replace over and over would.
    bool previousIsWord = false;
    bool withEndsInWord = LastCharIsWord(with);
    for (;;) {
        Hit hit = FindFromBoundary(text, what, pos, text.size(), previousIsWord, options);
        if (hit.pos == std::string_view::npos) break;
        if (result.count++ == 0) result.start = pos = hit.pos;
        result.newText.append(text.substr(pos, hit.pos - pos));
        result.newText.append(with);
        result.hits.push_back({hit.pos, hit.length});
        pos = hit.pos + hit.length;
        previousIsWord = with.empty() ? hit.previousIsWord : withEndsInWord;
    }
    if (result.count) result.oldLength = pos - result.start;
    return result;
}

std::string NotFoundMessage(std::string_view findText) {
    std::string text = "字符串 \"";
    text.append(findText);
    text.append("\" 未找到！");
    return text;
}

}  // namespace search
