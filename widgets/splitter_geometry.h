#pragma once
// The arithmetic of the splitter bar between a document's editor and its message
// pane, free of windows so that it can be tested on its own. Lengths are pixels in
// the client area of the window that holds the bar; y grows downwards.

namespace widgets {

// How close the drag line may come to the top and to the bottom of the client area.
inline constexpr int kSplitterTopLimit = 20;
inline constexpr int kSplitterBottomLimit = 20;

struct DragLine {
    int y;         // where the line is drawn (its top edge)
    bool clamped;  // the pointer is beyond a limit: the line stopped there
};

// The drag line for a pointer at `pointerY`, held within the limits.
constexpr DragLine ClampDragLine(int pointerY, int clientHeight, int topLimit = kSplitterTopLimit,
                                 int bottomLimit = kSplitterBottomLimit) {
    int lowest = clientHeight - bottomLimit;
    if (pointerY > lowest) return {lowest < topLimit ? topLimit : lowest, true};
    if (pointerY < topLimit) return {topLimit, true};
    return {pointerY, false};
}

// The pane's height once a drag ends at `lineY` (held within the limits) for a bar
// whose top edge is at `barTop`. Released above the bar, the pane grows by the
// distance; below it, it shrinks. Never 0 or less, and never so tall that the bar
// would leave the client area.
constexpr int PaneHeightAfterDrag(int paneHeight, int lineY, int barTop, int clientHeight, int barHeight) {
    int height = paneHeight - (lineY - barTop);
    if (height <= 0) height = 1;
    if (height >= clientHeight - barHeight) height = clientHeight - barHeight - 3;
    return height;
}

// The width of the XOR line that follows the pointer: 2 pixels for bars thinner than
// 4 pixels, else the bar's thickness less 2.
constexpr int DragLineThickness(int barThickness) { return barThickness < 4 ? 2 : barThickness - 2; }

}  // namespace widgets
