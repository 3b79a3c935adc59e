// Arranging, minimising, restoring and closing all document windows at once.
#include <windows.h>

#include "documents/batchild.h"
#include "tests/support/gui_harness.h"

namespace {

using harness::AppTest;

class WindowCommands : public AppTest {
protected:
    void OpenDocuments(int count) {
        for (int i = 0; i < count; ++i) Main().New1Click();
        Pump(30);
    }
    std::vector<HWND> Windows() {
        std::vector<HWND> list;
        for (auto* doc : Main().Documents()) list.push_back(doc->hwnd());
        return list;
    }
};

TEST_F(WindowCommands, MinimiseAllThenRestoreAllLeavesEveryWindowNormal) {
    OpenDocuments(3);
    auto windows = Windows();
    ::ShowWindow(windows[1], SW_MINIMIZE);  // one minimised by hand beforehand
    Pump(30);
    Main().MinAllClick();
    Pump(30);
    for (HWND h : windows) EXPECT_TRUE(::IsIconic(h));
    Main().RestoreAllClick();
    Pump(30);
    for (HWND h : windows) {
        EXPECT_FALSE(::IsIconic(h));
        EXPECT_FALSE(::IsZoomed(h));
    }
    EXPECT_EQ(Main().Documents().size(), 3u);
}

TEST_F(WindowCommands, CloseAllAsksEveryWindowOnceEvenAsTheyGo) {
    OpenDocuments(3);
    Main().CloseAllClick();
    Pump(50);
    EXPECT_TRUE(Main().Documents().empty());
    // With the last document gone, the document commands are disabled again.
    EXPECT_FALSE(MenuEnabled(app::Element::CloseAll));
    EXPECT_FALSE(::IsWindowEnabled(Button(app::Element::fileSave)));
}

TEST_F(WindowCommands, ArrangementCommandsMoveTheWindows) {
    OpenDocuments(2);
    auto windows = Windows();
    RECT before;
    ::GetWindowRect(windows[0], &before);
    Main().TileVClick();
    Pump(30);
    RECT a, b;
    ::GetWindowRect(windows[0], &a);
    ::GetWindowRect(windows[1], &b);
    EXPECT_EQ(a.top, b.top);  // side by side
    EXPECT_NE(a.left, b.left);
    Main().TileHClick();
    Pump(30);
    ::GetWindowRect(windows[0], &a);
    ::GetWindowRect(windows[1], &b);
    EXPECT_EQ(a.left, b.left);  // one above the other
    EXPECT_NE(a.top, b.top);
    Main().Cascade1Click();
    Pump(30);
    ::GetWindowRect(windows[0], &a);
    ::GetWindowRect(windows[1], &b);
    EXPECT_NE(a.left, b.left);
    EXPECT_NE(a.top, b.top);
}

}  // namespace

namespace {

TEST_F(WindowCommands, AboutBoxShowsItsCreditsAndEnterClosesIt) {
    for (int showing = 0; showing < 2; ++showing) {
        harness::ModalAnswerer answerer;
        bool hasCredits = false;
        std::string buttonText;
        answerer.Then([&](HWND box) {
            for (HWND h = ::GetWindow(box, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
                if (harness::ClassName(h) == "TSecretPanel") hasCredits = true;
            buttonText = harness::WindowText(::GetDlgItem(box, IDOK));
            // Enter presses the default button.
            ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
        });
        Main().About1Click();
        ASSERT_EQ(answerer.Seen().size(), 1u);
        EXPECT_EQ(answerer.Seen()[0].caption, "Velmora—词库生成系统");
        EXPECT_TRUE(hasCredits);
        EXPECT_EQ(buttonText, "关  闭");
    }
}

}  // namespace
