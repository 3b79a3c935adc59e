#pragma once
// TRxSplitter as the document window uses it: a horizontal bar aligned to the bottom
// of its parent, directly above the pane it resizes. Dragging it with the left button
// draws an XOR line on the parent that follows the pointer within the limits; Escape
// cancels the drag; releasing the button gives the pane its new height and reports
// the end of the drag.
#include <windows.h>

#include <functional>

#include "win/window.h"

namespace widgets {

class Splitter : public win::Window {
public:
    struct Pane {
        std::function<int()> height;         // the pane's current height
        std::function<void(int)> setHeight;  // gives the pane a new height and lays out
    };

    Splitter(HWND parent, int id, Pane pane, std::function<void()> posChanged);
    ~Splitter() override;

    bool Dragging() const { return dragging_; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void BeginDrag(POINT pointer);
    void MoveLine(POINT pointer);
    void EndDrag(bool apply);
    void InvertLine(int y);
    POINT ToParent(LPARAM lParam) const;
    int ParentClientHeight() const;

    HWND parent_;
    Pane pane_;
    std::function<void()> posChanged_;
    bool dragging_ = false;
    int lineY_ = 0;
    HWND focusBefore_ = nullptr;
};

}  // namespace widgets
