#pragma once
// Searching GBK text the way the document editor's own search does, but on bytes:
// a hit always starts and ends on a character boundary, so a find text can never
// match the trail byte of a Chinese character (trail bytes include ASCII letters
// and the backslash).
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace search {

struct SearchOptions {
    bool wholeWord = false;
    bool matchCase = false;
};

// Byte offset of the first occurrence of `what` in `text` that starts at or after
// `from` and ends at or before `from + length` (both clamped to the text), or -1.
// A `from` inside a double-byte character starts at the next character.
int FindOccurrence(std::string_view text, std::string_view what, int from, int length, SearchOptions options);

// Replace All: every occurrence from the start of the text to its end, each search
// starting behind the text just inserted. The result is the one stretch of the text
// that changes, from the first hit to the end of the last one.
struct ReplaceAllResult {
    std::size_t count = 0;      // occurrences replaced
    std::size_t start = 0;      // first hit, a byte offset into the old text
    std::size_t oldLength = 0;  // bytes of the old text up to the end of the last hit
    std::string newText;        // what takes their place; it ends with the last replacement
    struct Hit {
        std::size_t at;      // byte offset into the old text
        std::size_t length;  // bytes replaced there
    };
    std::vector<Hit> hits;  // every replaced occurrence, in text order
};
ReplaceAllResult ReplaceAll(std::string_view text, std::string_view what, std::string_view with, SearchOptions options);

// The not-found message for a find text, in GBK.
std::string NotFoundMessage(std::string_view findText);

}  // namespace search
