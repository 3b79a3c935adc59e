#include "widgets/clock.h"

#include <string>

#include "win/gbk.h"
#include "win/handles.h"

namespace widgets {

namespace {
const char* const kClassName = "TRxClock";
const UINT_PTR kTickTimer = 1;
const UINT kTickMilliseconds = 450;

TimeOfDay LocalTimeOfDay() {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    return {st.wHour, st.wMinute, st.wSecond};
}
}  // namespace

Clock::Clock(HWND parent, RECT bounds, HFONT font) : font_(font) {
    RegisterClassOnce(kClassName, 0, nullptr);
    Create(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, bounds.left, bounds.top,
           bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr);
    // A window timer: the ticks are painted on the GUI thread anyway, so a timer thread
    // would only add a hand-over.
    ::SetTimer(hwnd(), kTickTimer, kTickMilliseconds, nullptr);
    ReadTimeFormat();
}

void Clock::ReadTimeFormat() {
    wchar_t separator[16] = {};
    // Read as UTF-16 and drawn as GBK, whatever the system's ANSI code page.
    if (!::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, separator, 16)) separator[0] = L'\0';
    separator_ = win::WideToGbk(separator);
    shown_ = TimeOfDay{-1, -1, -1};
    Show(LocalTimeOfDay());
}

int Clock::CellWidth() const {
    win::WindowDc dc(hwnd());
    win::Selected font(dc.get(), font_);
    SIZE size{};
    ::GetTextExtentPoint32A(dc.get(), "8", 1, &size);
    return size.cx;
}

RECT Clock::CellRect(int cell) const {
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    int width = CellWidth();
    int cells = static_cast<int>(ClockCells(shown_, separator_).size());
    int left = (rc.right - width * cells) / 2 + cell * width;
    return RECT{left, 0, left + width, rc.bottom};
}

void Clock::Show(const TimeOfDay& now) {
    int first = FirstChangedCell(shown_, now, separator_);
    int cells = static_cast<int>(ClockCells(now, separator_).size());
    if (first == cells) return;
    shown_ = now;
    ::SetWindowTextA(hwnd(), ClockText(now, separator_).c_str());
    if (first == 0) {
        ::InvalidateRect(hwnd(), nullptr, FALSE);
        return;
    }
    RECT from = CellRect(first), to = CellRect(cells - 1);
    RECT dirty{from.left, 0, to.right, from.bottom};
    ::InvalidateRect(hwnd(), &dirty, FALSE);
}

void Clock::Paint() {
    win::PaintDc paint(hwnd());
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    win::BufferedPaint buffer(paint.get(), rc.right, rc.bottom);
    HDC dc = buffer.dc();
    ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
    win::Selected font(dc, font_);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    auto cells = ClockCells(shown_, separator_);
    for (int i = 0; i < static_cast<int>(cells.size()); ++i) {
        RECT cell = CellRect(i);
        ::DrawTextA(dc, cells[i].data(), static_cast<int>(cells[i].size()), &cell,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

LRESULT Clock::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == kTickTimer) Show(LocalTimeOfDay());
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTINGCHANGE:
        ReadTimeFormat();
        return 0;
    case WM_DESTROY:
        ::KillTimer(hwnd(), kTickTimer);
        return 0;
    default:
        return DefaultProc(msg, wParam, lParam);
    }
}

}  // namespace widgets
