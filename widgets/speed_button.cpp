#include "widgets/speed_button.h"

#include <string>

namespace widgets {

namespace {
const char* const kClassName = "TRxSpeedButton";

// A 1-pixel frame: one colour along the top and left, another along the bottom and right.
void DrawFrame(HDC dc, const RECT& rc, COLORREF topLeft, COLORREF bottomRight) {
    win::Pen light(::CreatePen(PS_SOLID, 1, topLeft));
    win::Pen dark(::CreatePen(PS_SOLID, 1, bottomRight));
    {
        win::Selected pen(dc, light.get());
        ::MoveToEx(dc, rc.left, rc.bottom - 1, nullptr);
        ::LineTo(dc, rc.left, rc.top);
        ::LineTo(dc, rc.right - 1, rc.top);
    }
    win::Selected pen(dc, dark.get());
    ::MoveToEx(dc, rc.right - 1, rc.top, nullptr);
    ::LineTo(dc, rc.right - 1, rc.bottom - 1);
    ::LineTo(dc, rc.left - 1, rc.bottom - 1);
}
}  // namespace

SpeedButton::SpeedButton(HWND parent, int id, const char* caption, HBITMAP glyph, HFONT font, RECT bounds, bool visible)
    : glyph_(glyph), font_(font) {
    RegisterClassOnce(kClassName, 0, nullptr);
    Create(0, kClassName, caption, WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0), bounds.left, bounds.top,
           bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void SpeedButton::SetEnabled(bool enabled) {
    if ((::IsWindowEnabled(hwnd()) != FALSE) == enabled) return;
    ::EnableWindow(hwnd(), enabled);
    if (!enabled) hot_ = pressed_ = false;
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void SpeedButton::DrawGlyph(HDC dc, int x, int y, bool enabled) const {
    BITMAP info{};
    if (!glyph_ || !::GetObjectA(glyph_, sizeof info, &info)) return;
    int width = info.bmWidth / 2;  // normal image, then the disabled one
    win::DrawTransparent(dc, glyph_, x, y, enabled ? 0 : width, width);
}

void SpeedButton::Paint() {
    win::PaintDc paint(hwnd());
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    win::BufferedPaint buffer(paint.get(), rc.right, rc.bottom);
    HDC dc = buffer.dc();
    ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_BTNFACE));

    bool enabled = ::IsWindowEnabled(hwnd()) != FALSE;
    if (pressed_ && hot_) {
        DrawFrame(dc, rc, ::GetSysColor(COLOR_WINDOWFRAME), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    } else if (hot_ && enabled && ::GetActiveWindow() != nullptr) {
        DrawFrame(dc, rc, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
    }
    int shift = (pressed_ && hot_) ? 1 : 0;

    char caption[64] = {};
    ::GetWindowTextA(hwnd(), caption, sizeof caption);
    win::Selected font(dc, font_);
    SIZE textSize{};
    ::GetTextExtentPoint32A(dc, caption, static_cast<int>(std::char_traits<char>::length(caption)), &textSize);
    BITMAP info{};
    int glyphW = 0, glyphH = 0;
    if (glyph_ && ::GetObjectA(glyph_, sizeof info, &info)) {
        glyphW = info.bmWidth / 2;
        glyphH = info.bmHeight;
    }
    const int spacing = 1;
    int blockH = glyphH + spacing + textSize.cy;
    int top = (rc.bottom - blockH) / 2 + shift;
    DrawGlyph(dc, (rc.right - glyphW) / 2 + shift, top, enabled);

    RECT text{shift, top + glyphH + spacing, rc.right + shift, top + blockH};
    ::SetBkMode(dc, TRANSPARENT);
    UINT format = DT_CENTER | DT_SINGLELINE | DT_NOPREFIX;
    if (enabled) {
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
        ::DrawTextA(dc, caption, -1, &text, format);
    } else {
        RECT embossed = text;
        ::OffsetRect(&embossed, 1, 1);
        ::SetTextColor(dc, RGB(255, 255, 255));
        ::DrawTextA(dc, caption, -1, &embossed, format);
        ::SetTextColor(dc, RGB(128, 128, 128));
        ::DrawTextA(dc, caption, -1, &text, format);
    }
}

void SpeedButton::Click() {
    if (!::IsWindowEnabled(hwnd())) return;
    HWND parent = ::GetParent(hwnd());
    int id = ::GetDlgCtrlID(hwnd());
    ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd()));
}

LRESULT SpeedButton::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE: {
        POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        RECT rc;
        ::GetClientRect(hwnd(), &rc);
        bool inside = ::PtInRect(&rc, p) != FALSE;
        if (inside != hot_) {
            hot_ = inside;
            ::InvalidateRect(hwnd(), nullptr, FALSE);
        }
        if (inside && !pressed_) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
            ::TrackMouseEvent(&track);
        }
        return 0;
    }
    case WM_MOUSELEAVE:
        if (!pressed_ && hot_) {
            hot_ = false;
            ::InvalidateRect(hwnd(), nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONDOWN:
        pressed_ = hot_ = true;
        ::SetCapture(hwnd());
        ::InvalidateRect(hwnd(), nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP: {
        bool clicked = pressed_ && hot_;
        pressed_ = false;
        ::ReleaseCapture();
        ::InvalidateRect(hwnd(), nullptr, FALSE);
        if (clicked) Click();
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (pressed_) {
            pressed_ = false;
            ::InvalidateRect(hwnd(), nullptr, FALSE);
        }
        return 0;
    case BM_CLICK:
        Click();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_BUTTON;
    default:
        return DefaultProc(msg, wParam, lParam);
    }
}

}  // namespace widgets
