#include "widgets/secret_panel.h"

namespace widgets {

namespace {
const char* const kClassName = "TSecretPanel";
const UINT_PTR kScrollTimer = 1;
const UINT kIntervalMilliseconds = 50;
const int kBevels = 2;  // raised inner and lowered outer, a pixel each
}  // namespace

SecretPanel::SecretPanel(HWND parent, RECT bounds, HBITMAP glyph, std::vector<std::string> lines, HFONT font,
                         COLORREF color)
    : glyph_(glyph), lines_(std::move(lines)), font_(font), color_(color) {
    RegisterClassOnce(kClassName, 0, nullptr);
    Create(0, kClassName, "SecretPanel2", WS_CHILD | WS_VISIBLE, bounds.left, bounds.top, bounds.right - bounds.left,
           bounds.bottom - bounds.top, parent, nullptr);
    win::WindowDc dc(hwnd());
    win::Selected selected(dc.get(), font_);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc.get(), &metrics);
    scroll_ = CreditsScroll{static_cast<int>(lines_.size()),
                            static_cast<unsigned char>(metrics.tmHeight + metrics.tmExternalLeading), 0};
    ::SetTimer(hwnd(), kScrollTimer, kIntervalMilliseconds, nullptr);
}

RECT SecretPanel::InnerArea() const {
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    ::InflateRect(&rc, -(3 + kBevels), -(3 + kBevels));
    return rc;
}

RECT SecretPanel::TextArea() const {
    RECT area = InnerArea();
    BITMAP info{};
    if (glyph_ && ::GetObjectA(glyph_, sizeof info, &info)) area.top += 2 + info.bmHeight;
    return area;
}

void SecretPanel::PaintText(HDC target, const RECT& area) {
    int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return;
    win::MemoryDc dc(::CreateCompatibleDC(target));
    win::Bitmap bitmap(::CreateCompatibleBitmap(target, width, height));
    win::Selected selectedBitmap(dc.get(), bitmap.get());
    RECT local{0, 0, width, height};
    ::FillRect(dc.get(), &local, ::GetSysColorBrush(COLOR_BTNFACE));
    win::Selected selectedFont(dc.get(), font_);
    ::SetBkMode(dc.get(), TRANSPARENT);
    ::SetTextColor(dc.get(), color_);
    int y = -scroll_.FirstLineShift();
    for (int i = scroll_.FirstLine(); y < height && i < static_cast<int>(lines_.size()); ++i) {
        RECT line{0, y, width, y + scroll_.lineHeight};
        ::DrawTextA(dc.get(), lines_[i].c_str(), -1, &line, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
        y += scroll_.lineHeight;
    }
    ::BitBlt(target, area.left, area.top, width, height, dc.get(), 0, 0, SRCCOPY);
}

void SecretPanel::Paint() {
    win::PaintDc paint(hwnd());
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    win::BufferedPaint buffer(paint.get(), rc.right, rc.bottom);
    HDC dc = buffer.dc();
    ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
    RECT edge = rc;
    ::DrawEdge(dc, &edge, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
    RECT inner = InnerArea();
    BITMAP info{};
    if (glyph_ && ::GetObjectA(glyph_, sizeof info, &info)) {
        int x = inner.left + (inner.right - inner.left - info.bmWidth) / 2;
        win::DrawTransparent(dc, glyph_, x, inner.top + 2, 0, info.bmWidth);
    }
    PaintText(dc, TextArea());
}

LRESULT SecretPanel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == kScrollTimer) {
            scroll_.Tick();
            win::WindowDc dc(hwnd());
            PaintText(dc.get(), TextArea());  // only the text area changes
        }
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_DESTROY:
        ::KillTimer(hwnd(), kScrollTimer);
        return 0;
    default:
        return DefaultProc(msg, wParam, lParam);
    }
}

}  // namespace widgets
