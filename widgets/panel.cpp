#include "widgets/panel.h"

#include "win/handles.h"

namespace widgets {

namespace {
const char* const kClassName = "TPanel";
}

Panel::Panel(HWND parent, const char* name, Bevel inner, Bevel outer) : inner_(inner), outer_(outer) {
    RegisterClassOnce(kClassName, CS_HREDRAW | CS_VREDRAW, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    Create(0, kClassName, name, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent, nullptr);
}

int Panel::BorderWidth() const { return (inner_ != Bevel::None) + (outer_ != Bevel::None); }

void Panel::Paint() {
    win::PaintDc paint(hwnd());
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    UINT edge = 0;
    if (outer_ == Bevel::Raised) edge |= BDR_RAISEDOUTER;
    if (outer_ == Bevel::Lowered) edge |= BDR_SUNKENOUTER;
    if (inner_ == Bevel::Raised) edge |= BDR_RAISEDINNER;
    if (inner_ == Bevel::Lowered) edge |= BDR_SUNKENINNER;
    if (edge) ::DrawEdge(paint.get(), &rc, edge, BF_RECT);
    for (const auto& line : lines_) {
        RECT r{line.x, line.y, line.x + 2, line.y + line.height};
        ::DrawEdge(paint.get(), &r, BDR_SUNKENOUTER, BF_LEFT | BF_RIGHT);
    }
}

LRESULT Panel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
        return ::SendMessageA(::GetParent(hwnd()), msg, wParam, lParam);
    default:
        return DefaultProc(msg, wParam, lParam);
    }
}

}  // namespace widgets
