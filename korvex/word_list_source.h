#pragma once
// A word list opened for translating: every entry, the untranslated ones and the ones the
// compiler refuses included, and the file's own bytes, so that saving rewrites only the
// lines of the entries that changed and leaves every other byte as it was.
#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "korvex/entry_table.h"
#include "lexicon/wordlist/word_list.h"

namespace korvex {

struct WordListSource {
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    // One entry line of the file, by byte offsets into `bytes`.
    struct Line {
        std::size_t begin = 0;  // the entry's line, without its line end
        std::size_t end = 0;
        std::size_t next = 0;              // where the line after it starts
        std::size_t review_begin = kNone;  // the ";@review" line before it, with its line end
        TextPair text;                     // the texts as the file has them
    };
    std::string bytes;
    std::string line_end;  // the file's own: that of its first line, else CR LF
    std::vector<Line> lines;
    // Where the texts live: the compiled list, and the lines compiled one by one.
    std::unique_ptr<lexicon::WordList> compiled;
    std::deque<lexicon::WordList> single;
    std::deque<std::string> raw;
};

// The word list in `bytes` (GBK) as a table; a list with errors opens too, its refused
// entries marked as errors.
std::unique_ptr<EntryTable> OpenWordList(std::string bytes);

// The bytes to save: the source's, with the lines of changed entries rewritten, the
// ";@review" line of an accepted entry and the lines of deleted entries left out, and
// added entries at the end. For a table that was no word list, its export.
std::string WordListBytes(const EntryTable& table);

// The mark of an entry whose texts were typed: the compiler's messages about its line.
EntryMark CheckedMark(std::string_view original, std::string_view translation, bool review);

// A field's text with the word list's escapes resolved as the compiler resolves them
// (an unknown escape keeps its backslash): for an entry the compiler refuses, which a
// word list may hold all the same.
std::string ResolveEscapes(std::string_view field);

// The word-list line of an entry.
std::string EntryLine(const TextPair& text);

}  // namespace korvex
