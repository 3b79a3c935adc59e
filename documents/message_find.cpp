#include "documents/message_find.h"

#include <algorithm>

#include "lexicon/base/gbk.h"

namespace documents {

namespace {

unsigned char Folded(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c; }

// Whether `row` starts with `typed` (or is `typed`), character by character.
bool Matches(std::string_view row, std::string_view typed, bool prefix) {
    std::size_t i = 0;
    while (i < typed.size()) {
        if (i >= row.size()) return false;
        std::size_t width = lexicon::gbk::walk_length(typed, i);
        if (lexicon::gbk::walk_length(row, i) != width) return false;
        if (width == 2) {
            if (row.compare(i, 2, typed.substr(i, 2)) != 0) return false;
        } else if (Folded(static_cast<unsigned char>(row[i])) != Folded(static_cast<unsigned char>(typed[i]))) {
            return false;
        }
        i += width;
    }
    return prefix || i == row.size();
}

}  // namespace

int FindRow(const std::vector<std::string>& rows, const RowQuery& query) {
    const int count = static_cast<int>(rows.size());
    if (count == 0) return -1;
    int start = std::clamp(query.start, 0, count);
    for (int i = start; i < count; ++i)
        if (Matches(rows[static_cast<std::size_t>(i)], query.text, query.prefix)) return i;
    if (query.wrap)
        for (int i = 0; i < start; ++i)
            if (Matches(rows[static_cast<std::size_t>(i)], query.text, query.prefix)) return i;
    return -1;
}

}  // namespace documents
