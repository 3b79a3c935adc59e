// Balloon placement at every edge of a 1024 x 768 screen, for each starting
// direction, and the fallbacks for a balloon that fits nowhere.
#include "widgets/hint_placement.h"

#include <gtest/gtest.h>

namespace {

using widgets::HintBounds;
using widgets::HintDirection;
using widgets::HintPoint;
using D = HintDirection;

const HintBounds kScreen{0, 0, 1024, 768};
// A text of 100 x 20: the balloon is 116 wide, 49 high below the pointer, 40 above.
const int kTextW = 100, kTextH = 20;

const char* Name(D d) {
    switch (d) {
    case D::hdUpRight:
        return "hdUpRight";
    case D::hdUpLeft:
        return "hdUpLeft";
    case D::hdDownRight:
        return "hdDownRight";
    case D::hdDownLeft:
        return "hdDownLeft";
    }
    return "?";
}

struct Case {
    const char* where;
    D start;
    HintPoint pointer;
    D expected;
    HintBounds bounds;
};

const Case kCases[] = {
    {"middle", D::hdDownRight, {500, 300}, D::hdDownRight, {500, 315, 616, 364}},
    {"left edge", D::hdDownRight, {0, 300}, D::hdDownRight, {0, 315, 116, 364}},
    {"top edge", D::hdDownRight, {500, 0}, D::hdDownRight, {500, 15, 616, 64}},
    {"right edge, just fits", D::hdDownRight, {908, 300}, D::hdDownRight, {908, 315, 1024, 364}},
    {"right edge, one over", D::hdDownRight, {909, 300}, D::hdDownLeft, {799, 315, 915, 364}},
    {"bottom edge, just fits", D::hdDownRight, {500, 704}, D::hdDownRight, {500, 719, 616, 768}},
    {"bottom edge, one over", D::hdDownRight, {500, 705}, D::hdUpRight, {500, 660, 616, 700}},
    {"bottom right corner", D::hdDownRight, {1000, 760}, D::hdUpLeft, {890, 715, 1006, 755}},

    {"up right, middle", D::hdUpRight, {500, 300}, D::hdUpRight, {500, 255, 616, 295}},
    {"up right, top edge", D::hdUpRight, {500, 44}, D::hdDownRight, {500, 59, 616, 108}},
    {"up right, top edge just fits", D::hdUpRight, {500, 45}, D::hdUpRight, {500, 0, 616, 40}},
    {"up right, right edge", D::hdUpRight, {1000, 300}, D::hdUpLeft, {890, 255, 1006, 295}},
    {"up right, top right corner", D::hdUpRight, {1000, 10}, D::hdDownLeft, {890, 25, 1006, 74}},

    {"up left, middle", D::hdUpLeft, {500, 300}, D::hdUpLeft, {390, 255, 506, 295}},
    {"up left, left edge", D::hdUpLeft, {20, 300}, D::hdUpRight, {20, 255, 136, 295}},
    {"up left, left edge just fits", D::hdUpLeft, {110, 300}, D::hdUpLeft, {0, 255, 116, 295}},
    {"up left, top edge", D::hdUpLeft, {500, 10}, D::hdDownLeft, {390, 25, 506, 74}},
    {"up left, top left corner", D::hdUpLeft, {20, 10}, D::hdDownRight, {20, 25, 136, 74}},

    {"down left, middle", D::hdDownLeft, {500, 300}, D::hdDownLeft, {390, 315, 506, 364}},
    {"down left, left edge", D::hdDownLeft, {20, 300}, D::hdDownRight, {20, 315, 136, 364}},
    {"down left, bottom edge", D::hdDownLeft, {500, 740}, D::hdUpLeft, {390, 695, 506, 735}},
    {"down left, bottom left corner", D::hdDownLeft, {20, 740}, D::hdUpRight, {20, 695, 136, 735}},
};

TEST(HintPlacement, FourDirectionsAndTheirFallbacksAtEveryEdge) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.where);
        auto placed = widgets::PlaceHint(c.pointer, kTextW, kTextH, kScreen, c.start);
        EXPECT_STREQ(Name(placed.direction), Name(c.expected));
        EXPECT_EQ(placed.bounds, c.bounds) << placed.bounds.left << "," << placed.bounds.top << " "
                                           << placed.bounds.right << "," << placed.bounds.bottom;
        // Wherever it goes, the tail's tip is at the pointer's x, 15 below or 5 above it.
        bool right = placed.direction == D::hdDownRight || placed.direction == D::hdUpRight;
        int tipX = right ? placed.bounds.left : placed.bounds.right - 6;
        int tipY = widgets::HangsBelow(placed.direction) ? placed.bounds.top : placed.bounds.bottom;
        EXPECT_EQ(tipX, c.pointer.x);
        EXPECT_EQ(tipY, c.pointer.y + (widgets::HangsBelow(placed.direction) ? 15 : -5));
    }
}

TEST(HintPlacement, BalloonLargerThanTheRoomOnBothSidesKeepsTheSideWithLessOverflow) {
    struct Wide {
        HintPoint pointer;
        int textW, textH;
        D expected;
    } cases[] = {
        {{300, 300}, 1100, 20, D::hdDownRight},  // 392 over on the right, 810 on the left
        {{800, 300}, 1100, 20, D::hdDownLeft},   // 892 over on the right, 310 on the left
        {{500, 200}, 100, 800, D::hdDownRight},  // 276 over at the bottom, 625 at the top
        {{500, 600}, 100, 800, D::hdUpRight},    // 676 over at the bottom, 225 at the top
        {{900, 600}, 1100, 800, D::hdUpLeft},
    };
    for (const auto& c : cases) {
        auto placed = widgets::PlaceHint(c.pointer, c.textW, c.textH, kScreen);
        EXPECT_STREQ(Name(placed.direction), Name(c.expected)) << c.pointer.x << "," << c.pointer.y;
    }
}

TEST(HintPlacement, SizeGrowsByTheTailOnlyBelowThePointer) {
    EXPECT_EQ(widgets::BalloonSize(70, 22, D::hdDownRight), (HintPoint{86, 51}));
    EXPECT_EQ(widgets::BalloonSize(70, 22, D::hdDownLeft), (HintPoint{86, 51}));
    EXPECT_EQ(widgets::BalloonSize(70, 22, D::hdUpRight), (HintPoint{86, 42}));
    EXPECT_EQ(widgets::BalloonSize(70, 22, D::hdUpLeft), (HintPoint{86, 42}));
}

}  // namespace
