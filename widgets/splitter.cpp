#include "widgets/splitter.h"

#include <utility>

#include "widgets/splitter_geometry.h"

namespace widgets {

namespace {
const char* const kClassName = "TRxSplitter";
}

Splitter::Splitter(HWND parent, int id, Pane pane, std::function<void()> posChanged)
    : parent_(parent), pane_(std::move(pane)), posChanged_(std::move(posChanged)) {
    // Windows has no stock split cursor; the north-south sizing arrow is the closest.
    RegisterClassOnce(kClassName, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                      ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_SIZENS)));
    Create(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

Splitter::~Splitter() {
    if (dragging_) EndDrag(false);
}

POINT Splitter::ToParent(LPARAM lParam) const {
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::MapWindowPoints(hwnd(), parent_, &p, 1);
    return p;
}

int Splitter::ParentClientHeight() const {
    RECT rc;
    ::GetClientRect(parent_, &rc);
    return rc.bottom;
}

// The line is drawn on the parent over its children, so the editor under it shows
// the line too; inverting twice erases it.
void Splitter::InvertLine(int y) {
    RECT bar;
    ::GetWindowRect(hwnd(), &bar);
    ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&bar), 2);
    HDC dc = ::GetDCEx(parent_, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    ::PatBlt(dc, bar.left, y, bar.right - bar.left, DragLineThickness(bar.bottom - bar.top), DSTINVERT);
    ::ReleaseDC(parent_, dc);
}

void Splitter::BeginDrag(POINT pointer) {
    dragging_ = true;
    // Escape must reach the bar while the drag lasts; the focus goes back afterwards.
    focusBefore_ = ::GetFocus();
    ::SetFocus(hwnd());
    ::SetCapture(hwnd());
    DragLine line = ClampDragLine(pointer.y, ParentClientHeight());
    lineY_ = line.y;
    InvertLine(lineY_);
}

void Splitter::MoveLine(POINT pointer) {
    DragLine line = ClampDragLine(pointer.y, ParentClientHeight());
    ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(line.clamped ? IDC_NO : IDC_SIZENS)));
    if (line.y == lineY_) return;
    InvertLine(lineY_);
    lineY_ = line.y;
    InvertLine(lineY_);
}

void Splitter::EndDrag(bool apply) {
    if (!dragging_) return;
    dragging_ = false;  // first: releasing the capture below calls back into this
    InvertLine(lineY_);
    if (::GetCapture() == hwnd()) ::ReleaseCapture();
    if (focusBefore_ && ::IsWindow(focusBefore_) && ::GetFocus() == hwnd()) ::SetFocus(focusBefore_);
    focusBefore_ = nullptr;
    if (!apply) return;
    RECT bar;
    ::GetWindowRect(hwnd(), &bar);
    ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&bar), 2);
    int height = PaneHeightAfterDrag(pane_.height(), lineY_, bar.top, ParentClientHeight(), bar.bottom - bar.top);
    pane_.setHeight(height);
    if (posChanged_) posChanged_();
}

LRESULT Splitter::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        if (!dragging_) BeginDrag(ToParent(lParam));
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) MoveLine(ToParent(lParam));
        return 0;
    case WM_LBUTTONUP:
        if (dragging_) {
            MoveLine(ToParent(lParam));
            EndDrag(true);
        }
        return 0;
    case WM_KEYDOWN:
        if (dragging_ && wParam == VK_ESCAPE) EndDrag(false);
        return 0;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        if (dragging_) EndDrag(false);
        break;
    }
    return DefaultProc(msg, wParam, lParam);
}

}  // namespace widgets
