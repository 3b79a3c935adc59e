#include "widgets/hint_placement.h"

namespace widgets {

namespace {

bool OnTheRight(HintDirection d) { return d == HintDirection::hdUpRight || d == HintDirection::hdDownRight; }

HintDirection Make(bool below, bool right) {
    if (below) return right ? HintDirection::hdDownRight : HintDirection::hdDownLeft;
    return right ? HintDirection::hdUpRight : HintDirection::hdUpLeft;
}

HintBounds BoundsFor(HintPoint p, int textWidth, int textHeight, HintDirection d) {
    HintPoint size = BalloonSize(textWidth, textHeight, d);
    // The tail's tip is at the window's left edge, or 6 in from its right edge.
    int left = OnTheRight(d) ? p.x : p.x + 6 - size.x;
    int top = HangsBelow(d) ? p.y + kTailBelowPointer : p.y - kTailAbovePointer - size.y;
    return {left, top, left + size.x, top + size.y};
}

// How far the balloon passes the screen on the side its direction grows towards.
int HorizontalOverflow(const HintBounds& b, HintDirection d, const HintBounds& screen) {
    return OnTheRight(d) ? b.right - screen.right : screen.left - b.left;
}

int VerticalOverflow(const HintBounds& b, HintDirection d, const HintBounds& screen) {
    return HangsBelow(d) ? b.bottom - screen.bottom : screen.top - b.top;
}

}  // namespace

bool HangsBelow(HintDirection d) { return d == HintDirection::hdDownRight || d == HintDirection::hdDownLeft; }

HintPoint BalloonSize(int textWidth, int textHeight, HintDirection direction) {
    return {textWidth + 16, textHeight + 20 + (HangsBelow(direction) ? 9 : 0)};
}

HintPlacement PlaceHint(HintPoint pointer, int textWidth, int textHeight, HintBounds screen, HintDirection preferred) {
    // The horizontal side does not change the height and the vertical side does not
    // change the left edge, so each axis is settled once.
    HintDirection d = preferred;
    int over = HorizontalOverflow(BoundsFor(pointer, textWidth, textHeight, d), d, screen);
    if (over > 0) {
        HintDirection other = Make(HangsBelow(d), !OnTheRight(d));
        int otherOver = HorizontalOverflow(BoundsFor(pointer, textWidth, textHeight, other), other, screen);
        if (otherOver <= 0 || otherOver < over) d = other;
    }
    over = VerticalOverflow(BoundsFor(pointer, textWidth, textHeight, d), d, screen);
    if (over > 0) {
        HintDirection other = Make(!HangsBelow(d), OnTheRight(d));
        int otherOver = VerticalOverflow(BoundsFor(pointer, textWidth, textHeight, other), other, screen);
        if (otherOver <= 0 || otherOver < over) d = other;
    }
    return {d, BoundsFor(pointer, textWidth, textHeight, d)};
}

}  // namespace widgets
