#pragma once
// Where a balloon hint goes: its size from the text's hint rectangle and the corner
// it hangs from, trying the four directions in turn where one does not fit the
// screen. Window-free, so every edge of the screen can be tried on the host.

namespace widgets {

enum class HintDirection { hdUpRight, hdUpLeft, hdDownRight, hdDownLeft };

struct HintPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const HintPoint&, const HintPoint&) = default;
};

struct HintBounds {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const HintBounds&, const HintBounds&) = default;
};

struct HintPlacement {
    HintDirection direction;
    HintBounds bounds;  // screen coordinates of the whole balloon window
};

// A balloon below the pointer hangs from the tail's tip this far under it; one above
// has the tip this far over it.
constexpr int kTailBelowPointer = 15;
constexpr int kTailAbovePointer = 5;

bool HangsBelow(HintDirection direction);

// The balloon's size for a text whose standard hint rectangle is `textWidth` x
// `textHeight`: 16 wider, 20 taller, and 9 taller still below the pointer.
HintPoint BalloonSize(int textWidth, int textHeight, HintDirection direction);

// Places the balloon for the pointer at `pointer`, starting with `preferred`. A
// direction whose balloon would pass a screen edge gives way to its neighbour
// across that edge. When neither side of an axis fits (a balloon larger than the
// room on both sides) the side with less overflow is kept, so the search always ends.
HintPlacement PlaceHint(HintPoint pointer, int textWidth, int textHeight, HintBounds screen,
                        HintDirection preferred = HintDirection::hdDownRight);

}  // namespace widgets
