#include "widgets/credits_scroll.h"

#include <gtest/gtest.h>

namespace {

TEST(CreditsScroll, ElevenLinesStartOverAfterTenLineHeights) {
    for (int height : {1, 13, 19}) {
        widgets::CreditsScroll scroll{11, height, 0};
        int ticks = 0;
        do {
            scroll.Tick();
            ++ticks;
        } while (scroll.offset != 0);
        EXPECT_EQ(ticks, 10 * height + 1) << height;
    }
}

TEST(CreditsScroll, FirstLineFollowsTheOffset) {
    widgets::CreditsScroll scroll{11, 15, 0};
    for (int i = 0; i < 47; ++i) scroll.Tick();
    EXPECT_EQ(scroll.FirstLine(), 3);
    EXPECT_EQ(scroll.FirstLineShift(), 2);
}

}  // namespace
