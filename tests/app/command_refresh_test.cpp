// When the command states are refreshed: only when one of the program's own windows
// takes the focus. Coming back from the find dialog, a message box or another
// program leaves the states as the key presses and selection changes set them.
#include <windows.h>
#include <richedit.h>

#include <functional>

#include "documents/batchild.h"
#include "tests/support/gui_harness.h"

namespace {

using app::Element;
using E = Element;
using harness::AppTest;

class RefreshTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        ::SetForegroundWindow(Main().hwnd());
        Pump(50);
    }

    documents::TMdiChild* NewDocument(const char* text) {
        Main().New1Click();
        Pump(50);
        auto* doc = Main().ActiveDocument();
        EXPECT_NE(doc, nullptr);
        ::SendMessageA(doc->Editor().hwnd(), EM_SETSEL, 0, 0);
        ::SendMessageA(doc->Editor().hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
        Pump(20);
        return doc;
    }

    // A real left click at a screen point of the main window, which it activates.
    void ClickAt(POINT p) {
        harness::ClickAt(App(), p);
        EXPECT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == Main().hwnd(); }, 3000));
        Pump(100);
    }

    // Opens the find dialog with Ctrl+F and moves it below the main window, so that
    // clicking back does not hit it.
    HWND OpenFind() {
        harness::TypeKey(App(), 'F', true);
        Pump(100);
        HWND dialog = nullptr;
        PumpUntil(
            [&] {
                dialog = harness::FindThreadWindow([](HWND h) {
                    return ::IsWindowVisible(h) && harness::ClassName(h) == "#32770" &&
                           harness::WindowText(h) == "查找";
                });
                return dialog && ::GetActiveWindow() == dialog;
            },
            3000);
        EXPECT_NE(dialog, nullptr);
        RECT main;
        ::GetWindowRect(Main().hwnd(), &main);
        ::SetWindowPos(dialog, nullptr, 0, main.bottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Pump(50);
        EXPECT_EQ(::GetActiveWindow(), dialog);
        return dialog;
    }

    // Cancel closes the dialog; the main window is active again, which counts for nothing.
    void CloseFind(HWND dialog) {
        ::SendMessageA(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        Pump(100);
    }

    POINT EditorPoint(documents::TMdiChild& doc) {
        RECT rc;
        ::GetWindowRect(doc.Editor().hwnd(), &rc);
        return {rc.left + 40, rc.top + 10};
    }

    // The empty end of the tool bar, right of the last button.
    POINT ToolBarPoint() {
        RECT bar;
        ::GetWindowRect(Main().ToolBar(), &bar);
        return {bar.right - 15, (bar.top + bar.bottom) / 2};
    }

    bool ButtonEnabled(Element e) { return ::IsWindowEnabled(Button(e)) != FALSE; }
};

TEST_F(RefreshTest, UndoStaysOfferedForTypingAfterEveryExcursion) {
    auto* doc = NewDocument("");
    auto* other = NewDocument("");
    ::SendMessageA(Main().DocumentArea(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(doc->hwnd()), 0);
    Pump(50);
    ::SetFocus(doc->Editor().hwnd());

    struct Excursion {
        const char* name;
        std::function<void()> goAndComeBack;
    } excursions[] = {
        {"the find dialog",
         [&] {
             HWND find = OpenFind();
             ClickAt(EditorPoint(*doc));
             CloseFind(find);
         }},
        {"the find dialog's not-found box",
         [&] {
             HWND find = OpenFind();
             ::SetDlgItemTextA(find, 0x480, "不在文中");
             harness::ModalAnswerer answerer;
             answerer.Press(IDOK);
             ::SendMessageA(::GetDlgItem(find, IDOK), BM_CLICK, 0, 0);
             Pump(100);
             EXPECT_EQ(answerer.Seen().size(), 1u);
             ClickAt(EditorPoint(*doc));
             CloseFind(find);
         }},
        {"the about box",
         [&] {
             harness::ModalAnswerer answerer;
             answerer.Press(IDOK);
             Main().About1Click();
             Pump(100);
             EXPECT_EQ(answerer.Seen().size(), 1u);
         }},
        {"another document window",
         [&] {
             ::SendMessageA(Main().DocumentArea(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(other->hwnd()), 0);
             Pump(50);
             ::SendMessageA(Main().DocumentArea(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(doc->hwnd()), 0);
             Pump(50);
         }},
    };
    for (const auto& x : excursions) {
        SCOPED_TRACE(x.name);
        ::SetFocus(doc->Editor().hwnd());
        // Typing is offered for undo at once, and still after the excursion.
        harness::TypeKey(App(), 'A');
        harness::TypeKey(App(), 'B');
        ASSERT_TRUE(doc->IsModified());
        ASSERT_TRUE(MenuEnabled(E::Undo1));
        x.goAndComeBack();
        EXPECT_EQ(Main().ActiveDocument(), doc);
        EXPECT_TRUE(MenuEnabled(E::Undo1));
    }
}

TEST_F(RefreshTest, CutAndCopyKeepTheLastSelectionChangeUntilARefresh) {
    auto* selected = NewDocument("abcdef");
    auto* active = NewDocument("ghijkl");
    ::SendMessageA(active->Editor().hwnd(), EM_SETSEL, 2, 2);
    // A selection made in the other document's editor sets all four.
    ::SendMessageA(selected->Editor().hwnd(), EM_SETSEL, 0, 4);
    Pump(50);
    ASSERT_EQ(Main().ActiveDocument(), active);

    struct States {
        bool cut1, copy1, cutBtn, copyBtn;
    };
    auto read = [&] {
        return States{MenuEnabled(E::Cut1), MenuEnabled(E::Copy1), ButtonEnabled(E::cutBtn), ButtonEnabled(E::copyBtn)};
    };
    auto expect = [&](States want) {
        States got = read();
        EXPECT_EQ(got.cut1, want.cut1);
        EXPECT_EQ(got.copy1, want.copy1);
        EXPECT_EQ(got.cutBtn, want.cutBtn);
        EXPECT_EQ(got.copyBtn, want.copyBtn);
    };
    expect({true, true, true, true});

    {
        SCOPED_TRACE("back from the find dialog");
        OpenFind();
        ClickAt(ToolBarPoint());
        EXPECT_EQ(::GetActiveWindow(), Main().hwnd());
        expect({true, true, true, true});
    }
    {
        SCOPED_TRACE("a document window becomes active");
        // The refresh sets Cut1 from the active editor's selection and leaves Copy1 and
        // the buttons as the last selection change set them.
        ::SendMessageA(Main().DocumentArea(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(selected->hwnd()), 0);
        Pump(50);
        ::SendMessageA(Main().DocumentArea(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(active->hwnd()), 0);
        Pump(50);
        expect({false, true, true, true});
    }
    {
        SCOPED_TRACE("clicking into the editor changes its selection");
        OpenFind();
        ClickAt(EditorPoint(*active));
        PumpUntil([&] { return !MenuEnabled(E::Copy1); }, 2000);
        expect({false, false, false, false});
    }
}

}  // namespace
