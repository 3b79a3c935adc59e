#pragma once
// The concordance search over a translation memory: every entry whose original or
// translation holds a word (a substring on whole GBK characters, ASCII letters without
// case), for a translator who wants to see how a word has been translated before.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/memory/memory.h"

namespace lexicon {

enum class ConcordanceScope { Originals, Translations, Both };

struct ConcordanceHit {
    static constexpr std::size_t none = std::string::npos;
    std::string source;  // the file name
    std::string original;
    std::string translation;
    // Where the word starts in each text (bytes), `none` where it was not looked for or
    // not found; the match is `ConcordanceResult::length` bytes long.
    std::size_t in_original = none;
    std::size_t in_translation = none;
};

struct ConcordanceResult {
    std::vector<ConcordanceHit> hits;  // the shortest texts first: closest to the word itself
    std::size_t total = 0;             // every entry that holds the word, also those not kept
    std::size_t length = 0;            // of the match, in bytes
};

// At most `limit` hits: ordered by the length of the text that holds the word (the
// shorter of the two when both do), then by original, translation and file. Copies the
// texts, so the result outlives the memory's next refresh. An empty word finds nothing.
ConcordanceResult find_in_memory(const Memory& memory, std::string_view word, ConcordanceScope scope,
                                 std::size_t limit);

}  // namespace lexicon
