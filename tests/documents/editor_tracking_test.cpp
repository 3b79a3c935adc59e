// Line and column in the status bar, cut and copy following the selection, and the
// editing commands, driven by real keys in a real document window.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <string>

#include "documents/batchild.h"
#include "tests/support/gui_harness.h"

namespace {

using app::Element;
using E = Element;

class EditorTracking : public harness::AppTest {
protected:
    documents::TMdiChild& NewDocument() {
        Main().New1Click();
        Pump(30);
        auto* doc = Main().ActiveDocument();
        ::SetForegroundWindow(Main().hwnd());
        ::SetFocus(doc->Editor().hwnd());
        Pump(20);
        return *doc;
    }
    std::string Status() {
        char text[64] = {};
        ::SendMessageA(Main().StatusBar(), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
        return text;
    }
    void Key(UINT vk, bool ctrl = false, bool shift = false) { harness::TypeKey(App(), vk, ctrl, shift); }
    void Chinese(documents::TMdiChild& doc, wchar_t c) {
        ::SendMessageW(doc.Editor().hwnd(), WM_UNICHAR, c, 0);
        Pump(20);
    }
    bool CutCopyEnabled(bool expected) {
        bool all = true;
        for (E e : {E::Cut1, E::Copy1}) all &= MenuEnabled(e) == expected;
        for (E e : {E::cutBtn, E::copyBtn}) all &= (::IsWindowEnabled(Button(e)) != FALSE) == expected;
        return all;
    }
};

TEST_F(EditorTracking, LineAndColumnOfTheSelectionStart) {
    auto& doc = NewDocument();
    Key('A');
    Key(VK_HOME);
    EXPECT_EQ(Status(), "1:1");
    Key(VK_END);
    Key('B');
    Key('C');
    EXPECT_EQ(Status(), "1:4");  // three letters
    Key(VK_RETURN);
    EXPECT_EQ(Status(), "2:1");  // Enter at the end of line 1
    Chinese(doc, L'中');
    Chinese(doc, L'文');
    EXPECT_EQ(Status(), "2:5");  // two Chinese characters advance the column by 4
    Key(VK_BACK);
    EXPECT_EQ(Status(), "2:3");
    Key(VK_BACK);
    Key(VK_BACK);  // over the line break
    EXPECT_EQ(Status(), "1:4");
    // Forward selection keeps the display at its start; backward moves it.
    Key(VK_HOME);
    Key(VK_RIGHT, false, true);
    Key(VK_RIGHT, false, true);
    EXPECT_EQ(Status(), "1:1");
    Key(VK_END);
    Key(VK_LEFT, false, true);
    EXPECT_EQ(Status(), "1:3");
}

TEST_F(EditorTracking, LongDocumentEndToStartAndATextMadeShorter) {
    auto& doc = NewDocument();
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "第" + std::to_string(i) + "行=line\r\n";
    doc.Editor().ReplaceSelection(text, false);
    Pump(20);
    EXPECT_EQ(Status(), "3001:1");
    Key(VK_HOME, true);
    EXPECT_EQ(Status(), "1:1");
    Key(VK_END, true);
    EXPECT_EQ(Status(), "3001:1");
    // Select all and type: the text behind the old caret is gone.
    Main().A2Click();
    Key('X');
    EXPECT_EQ(Status(), "1:2");
}

TEST_F(EditorTracking, CutAndCopyFollowTheSelectionOnMenuAndToolBar) {
    auto& doc = NewDocument();
    Main().A2Click();  // an empty document: nothing to select
    Pump(20);
    EXPECT_TRUE(CutCopyEnabled(false));
    Key('A');
    Key('B');
    Key(VK_LEFT, false, true);
    EXPECT_TRUE(CutCopyEnabled(true));
    Key(VK_RIGHT);
    EXPECT_TRUE(CutCopyEnabled(false));
    // Ctrl+X goes through the menu: the selection is cut.
    Key(VK_LEFT, false, true);
    Key('X', true);
    EXPECT_EQ(harness::WindowText(doc.Editor().hwnd()), "a");
    EXPECT_TRUE(CutCopyEnabled(false));
}

TEST_F(EditorTracking, UndoFollowsTheRefreshAndTheKeyPressRule) {
    auto& first = NewDocument();
    Key('Z', true);  // unchanged text: nothing to undo, the key does nothing
    EXPECT_EQ(harness::WindowText(first.Editor().hwnd()), "");
    Key('A');
    EXPECT_FALSE(MenuEnabled(E::Undo1));  // refreshed while the text was unchanged
    Key('Z', true);                       // disabled Undo swallows Ctrl+Z
    EXPECT_EQ(harness::WindowText(first.Editor().hwnd()), "a");
    NewDocument();
    ::SendMessageA(Main().DocumentArea(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first.hwnd()), 0);
    Pump(30);
    EXPECT_TRUE(MenuEnabled(E::Undo1));  // the refresh finds the text modified
    ::SetFocus(first.Editor().hwnd());
    Key('B');  // a character into a modified text disables Undo
    EXPECT_FALSE(MenuEnabled(E::Undo1));
}

TEST_F(EditorTracking, ClearEmptiesTheWholeTextAndCopyPasteUsesTheClipboard) {
    auto& first = NewDocument();
    first.Editor().ReplaceSelection("词库 one two", true);
    Main().A2Click();
    Main().Copy1Click();
    auto& second = NewDocument();
    second.Editor().ReplaceSelection("[]", true);
    second.Editor().SetSelection(1);
    Main().Paste1Click();
    Pump(20);
    EXPECT_EQ(harness::WindowText(second.Editor().hwnd()), "[词库 one two]");

    ::SendMessageA(Main().DocumentArea(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first.hwnd()), 0);
    Pump(20);
    first.Editor().SetSelection(7, 3);  // a selected word
    Main().l1Click();
    Pump(20);
    EXPECT_EQ(harness::WindowText(first.Editor().hwnd()), "");
    EXPECT_TRUE(first.IsModified());
    EXPECT_EQ(Status(), "1:1");
    EXPECT_TRUE(CutCopyEnabled(false));
}

}  // namespace
