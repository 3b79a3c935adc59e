#include "widgets/clock_text.h"

#include <gtest/gtest.h>

namespace {

using widgets::TimeOfDay;

TEST(ClockText, TwentyFourHoursWithLeadingZerosAndTheSystemSeparator) {
    struct Case {
        TimeOfDay t;
        const char* separator;
        const char* text;
    } cases[] = {
        {{21, 7, 3}, ":", "21:07:03"},   {{0, 7, 30}, ":", "00:07:30"}, {{9, 5, 7}, ":", "09:05:07"},
        {{23, 59, 59}, ":", "23:59:59"}, {{9, 5, 7}, ".", "09.05.07"},  {{9, 5, 7}, "", "090507"},
        {{9, 5, 7}, "时", "09时05时07"},
    };
    for (const auto& c : cases) EXPECT_EQ(widgets::ClockText(c.t, c.separator), c.text);
}

TEST(ClockText, ADoubleByteSeparatorTakesOneCell) {
    auto cells = widgets::ClockCells({9, 5, 7}, "时");
    ASSERT_EQ(cells.size(), 8u);
    EXPECT_EQ(cells[2], "时");
    EXPECT_EQ(cells[7], "7");
    EXPECT_EQ(widgets::ClockCells({9, 5, 7}, "::").size(), 10u);
}

TEST(ClockText, ATickRepaintsOnlyTheCellsThatChanged) {
    struct Case {
        TimeOfDay before, after;
        const char* separator;
        int firstCell;
    } cases[] = {
        {{21, 7, 3}, {21, 7, 3}, ":", 8},    // nothing changed
        {{21, 7, 3}, {21, 7, 4}, ":", 6},    // seconds: cells 6 and 7
        {{21, 7, 59}, {21, 8, 0}, ":", 3},   // minutes and seconds
        {{21, 59, 59}, {22, 0, 0}, ":", 0},  // an hour change repaints the whole clock
        {{-1, -1, -1}, {0, 0, 0}, ":", 0},   // first paint
        {{21, 7, 3}, {21, 7, 4}, "时", 6},   // a double-byte separator is one cell
        {{21, 7, 59}, {21, 8, 0}, "::", 4},  // a two-character separator shifts the cells
        {{21, 7, 3}, {21, 7, 4}, "::", 8},  {{21, 7, 3}, {21, 7, 3}, "::", 10},
    };
    for (const auto& c : cases)
        EXPECT_EQ(widgets::FirstChangedCell(c.before, c.after, c.separator), c.firstCell)
            << widgets::ClockText(c.after, c.separator);
}

}  // namespace
