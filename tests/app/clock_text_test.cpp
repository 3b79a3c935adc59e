#include "widgets/clock_text.h"

#include <gtest/gtest.h>

namespace {

using widgets::TimeOfDay;

TEST(ClockText, TwentyFourHoursWithLeadingZeros) {
    EXPECT_EQ(widgets::ClockText({21, 7, 3}), "21:07:03");
    EXPECT_EQ(widgets::ClockText({0, 7, 30}), "00:07:30");
    EXPECT_EQ(widgets::ClockText({9, 5, 7}), "09:05:07");
    EXPECT_EQ(widgets::ClockText({23, 59, 59}), "23:59:59");
}

TEST(ClockText, ATickRepaintsOnlyTheCellsThatChanged) {
    struct Case {
        TimeOfDay before, after;
        int firstCell;
    } cases[] = {
        {{21, 7, 3}, {21, 7, 3}, 8},    // nothing changed
        {{21, 7, 3}, {21, 7, 4}, 6},    // seconds: cells 6 and 7
        {{21, 7, 59}, {21, 8, 0}, 3},   // minutes and seconds
        {{21, 59, 59}, {22, 0, 0}, 0},  // an hour change repaints the whole clock
        {{-1, -1, -1}, {0, 0, 0}, 0},   // first paint
    };
    for (const auto& c : cases)
        EXPECT_EQ(widgets::FirstChangedCell(c.before, c.after), c.firstCell) << widgets::ClockText(c.after);
}

}  // namespace
