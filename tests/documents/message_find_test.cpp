#include "documents/message_find.h"

#include <gtest/gtest.h>

namespace {

using documents::FindRow;
using documents::RowQuery;

TEST(FindRow, TypedLettersLeadToTheNextRowStartingWithThem) {
    const std::vector<std::string> rows = {
        "alpha", "beta", "Apple", "中文消息", "乤b", "temp.trs(3): 警告 W201", "b", "\x81\x41x",
    };
    struct Case {
        const char* name;
        RowQuery query;
        int row;
    } cases[] = {
        {"from the top", {"b", true, 0, true}, 1},
        {"from a later row", {"b", true, 2, true}, 6},
        {"letters in either case", {"A", true, 1, true}, 2},
        {"several letters typed quickly", {"ap", true, 0, true}, 2},
        {"wraps to the top", {"a", true, 3, true}, 0},
        {"not past the end without wrap", {"a", true, 3, false}, -1},
        {"the row at the start counts", {"temp", true, 5, true}, 5},
        {"a Chinese character", {"中", true, 0, true}, 3},
        {"a trail byte that is a letter is no letter", {"a", true, 4, false}, -1},
        {"trail bytes are not folded", {"\x81\x41", true, 0, true}, 7},  // not 乤 (81 61) in row 4
        {"no row starts with it", {"z", true, 0, true}, -1},
        {"the whole text, in either case", {"BETA", false, 0, true}, 1},
        {"the whole text is not a beginning", {"alp", false, 0, true}, -1},
        {"a start past the end", {"b", true, 99, true}, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(FindRow(rows, c.query), c.row) << c.name;
    EXPECT_EQ(FindRow({}, {"a", true, 0, true}), -1);
}

}  // namespace
