#include "lexicon/memory/concordance.h"

#include <algorithm>

#include "lexicon/base/gbk_substring.h"

namespace lexicon {

namespace {

struct Candidate {
    std::size_t length;  // of the text that holds the word
    std::size_t order;   // the entry's place in the memory
    MemoryRecord record;
    std::size_t in_original;
    std::size_t in_translation;
};

bool before(const Candidate& a, const Candidate& b) {
    if (a.length != b.length) return a.length < b.length;
    if (a.record.original != b.record.original) return a.record.original < b.record.original;
    if (a.record.translation != b.record.translation) return a.record.translation < b.record.translation;
    return a.order < b.order;
}

constexpr bool is_alnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The text without its access-key markers ("Save &as..." is "Save as..."; "&&" is one
// '&'; "_" and "~" before a letter at the start of a word), and where each byte of it
// stands in the text.
void without_keys(std::string_view text, std::string& out, std::vector<std::size_t>& at) {
    out.clear();
    at.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x81 && b != 0xFF && i + 1 < text.size()) {
            out += text.substr(i, 2);
            at.push_back(i);
            at.push_back(i + 1);
            ++i;
            continue;
        }
        const bool next_alnum = i + 1 < text.size() && is_alnum(text[i + 1]);
        if (c == '&' && i + 1 < text.size()) {
            if (text[i + 1] == '&') {
                out += '&';
                at.push_back(i);
                ++i;
            }
            continue;
        }
        if ((c == '_' || c == '~') && next_alnum && (i == 0 || !is_alnum(text[i - 1]))) continue;
        out += c;
        at.push_back(i);
    }
}

}  // namespace

ConcordanceResult find_in_memory(const Memory& memory, std::string_view word, ConcordanceScope scope,
                                 std::size_t limit) {
    ConcordanceResult result;
    const GbkSubstring matcher(word);
    if (matcher.Empty() || limit == 0) return result;
    result.length = matcher.Size();
    const bool originals = scope != ConcordanceScope::Translations;
    const bool translations = scope != ConcordanceScope::Originals;
    // Only the best `limit` are kept: a word as common as "a" matches most of a million
    // entries, and the list shows a screenful. Trimmed now and then to `limit`.
    std::vector<Candidate> kept;
    kept.reserve(std::min<std::size_t>(limit * 2, 1 << 16));
    const auto trim = [&] {
        std::nth_element(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(limit), kept.end(), before);
        kept.resize(limit);
    };
    std::size_t order = 0;
    std::string bare;
    std::vector<std::size_t> bare_at;
    memory.for_each([&](const MemoryRecord& r) {
        std::size_t o = originals ? matcher.Find(r.original) : ConcordanceHit::none;
        // "save as" finds "Save &as...": the original's access keys are no part of its words.
        if (originals && o == ConcordanceHit::none && r.original.find_first_of("&_~") != std::string_view::npos) {
            without_keys(r.original, bare, bare_at);
            if (const std::size_t found = matcher.Find(bare); found != ConcordanceHit::none) o = bare_at[found];
        }
        const std::size_t t = translations ? matcher.Find(r.translation) : ConcordanceHit::none;
        ++order;
        if (o == ConcordanceHit::none && t == ConcordanceHit::none) return;
        ++result.total;
        std::size_t length = SIZE_MAX;
        if (o != ConcordanceHit::none) length = r.original.size();
        if (t != ConcordanceHit::none) length = std::min(length, r.translation.size());
        kept.push_back({length, order, r, o, t});
        if (kept.size() >= limit * 2 + 1024) trim();
    });
    if (kept.size() > limit) trim();
    std::sort(kept.begin(), kept.end(), before);
    // The views point into the memory's files: copied before anything can refresh it.
    result.hits.reserve(kept.size());
    for (const Candidate& c : kept) {
        result.hits.push_back({std::string(c.record.source), std::string(c.record.original),
                               std::string(c.record.translation), c.in_original, c.in_translation});
    }
    return result;
}

}  // namespace lexicon
