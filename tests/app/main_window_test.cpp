// The main window as the user meets it: captions, menus, tool buttons, states,
// shortcuts, the clock and the error display, read back from the real windows.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <regex>

#include "documents/batchild.h"
#include "tests/support/gui_harness.h"
#include "win/error_display.h"

namespace {

using app::Element;
using E = Element;
using harness::AppTest;
using harness::WindowText;

TEST_F(AppTest, CaptionSizeAndProgramDir) {
    EXPECT_EQ(WindowText(Main().hwnd()), "Velmora—词库生成系统");
    RECT rc;
    ::GetWindowRect(Main().hwnd(), &rc);
    HDC screen = ::GetDC(nullptr);
    int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(rc.right - rc.left, ::MulDiv(573, dpi, 120));
    EXPECT_EQ(rc.bottom - rc.top, ::MulDiv(447, dpi, 120));
    int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    EXPECT_NEAR(rc.left + (rc.right - rc.left) / 2, screenWidth / 2, 1);

    char path[1024] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string expected(path);
    expected.resize(expected.rfind('\\') + 1);
    EXPECT_EQ(Main().ProgramDir(), expected);
}

TEST_F(AppTest, MenuBarAsTheUserSeesIt) {
    struct Line {
        int depth;
        const char* text;
    };
    const Line expected[] = {
        {0, "&F.文件"},
        {1, "&N.编辑新文件\tCtrl+N"},
        {1, "&O.打开原有文件\tF3"},
        {1, "&S.保存\tF2"},
        {1, "&A.另存为"},
        {1, ""},
        {1, "&Q.退出"},
        {0, "&E.编辑"},
        {1, "&U.恢复\tCtrl+Z"},
        {1, ""},
        {1, "&T.剪切\tCtrl+X"},
        {1, "&C.拷贝\tCtrl+C"},
        {1, "&P.粘贴\tCtrl+V"},
        {1, ""},
        {1, "&F.查找. . .\tCtrl+F"},
        {1, "&R.替换. . . \tCtrl+R"},
        {1, ""},
        {1, "&L.清除"},
        {1, "&A.全部选中"},
        {0, "&T.工具"},
        {1, "&E.词库编辑器"},
        {0, "&W.窗口"},
        {1, "&C.层    叠\tShift+F5"},
        {1, "&H.水平平铺\tShift+F4"},
        {1, "&V.垂直平铺"},
        {1, "&I.排列图标"},
        {1, ""},
        {1, "&A.全部关闭"},
        {1, "&M.全部最小化"},
        {1, "&R.全部恢复"},
        {0, "&C.开始转换"},
        {0, "&H.帮助"},
        {1, "&C.内容"},
        {1, ""},
        {1, "&A.关于..."},
    };
    auto lines = harness::ReadMenuBar(Main().hwnd());
    ASSERT_EQ(lines.size(), std::size(expected));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].depth, expected[i].depth) << i;
        EXPECT_EQ(lines[i].text, expected[i].text) << i;
        EXPECT_EQ(lines[i].separator, *expected[i].text == '\0') << i;
    }
    // The hidden items never show.
    for (const auto& line : lines) {
        EXPECT_EQ(line.text.find("词库优先顺序"), std::string::npos);
        EXPECT_EQ(line.text.find("如何使用帮助"), std::string::npos);
    }
}

TEST_F(AppTest, StartUpWithNoDocumentEnablesOnlyTheAlwaysAvailableCommands) {
    struct ButtonCase {
        Element e;
        const char* caption;
        bool visible, enabled;
    } buttons[] = {
        {E::fileNew, "新建", true, true},  {E::fileOpen, "打开", true, true}, {E::fileSave, "存盘", true, false},
        {E::cutBtn, "剪切", true, false},  {E::copyBtn, "拷贝", true, false}, {E::pasteBtn, "粘贴", true, false},
        {E::findBtn, "查找", true, false}, {E::Replace, "替换", true, false}, {E::BeginTransfer, "生成", true, false},
        {E::LibMan, "编辑", true, true},   {E::adjLib, "设置", false, true},
    };
    for (const auto& b : buttons) {
        HWND h = Button(b.e);
        ASSERT_NE(h, nullptr) << b.caption;
        EXPECT_EQ(harness::ClassName(h), "TRxSpeedButton");
        EXPECT_EQ(WindowText(h), b.caption);
        EXPECT_EQ(::IsWindowVisible(h) != FALSE, b.visible) << b.caption;
        if (b.visible) {
            EXPECT_EQ(::IsWindowEnabled(h) != FALSE, b.enabled) << b.caption;
        }
    }
    for (E e : {E::Save1, E::Cut1, E::Copy1, E::Undo1, E::Paste1, E::Find1, E::Replace1, E::l1, E::A2, E::Transfer,
                E::Cascade1, E::TileH, E::TileV, E::Arrange, E::CloseAll, E::MinAll, E::RestoreAll})
        EXPECT_FALSE(MenuEnabled(e)) << app::FindMenuEntry(e)->name;
    for (E e : {E::New1, E::Open1, E::SaveAs1, E::Exit1, E::S1, E::Contents1, E::About1})
        EXPECT_TRUE(MenuEnabled(e)) << app::FindMenuEntry(e)->name;
}

TEST_F(AppTest, ToolButtonsSitOnTheToolBarAtTheirPlaces) {
    HWND toolBar = Main().ToolBar();
    RECT bar;
    ::GetClientRect(toolBar, &bar);
    int previousRight = 0;
    for (const auto& b : app::ToolButtonTable()) {
        RECT rc;
        ::GetWindowRect(Button(b.element), &rc);
        ::MapWindowPoints(nullptr, toolBar, reinterpret_cast<POINT*>(&rc), 2);
        EXPECT_GE(rc.left, previousRight) << b.name;
        EXPECT_LE(rc.bottom, bar.bottom) << b.name;
        previousRight = rc.right;
    }
}

TEST_F(AppTest, ApplicationErrorDisplayShowsMessageWithFullStop) {
    harness::ModalAnswerer answerer;
    answerer.Press(IDOK);
    win::ShowApplicationError("Cannot open file C:\\LEX\\A.TXT");
    ASSERT_EQ(answerer.Seen().size(), 1u);
    const auto& box = answerer.Seen()[0];
    EXPECT_EQ(box.caption, "词库生成系统");
    EXPECT_EQ(box.text, "Cannot open file C:\\LEX\\A.TXT.");
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(box.icon, ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_HAND)));
    EXPECT_EQ(box.buttons, std::vector<std::string>{"确定"});
}

TEST_F(AppTest, ErrorBoxOfACommandHasNoIcon) {
    harness::ModalAnswerer answerer;
    answerer.Press(IDOK);
    win::ShowErrorBox("无法创建新的进程");
    ASSERT_EQ(answerer.Seen().size(), 1u);
    EXPECT_EQ(answerer.Seen()[0].caption, "错误");
    EXPECT_EQ(answerer.Seen()[0].text, "无法创建新的进程");
    EXPECT_FALSE(answerer.Seen()[0].hasIcon);
}

TEST_F(AppTest, AnErrorRaisedInACommandIsShownAndTheProgramGoesOn) {
    harness::ModalAnswerer answerer;
    answerer.Press(IDOK);
    win::RunReportingErrors([] { throw win::CommandError("Failed to Load Stream"); });
    ASSERT_EQ(answerer.Seen().size(), 1u);
    EXPECT_EQ(answerer.Seen()[0].text, "Failed to Load Stream.");
    EXPECT_TRUE(::IsWindow(Main().hwnd()));
}

TEST_F(AppTest, ShortcutsReachTheMenuAndDisabledItemsSwallowThem) {
    ::SetForegroundWindow(Main().hwnd());
    ::SetFocus(Main().ToolBar());
    Pump(50);
    // Disabled with no document: nothing happens.
    for (UINT vk : {UINT(VK_F2)}) harness::TypeKey(App(), vk);
    harness::TypeKey(App(), VK_F5, false, true);
    EXPECT_TRUE(Main().Documents().empty());

    // Ctrl+N reaches the menu from the main window.
    harness::TypeKey(App(), 'N', true);
    ASSERT_EQ(Main().Documents().size(), 1u);
    auto* doc = Main().ActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Caption(), "NONAME0");

    // From inside the editor too: a disabled Undo swallows Ctrl+Z before the editor sees
    // it, and once there is typing to take back Ctrl+Z reaches the enabled item.
    ::SetFocus(doc->Editor().hwnd());
    EXPECT_FALSE(MenuEnabled(E::Undo1));
    harness::TypeKey(App(), 'Z', true);
    EXPECT_EQ(WindowText(doc->Editor().hwnd()), "");
    harness::TypeKey(App(), 'A');
    EXPECT_EQ(WindowText(doc->Editor().hwnd()), "a");
    EXPECT_TRUE(MenuEnabled(E::Undo1));
    harness::TypeKey(App(), 'Z', true);
    EXPECT_EQ(WindowText(doc->Editor().hwnd()), "");

    // Ctrl+N inside the editor still opens a new document.
    harness::TypeKey(App(), 'N', true);
    EXPECT_EQ(Main().Documents().size(), 2u);
    EXPECT_EQ(Main().ActiveDocument()->Caption(), "NONAME1");
}

TEST_F(AppTest, ClockShowsTheTimeOfDayAndRuns) {
    HWND clock = nullptr;
    for (HWND h = ::GetWindow(::GetParent(Main().StatusBar()), GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        if (harness::ClassName(h) == "TRxClock") clock = h;
    ASSERT_NE(clock, nullptr);
    std::regex format("([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]");
    std::string first = WindowText(clock);
    EXPECT_TRUE(std::regex_match(first, format)) << first;
    // The clock ticks every 450 ms; on a loaded machine give it a few seconds.
    std::string second = first;
    for (int waited = 0; second == first && waited < 5000; waited += 100) {
        Pump(100);
        second = WindowText(clock);
    }
    EXPECT_TRUE(std::regex_match(second, format)) << second;
    EXPECT_NE(first, second);
}

TEST_F(AppTest, ClockTakesTheSystemTimeSeparatorAgainWhenTheSettingsChange) {
    HWND clock = nullptr;
    for (HWND h = ::GetWindow(::GetParent(Main().StatusBar()), GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        if (harness::ClassName(h) == "TRxClock") clock = h;
    ASSERT_NE(clock, nullptr);
    wchar_t original[16] = {};
    ASSERT_GT(::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, original, 16), 0);
    struct Restore {
        const wchar_t* value;
        ~Restore() { ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, value); }
    } restore{original};

    struct Case {
        const wchar_t* separator;
        const char* pattern;
    } cases[] = {
        {L".", "[0-2][0-9]\\.[0-5][0-9]\\.[0-5][0-9]"},
        {L"时", "[0-2][0-9]时[0-5][0-9]时[0-5][0-9]"},
        {original, "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, c.separator));
        // The system tells its top-level windows only.
        ::SendMessageA(Main().hwnd(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("intl"));
        std::string text = WindowText(clock);
        EXPECT_TRUE(std::regex_match(text, std::regex(c.pattern))) << text;
    }
}

// Read from outside, as a screen reader reads it, the bar's text is what the bar shows:
// the caret position, and nothing of the memory around the owner-drawn panel's data.
TEST_F(AppTest, StatusBarWindowTextIsTheCaretPosition) {
    HWND bar = Main().StatusBar();
    char data[64] = {};
    EXPECT_EQ(::SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(data)), 0)
        << "the owner-drawn panel holds no text pointer";
    Main().SetCaretPositionText("12:345");
    wchar_t wide[64] = {};
    EXPECT_EQ(::GetWindowTextW(bar, wide, 64), 6);
    EXPECT_STREQ(wide, L"12:345");
    EXPECT_EQ(::GetWindowTextLengthW(bar), 6);
    char narrow[4] = {};
    EXPECT_EQ(::GetWindowTextA(bar, narrow, 4), 3) << "a short buffer gets what fits";
    EXPECT_STREQ(narrow, "12:");
    Main().SetCaretPositionText("");
    EXPECT_EQ(::GetWindowTextW(bar, wide, 64), 0);
}

TEST_F(AppTest, StatusBarHasThreePanels) {
    int edges[3] = {};
    ASSERT_EQ(::SendMessageA(Main().StatusBar(), SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges)), 3);
    HDC screen = ::GetDC(nullptr);
    int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(edges[0], ::MulDiv(100, dpi, 120));
    EXPECT_EQ(edges[1] - edges[0], ::MulDiv(80, dpi, 120));
    EXPECT_EQ(edges[2] - edges[1], ::MulDiv(50, dpi, 120));
}

}  // namespace
