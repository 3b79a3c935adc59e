#pragma once
// Typing in the message pane: which row the typed letters lead to. The list view asks
// its owner for the row, because the pane keeps its rows' texts itself. GBK bytes.
#include <string>
#include <string_view>
#include <vector>

namespace documents {

struct RowQuery {
    std::string_view text;  // what was typed so far
    bool prefix = true;     // the row starts with it (false: the row is exactly it)
    int start = 0;          // the first row looked at
    bool wrap = true;       // after the last row, go on from the first up to `start`
};

// The first row, from `start` on, that matches: single-byte letters in either case,
// double-byte characters exactly (their trail bytes are never letters to fold).
// -1 when none does.
int FindRow(const std::vector<std::string>& rows, const RowQuery& query);

}  // namespace documents
