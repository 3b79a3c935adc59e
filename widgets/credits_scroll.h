#pragma once
// The arithmetic of the scrolling credits: one pixel a tick, starting over once the
// last line has reached the top.
namespace widgets {

struct CreditsScroll {
    int lineCount = 0;
    int lineHeight = 1;
    int offset = 0;  // pixels scrolled

    // One tick: up by a pixel, or back to the start when the last line is at the top.
    void Tick() { offset = (lineCount - 1) * lineHeight > offset ? offset + 1 : 0; }
    // The first line drawn and how far above the text area's top it starts.
    int FirstLine() const { return lineHeight > 0 ? offset / lineHeight : 0; }
    int FirstLineShift() const { return lineHeight > 0 ? offset % lineHeight : 0; }
};

}  // namespace widgets
