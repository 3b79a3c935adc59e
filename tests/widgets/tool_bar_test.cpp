// The tool bar's buttons under the real pointer: balloon hints after the pause,
// placed by the table near the screen's edges, and the flat buttons' frames.
#include <windows.h>

#include "tests/support/gui_harness.h"
#include "widgets/shadow_hint.h"

namespace {

using app::Element;
using harness::AppTest;
using harness::WindowText;

class HintTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        ::SetForegroundWindow(Main().hwnd());
        hint_ = harness::FindThreadWindow([](HWND h) { return harness::ClassName(h) == "TNewHint"; });
        ASSERT_NE(hint_, nullptr);
        RestAway();
    }

    // The pointer on a part of the main window that has no hint.
    void RestAway() {
        RECT rc;
        ::GetWindowRect(Main().DocumentArea(), &rc);
        harness::MovePointer(App(), {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
        PumpUntil([&] { return !Shown(); }, 2000);
        Pump(150);  // the hint window sees the pointer away at least once
    }

    static POINT Centre(HWND window) {
        RECT rc;
        ::GetWindowRect(window, &rc);
        return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }

    bool Shown() const { return ::IsWindowVisible(hint_) != FALSE; }

    // Rests the pointer at `p` and waits for the balloon; returns the milliseconds it took.
    int RestUntilShown(POINT p) {
        ::SetCursorPos(p.x, p.y);
        const DWORD start = ::GetTickCount();
        // A stale motion event can put the pointer back: then it is moved again. The
        // time still counts from the first move, which can only make it longer.
        EXPECT_TRUE(PumpUntil(
            [&] {
                POINT at{};
                ::GetCursorPos(&at);
                if (at.x != p.x || at.y != p.y) ::SetCursorPos(p.x, p.y);
                return Shown();
            },
            5000))
            << "no balloon at " << p.x << "," << p.y;
        return static_cast<int>(::GetTickCount() - start);
    }

    HWND hint_ = nullptr;
};

TEST_F(HintTest, RestingOnSaveShowsItsShortHintAfterThePauseAndLeavingHidesIt) {
    Main().New1Click();
    Pump(50);
    HWND save = Button(Element::fileSave);
    ASSERT_TRUE(::IsWindowEnabled(save));
    POINT p = Centre(save);

    int waited = RestUntilShown(p);
    // Counted from the moment the pointer arrived: never earlier than the pause.
    EXPECT_GE(waited, static_cast<int>(widgets::ShadowHint::kHintPauseTime));
    EXPECT_EQ(WindowText(hint_), "保存文件");
    RECT rc;
    ::GetWindowRect(hint_, &rc);
    // Below and to the right of the pointer, the tail's tip 15 pixels under it.
    EXPECT_EQ(rc.left, p.x);
    EXPECT_EQ(rc.top, p.y + 15);
    EXPECT_FALSE(::GetWindowLongA(hint_, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_NE(::GetForegroundWindow(), hint_);

    // Moving within the button keeps it; moving away hides it.
    harness::MovePointer(App(), {p.x + 3, p.y + 2});
    Pump(100);
    EXPECT_TRUE(Shown());
    RestAway();
    EXPECT_FALSE(Shown());
}

TEST_F(HintTest, EachButtonShowsThePartOfItsHintBeforeTheBarAlsoWhenDisabled) {
    struct Case {
        Element button;
        const char* tooltip;
        bool enabled;
    } cases[] = {
        {Element::fileNew, "新建", true},
        {Element::cutBtn, "剪切", false},
        {Element::LibMan, "对已有词库进行编辑", true},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(::IsWindowEnabled(Button(c.button)) != FALSE, c.enabled) << c.tooltip;
        RestUntilShown(Centre(Button(c.button)));
        EXPECT_EQ(WindowText(hint_), c.tooltip);
        RestAway();
    }
}

TEST_F(HintTest, NearTheRightAndBottomEdgesTheBalloonTurnsByTheTable) {
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN), screenH = ::GetSystemMetrics(SM_CYSCREEN);
    HWND save = Button(Element::fileSave);
    RECT window, button;
    ::GetWindowRect(Main().hwnd(), &window);
    ::GetWindowRect(save, &button);
    const POINT inWindow{(button.left + button.right) / 2 - window.left, (button.top + button.bottom) / 2 - window.top};

    struct Case {
        const char* where;
        bool nearRight, nearBottom;
        bool expectRight, expectBelow;
    } cases[] = {
        {"right edge", true, false, false, true},           // hdDownLeft
        {"bottom edge", false, true, true, false},          // hdUpRight
        {"bottom right corner", true, true, false, false},  // hdUpLeft
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        // The save button's centre 10 pixels from the edges named.
        POINT target{c.nearRight ? screenW - 10 : screenW / 2, c.nearBottom ? screenH - 10 : screenH / 2};
        ::SetWindowPos(Main().hwnd(), nullptr, target.x - inWindow.x, target.y - inWindow.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER);
        Pump(50);
        POINT p = Centre(save);
        ASSERT_EQ(p.x, target.x);
        ASSERT_EQ(p.y, target.y);
        RestUntilShown(p);
        RECT rc;
        ::GetWindowRect(hint_, &rc);
        // The tail's tip stays on the pointer's x, under it or over it.
        EXPECT_EQ(c.expectRight ? rc.left : rc.right - 6, p.x);
        EXPECT_EQ(c.expectBelow ? rc.top : rc.bottom, c.expectBelow ? p.y + 15 : p.y - 5);
        EXPECT_LE(rc.right, screenW);
        EXPECT_LE(rc.bottom, screenH);
        RestAway();
    }
}

TEST_F(HintTest, PressingAButtonOrLeavingTheApplicationHidesTheBalloonUntilThePointerLeaves) {
    POINT p = Centre(Button(Element::fileNew));
    RestUntilShown(p);
    harness::ClickAt(App(), p);
    // The press went on to the button.
    EXPECT_TRUE(PumpUntil([&] { return Main().Documents().size() == 1; }, 3000));
    EXPECT_FALSE(Shown());
    // Resting on, the balloon stays away.
    Pump(static_cast<int>(widgets::ShadowHint::kHintPauseTime) + 300);
    EXPECT_FALSE(Shown());

    // After leaving and coming back it shows again; the application losing the
    // activation hides it.
    RestAway();
    RestUntilShown(p);
    ::SendMessageA(Main().hwnd(), WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(Shown());
}

// A menu's own loop goes on dispatching the balloon's timer: resting on a button while
// a drop-down is open must not bring the balloon over the menu. A thread timer, which
// runs inside the menu's loop too, waits for the menu, rests the pointer on the button
// for longer than the pause, notes whether the balloon came and closes the menu.
struct MenuWatch {
    HWND hint;
    POINT p;
    DWORD restedAt = 0;
    bool menuSeen = false, shown = false, done = false;
};
MenuWatch menuWatch;

void CALLBACK PollMenuWatch(HWND, UINT, UINT_PTR, DWORD) {
    MenuWatch& w = menuWatch;
    if (w.done) return;
    if (!w.menuSeen) {
        if (!harness::FindThreadWindow(
                [](HWND h) { return ::IsWindowVisible(h) && harness::ClassName(h) == "#32768"; }))
            return;
        w.menuSeen = true;
        ::SetCursorPos(w.p.x, w.p.y);
        w.restedAt = ::GetTickCount();
        return;
    }
    POINT at{};
    ::GetCursorPos(&at);
    if (at.x != w.p.x || at.y != w.p.y) {  // put back by a stale motion event
        ::SetCursorPos(w.p.x, w.p.y);
        w.restedAt = ::GetTickCount();
        return;
    }
    w.shown = w.shown || ::IsWindowVisible(w.hint);
    if (::GetTickCount() - w.restedAt < widgets::ShadowHint::kHintPauseTime + 600) return;
    w.done = true;
    harness::SendKeys(VK_ESCAPE);
    harness::SendKeys(VK_ESCAPE);
}

TEST_F(HintTest, NoBalloonWhileAMenuIsOpen) {
    // The library-editor button, right of the File drop-down that Alt+F opens.
    const POINT p = Centre(Button(Element::LibMan));
    menuWatch = MenuWatch{hint_, p};
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, PollMenuWatch);
    harness::SendKeys('F', false, false, true);
    EXPECT_TRUE(PumpUntil([] { return menuWatch.done; }, 10000));
    ::KillTimer(nullptr, timer);
    Pump(100);
    EXPECT_TRUE(menuWatch.menuSeen);
    EXPECT_FALSE(menuWatch.shown);
    // With the menu closed, resting there shows it again.
    RestAway();
    RestUntilShown(p);
}

TEST_F(AppTest, FlatButtonFramesUseTheirColours) {
    ::SetForegroundWindow(Main().hwnd());
    Pump(50);
    HWND button = Button(Element::fileNew);
    RECT rc;
    ::GetClientRect(button, &rc);
    auto pixel = [&](int x, int y) {
        HDC dc = ::GetDC(button);
        COLORREF c = ::GetPixel(dc, x, y);
        ::ReleaseDC(button, dc);
        return c;
    };
    struct Case {
        const char* state;
        int topLeft, bottomRight;  // system colour indexes
    } cases[] = {
        {"pressed", COLOR_WINDOWFRAME, COLOR_BTNHIGHLIGHT},
        {"under the pointer", COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW},
    };
    ::SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        ::RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        for (POINT p : {POINT{0, rc.bottom / 2}, POINT{rc.right / 2, 0}})
            EXPECT_EQ(pixel(p.x, p.y), ::GetSysColor(c.topLeft)) << p.x << "," << p.y;
        for (POINT p : {POINT{rc.right - 1, rc.bottom / 2}, POINT{rc.right / 2, rc.bottom - 1}})
            EXPECT_EQ(pixel(p.x, p.y), ::GetSysColor(c.bottomRight)) << p.x << "," << p.y;
        ::ReleaseCapture();  // released without a click: the pointer stays over it
        Pump(20);
    }
    EXPECT_TRUE(Main().Documents().empty());
}

}  // namespace
