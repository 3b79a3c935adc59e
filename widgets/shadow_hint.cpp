#include "widgets/shadow_hint.h"

#include "win/dpi.h"

namespace widgets {

namespace {

const char* const kClassName = "TNewHint";
const UINT_PTR kPollTimer = 1;
const UINT kPollMilliseconds = 50;
// The platform's hint window leaves this much room around its text.
const int kHintMarginX = 6, kHintMarginY = 2;

bool PointsRight(HintDirection d) { return d == HintDirection::hdDownRight || d == HintDirection::hdUpRight; }

// Every pixel of the region whose x and y have the same parity.
void FillCheckerboard(HDC dc, HRGN region, COLORREF color) {
    RECT box;
    if (::GetRgnBox(region, &box) == NULLREGION) return;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left + ((box.left + y) & 1); x < box.right; x += 2)
            if (::PtInRegion(region, x, y)) ::SetPixelV(dc, x, y, color);
}

}  // namespace

ShadowHint::ShadowHint(HWND owner, HintDirection direction)
    : direction_(direction), placed_(direction), font_(win::MakeFont({"MS Sans Serif", 17, true, true})) {
    RegisterClassOnce(kClassName, CS_SAVEBITS, nullptr);
    Create(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, "", WS_POPUP, 0, 0, 0, 0, owner, nullptr);
    ::SetTimer(hwnd(), kPollTimer, kPollMilliseconds, nullptr);
}

void ShadowHint::AddHint(HWND control, std::string text) { targets_.push_back({control, std::move(text)}); }

void ShadowHint::Cancel() {
    Hide();
    cancelled_ = current_;
}

void ShadowHint::RelayMessage(const MSG& msg) {
    switch (msg.message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        Cancel();
        break;
    }
}

const ShadowHint::Target* ShadowHint::TargetAt(POINT p) const {
    HWND top = ::WindowFromPoint(p);
    for (const Target& t : targets_) {
        RECT rc;
        if (!::IsWindowVisible(t.control) || !::GetWindowRect(t.control, &rc) || !::PtInRect(&rc, p)) continue;
        // A disabled control gets no mouse messages: the pointer is then on its parent.
        HWND parent = ::GetParent(t.control);
        if (top != t.control) {
            if (top != parent) continue;  // something covers the control
            POINT inParent = p;
            ::ScreenToClient(parent, &inParent);
            if (::ChildWindowFromPointEx(parent, inParent, CWP_SKIPINVISIBLE) != t.control) continue;
        }
        // While a modal box is open the window under it takes no hints.
        if (!::IsWindowEnabled(::GetAncestor(t.control, GA_ROOT))) continue;
        return &t;
    }
    return nullptr;
}

void ShadowHint::Poll() {
    POINT p;
    if (!::GetCursorPos(&p)) return;
    // Judged by the rectangle alone, so that a moment in which another window is
    // under the pointer (a new window appearing) does not bring the balloon back.
    RECT rc;
    if (cancelled_ && !(::GetWindowRect(cancelled_, &rc) && ::PtInRect(&rc, p))) cancelled_ = nullptr;
    // Hints show only while one of the application's windows is active and no menu is
    // open: a menu's own loop goes on dispatching this window's timer.
    GUITHREADINFO thread{sizeof thread};
    const bool inMenu = ::GetGUIThreadInfo(::GetCurrentThreadId(), &thread) && (thread.flags & GUI_INMENUMODE);
    const Target* target = ::GetActiveWindow() && !inMenu ? TargetAt(p) : nullptr;
    HWND under = target ? target->control : nullptr;
    if (under != current_) {
        Hide();
        current_ = under;
        enteredAt_ = ::GetTickCount();
        return;
    }
    if (!target || under == cancelled_ || ::IsWindowVisible(hwnd())) return;
    if (::GetTickCount() - enteredAt_ >= kHintPauseTime) Show(*target, p);
}

void ShadowHint::Show(const Target& target, POINT pointer) {
    if (target.text.empty()) return;
    win::WindowDc screen(nullptr);
    int screenWidth = ::GetSystemMetrics(SM_CXSCREEN), screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    RECT text{0, 0, screenWidth, 0};
    {
        win::Selected font(screen.get(), font_.get());
        ::DrawTextA(screen.get(), target.text.c_str(), -1, &text, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    }
    textSize_ = {text.right, text.bottom};
    HintPlacement placement = PlaceHint({pointer.x, pointer.y}, text.right + kHintMarginX, text.bottom + kHintMarginY,
                                        {0, 0, screenWidth, screenHeight}, direction_);
    placed_ = placement.direction;
    const HintBounds& b = placement.bounds;

    // The balloon is not rectangular: it starts as a picture of what lies under it.
    snapshot_.reset(::CreateCompatibleBitmap(screen.get(), b.width(), b.height()));
    {
        win::MemoryDc memory(::CreateCompatibleDC(screen.get()));
        win::Selected selected(memory.get(), snapshot_.get());
        ::BitBlt(memory.get(), 0, 0, b.width(), b.height(), screen.get(), b.left, b.top, SRCCOPY);
    }
    ::SetWindowTextA(hwnd(), target.text.c_str());
    ::SetWindowPos(hwnd(), HWND_TOPMOST, b.left, b.top, b.width(), b.height(), SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ::InvalidateRect(hwnd(), nullptr, FALSE);
    ::UpdateWindow(hwnd());
}

void ShadowHint::Hide() {
    if (::IsWindowVisible(hwnd())) ::ShowWindow(hwnd(), SW_HIDE);
    snapshot_.reset();
}

void ShadowHint::Paint() {
    win::PaintDc paint(hwnd());
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    const int W = rc.right, H = rc.bottom;
    win::BufferedPaint buffer(paint.get(), W, H);
    HDC dc = buffer.dc();
    if (snapshot_) {
        win::MemoryDc source(::CreateCompatibleDC(dc));
        win::Selected selected(source.get(), snapshot_.get());
        ::BitBlt(dc, 0, 0, W, H, source.get(), 0, 0, SRCCOPY);
    }
    const bool below = HangsBelow(placed_), right = PointsRight(placed_);
    const RECT body = below ? RECT{0, 15, W - 6, H - 8} : RECT{0, 0, W - 6, H - 14};

    // The shadow: the parts of a rounded rectangle that stick out right of and below
    // the body, and above the pointer the tail's own shadow.
    {
        win::Region shadow(below ? ::CreateRoundRectRgn(10, 23, W, H - 2, 8, 8)
                                 : ::CreateRoundRectRgn(10, 8, W, H - 9, 8, 8));
        win::Region bodyRegion(::CreateRoundRectRgn(body.left, body.top, body.right, body.bottom, 9, 9));
        ::CombineRgn(shadow.get(), shadow.get(), bodyRegion.get(), RGN_DIFF);
        if (!below) {
            POINT tail[3] = {{12, H - 15}, {25, H - 15}, {12, H}};
            if (!right) {
                tail[0] = {W - 33, H - 15};
                tail[1] = {W - 11, H - 15};
                tail[2] = {W - 6, H};
            }
            win::Region tailShadow(::CreatePolygonRgn(tail, 3, WINDING));
            ::CombineRgn(shadow.get(), shadow.get(), tailShadow.get(), RGN_OR);
        }
        FillCheckerboard(dc, shadow.get(), kHintShadowColor);
    }

    win::Brush fill(::CreateSolidBrush(kHintColor));
    {
        win::Selected brush(dc, fill.get());
        win::Selected pen(dc, ::GetStockObject(BLACK_PEN));
        ::RoundRect(dc, body.left, body.top, body.right, body.bottom, 9, 9);
    }

    // The tail: its base on the body's edge, outlined on its two free sides only.
    const int baseY = below ? 15 : H - 15;
    const int baseLeft = right ? 10 : W - 26;
    const POINT tip = below ? POINT{right ? 0 : W - 6, 0} : POINT{right ? 0 : W - 6, H};
    {
        // Filled one pixel into the body, so the body's outline does not cross the tail.
        const int into = below ? 1 : -1;
        POINT triangle[3] = {{baseLeft, baseY + into}, {baseLeft + 10, baseY + into}, tip};
        win::Selected brush(dc, fill.get());
        win::Selected pen(dc, ::GetStockObject(NULL_PEN));
        ::Polygon(dc, triangle, 3);
    }
    {
        win::Selected pen(dc, ::GetStockObject(BLACK_PEN));
        ::MoveToEx(dc, baseLeft, baseY, nullptr);
        ::LineTo(dc, tip.x, tip.y);
        ::MoveToEx(dc, baseLeft + 10, baseY, nullptr);
        ::LineTo(dc, tip.x, tip.y);
    }

    char text[256] = {};
    ::GetWindowTextA(hwnd(), text, sizeof text);
    win::Selected font(dc, font_.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kHintTextColor);
    const int top = below ? 18 : 3;
    RECT area{8, top, 8 + textSize_.cx, top + textSize_.cy};
    ::DrawTextA(dc, text, -1, &area, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

LRESULT ShadowHint::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == kPollTimer) Poll();
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_DESTROY:
        ::KillTimer(hwnd(), kPollTimer);
        return 0;
    default:
        return DefaultProc(msg, wParam, lParam);
    }
}

}  // namespace widgets
