// The document window as the user meets it: its editor and message pane, the bar
// between them, the close query, the modified flag and the text positions.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include "documents/document_rules.h"
#include "tests/documents/document_fixture.h"
#include "win/dpi.h"

namespace {

using app::Element;
using doctest::DocumentTest;
using harness::ModalAnswerer;
using harness::WindowText;

LONG Style(HWND hwnd) { return ::GetWindowLongA(hwnd, GWL_STYLE); }

RECT RectIn(HWND child, HWND parent) {
    RECT rc;
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

TEST_F(DocumentTest, EditorSettings) {
    auto* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    HWND editor = doc->Editor().hwnd();
    EXPECT_EQ(harness::ClassName(editor), "RICHEDIT");
    EXPECT_EQ(::SendMessageA(editor, EM_GETLIMITTEXT, 0, 0), 655360);
    LONG style = Style(editor);
    EXPECT_TRUE(style & ES_AUTOHSCROLL);  // no word wrap
    EXPECT_TRUE(style & ES_CENTER);
    EXPECT_TRUE(style & ES_NOHIDESEL);
    EXPECT_FALSE(style & WS_TABSTOP);
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    ::SendMessageA(editor, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    EXPECT_STREQ(format.szFaceName, "MS Sans Serif");
    // 17 pixels at 120 dpi, in twips on this screen.
    EXPECT_NEAR(format.yHeight, ::MulDiv(win::Scale(17), 1440, win::ScreenDpi()), 20);
    EXPECT_FALSE(format.dwEffects & CFE_BOLD);
    EXPECT_TRUE((format.dwEffects & CFE_AUTOCOLOR) || format.crTextColor == RGB(0, 0, 0));
    // New: rich-text mode, empty, unmodified, tracker at 0.
    EXPECT_EQ(doc->Editor().Mode(), documents::TextMode::Rich);
    EXPECT_EQ(doc->Editor().TextLength(), 0);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->LastSelStart, 0);
    EXPECT_EQ(doc->CaretLine, 0);
    EXPECT_EQ(doc->CaretColumn, 0);

    // Lines longer and more than the window holds: both scroll bars, no wrapping.
    std::string text;
    for (int i = 0; i < 60; ++i) text += std::string(400, 'w') + "\r\n";
    doc->Editor().ReplaceSelection(text, false);
    Pump();
    EXPECT_TRUE(Style(editor) & WS_HSCROLL);
    EXPECT_TRUE(Style(editor) & WS_VSCROLL);
    EXPECT_EQ(::SendMessageA(editor, EM_GETLINECOUNT, 0, 0), 61);
}

TEST_F(DocumentTest, MessagePaneIsHiddenUntilShownAndTheBarSitsAtTheBottom) {
    auto* doc = NewDocument();
    HWND pane = doc->ErrorList().hwnd();
    EXPECT_FALSE(Style(pane) & WS_VISIBLE);
    EXPECT_EQ(Style(pane) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(Style(pane) & LVS_NOCOLUMNHEADER);
    EXPECT_FALSE(Style(pane) & LVS_EDITLABELS);
    RECT client;
    ::GetClientRect(doc->hwnd(), &client);
    RECT bar = RectIn(doc->RxSplitter1(), doc->hwnd());
    RECT editor = RectIn(doc->Editor().hwnd(), doc->hwnd());
    EXPECT_EQ(bar.bottom - bar.top, win::Scale(2));
    // While the pane is hidden the editor reaches down to the bar, the bar to the bottom.
    EXPECT_EQ(bar.bottom, client.bottom);
    EXPECT_EQ(editor.bottom, bar.top);
    EXPECT_EQ(editor.top, 0);

    doc->ShowErrorList();
    Pump();
    EXPECT_TRUE(Style(pane) & WS_VISIBLE);
    RECT paneRect = RectIn(pane, doc->hwnd());
    bar = RectIn(doc->RxSplitter1(), doc->hwnd());
    editor = RectIn(doc->Editor().hwnd(), doc->hwnd());
    EXPECT_EQ(paneRect.bottom, client.bottom);
    EXPECT_EQ(paneRect.bottom - paneRect.top, win::Scale(71));
    EXPECT_EQ(bar.bottom, paneRect.top);
    EXPECT_EQ(editor.bottom, bar.top);
}

class SplitterTest : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        doc_ = NewDocument();
        // A roomy window, so the limits are far from the pane.
        ::MoveWindow(doc_->hwnd(), 0, 0, 500, 400, TRUE);
        doc_->ShowErrorList();
        Pump();
    }
    HWND Bar() { return doc_->RxSplitter1(); }
    int BarTop() { return RectIn(Bar(), doc_->hwnd()).top; }
    int ClientHeight() {
        RECT rc;
        ::GetClientRect(doc_->hwnd(), &rc);
        return rc.bottom;
    }
    // Mouse messages as the bar receives them, in its own client coordinates.
    void Mouse(UINT msg, int parentY) {
        POINT p{10, parentY};
        ::MapWindowPoints(doc_->hwnd(), Bar(), &p, 1);
        ::SendMessageA(Bar(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(p.x, p.y));
    }
    documents::TMdiChild* doc_ = nullptr;
};

TEST_F(SplitterTest, DraggingUpMakesThePaneTallerAndDownShorter) {
    int pane = doc_->ErrorListHeight();
    int top = BarTop();
    Mouse(WM_LBUTTONDOWN, top);
    Mouse(WM_MOUSEMOVE, top - 30);
    Mouse(WM_MOUSEMOVE, top - 50);
    Mouse(WM_LBUTTONUP, top - 50);
    Pump();
    EXPECT_EQ(doc_->ErrorListHeight(), pane + 50);
    EXPECT_EQ(
        RectIn(doc_->ErrorList().hwnd(), doc_->hwnd()).top - RectIn(doc_->ErrorList().hwnd(), doc_->hwnd()).bottom,
        -(pane + 50));
    EXPECT_EQ(BarTop(), top - 50);
    EXPECT_EQ(RectIn(doc_->Editor().hwnd(), doc_->hwnd()).bottom, top - 50);

    top = BarTop();
    Mouse(WM_LBUTTONDOWN, top);
    Mouse(WM_LBUTTONUP, top + 20);
    Pump();
    EXPECT_EQ(doc_->ErrorListHeight(), pane + 30);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(SplitterTest, TheBarStopsTwentyPixelsFromTheTopAndTheBottom) {
    int pane = doc_->ErrorListHeight();
    int top = BarTop();
    Mouse(WM_LBUTTONDOWN, top);
    Mouse(WM_LBUTTONUP, 3);  // beyond the top limit
    Pump();
    EXPECT_EQ(BarTop(), 20);
    EXPECT_EQ(doc_->ErrorListHeight(), pane + (top - 20));

    top = BarTop();
    Mouse(WM_LBUTTONDOWN, top);
    Mouse(WM_LBUTTONUP, ClientHeight() + 50);  // beyond the bottom limit
    Pump();
    EXPECT_EQ(BarTop(), ClientHeight() - 20);
}

TEST_F(SplitterTest, EscapeCancelsTheDrag) {
    int pane = doc_->ErrorListHeight();
    int top = BarTop();
    HWND focus = ::GetFocus();
    Mouse(WM_LBUTTONDOWN, top);
    Mouse(WM_MOUSEMOVE, top - 40);
    EXPECT_EQ(::GetCapture(), Bar());
    ::SendMessageA(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    Mouse(WM_LBUTTONUP, top - 40);  // the release after Escape changes nothing
    Pump();
    EXPECT_EQ(doc_->ErrorListHeight(), pane);
    EXPECT_EQ(BarTop(), top);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(::GetFocus(), focus);
}

// ---- close query --------------------------------------------------------------

TEST_F(DocumentTest, AnUnmodifiedWindowClosesWithoutAPrompt) {
    NewDocument();
    ModalAnswerer answerer;  // fails on any box
    ::SendMessageA(Main().ActiveDocument()->hwnd(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_TRUE(Main().Documents().empty());
    EXPECT_TRUE(answerer.Seen().empty());
}

TEST_F(DocumentTest, ClosePromptForAModifiedWindowShowsThePathVerbatim) {
    auto* doc = NewDocument();
    doc->SetFilePath("C:\\LEX\\A.TXT");
    doc->Editor().ReplaceSelection("词库", false);
    ModalAnswerer answerer;
    answerer.Press(IDCANCEL);
    ::SendMessageA(doc->hwnd(), WM_CLOSE, 0, 0);
    Pump();
    ASSERT_EQ(answerer.Seen().size(), 1u);
    const auto& box = answerer.Seen()[0];
    EXPECT_EQ(box.caption, "文件尚未存盘");
    EXPECT_EQ(box.text, "文件：C:\\LEX\\A.TXT尚未存盘，要保存吗？");
    EXPECT_EQ(box.buttons, (std::vector<std::string>{"是(&Y)", "否(&N)", "取消"}));
    EXPECT_FALSE(box.hasIcon);
    // Cancel: the window stays, unchanged.
    ASSERT_EQ(Main().Documents().size(), 1u);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->Editor().Text(), "词库");
}

TEST_F(DocumentTest, YesSavesNoDiscardsCancelKeeps) {
    struct Case {
        int answer;
        bool closed;
        bool written;
    } cases[] = {{IDYES, true, true}, {IDNO, true, false}, {IDCANCEL, false, false}};
    int n = 0;
    for (const auto& c : cases) {
        auto* doc = NewDocument();
        std::string path = folder_ / ("answer" + std::to_string(n++) + ".TXT");
        doc->SetFilePath(path);
        doc->Editor().SetMode(documents::TextMode::Plain);
        doc->Editor().ReplaceSelection("第一行\r\nline 2", false);
        ModalAnswerer answerer;
        answerer.Press(c.answer);
        ::SendMessageA(doc->hwnd(), WM_CLOSE, 0, 0);
        Pump();
        EXPECT_EQ(answerer.Seen().size(), 1u) << c.answer;
        bool open = false;
        for (auto* d : Main().Documents()) open |= d == doc;
        EXPECT_EQ(!open, c.closed) << c.answer;
        EXPECT_EQ(doctest::FileExists(path), c.written) << c.answer;
        if (c.written) {
            EXPECT_EQ(doctest::ReadBytes(path), "第一行\r\nline 2");
        }
        if (open) {
            EXPECT_TRUE(doc->IsModified());
        }
    }
}

TEST_F(DocumentTest, YesOnANeverSavedDocumentOpensTheSaveDialog) {
    auto* doc = NewDocument();
    doc->Editor().ReplaceSelection("未存盘的文字", false);
    std::string path = folder_ / "chosen.rtf";
    doctest::FileDialogState dialog;
    ModalAnswerer answerer;
    answerer.Press(IDYES).Then(doctest::ReadFileDialog(dialog, doctest::ChooseFile(path)));
    ::SendMessageA(doc->hwnd(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(answerer.Seen().size(), 2u);
    EXPECT_EQ(dialog.caption, "另存为");
    EXPECT_TRUE(Main().Documents().empty());
    std::string saved = doctest::ReadBytes(path);
    EXPECT_EQ(saved.rfind("{\\rtf", 0), 0u) << saved;  // a new document is in rich-text mode
    EXPECT_FALSE(doctest::FileExists("NONAME0"));
}

TEST_F(DocumentTest, CancellingTheSaveDialogOfTheCloseQueryCancelsTheClose) {
    auto* doc = NewDocument();
    doc->Editor().ReplaceSelection("x", false);
    ModalAnswerer answerer;
    answerer.Press(IDYES).Then(doctest::CancelDialog());
    ::SendMessageA(doc->hwnd(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(answerer.Seen().size(), 2u);
    ASSERT_EQ(Main().Documents().size(), 1u);
    EXPECT_EQ(doc->Caption(), "NONAME0");
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(DocumentTest, AFailedSaveInTheCloseQueryIsShownAndKeepsTheWindow) {
    auto* doc = NewDocument();
    std::string path = folder_ / "no such folder\\A.TXT";
    doc->SetFilePath(path);
    doc->Editor().ReplaceSelection("x", false);
    ModalAnswerer answerer;
    answerer.Press(IDYES).Press(IDOK);
    ::SendMessageA(doc->hwnd(), WM_CLOSE, 0, 0);
    Pump();
    ASSERT_EQ(answerer.Seen().size(), 2u);
    EXPECT_EQ(answerer.Seen()[1].caption, "词库生成系统");
    EXPECT_EQ(answerer.Seen()[1].text, "Cannot create file " + path + ".\n文件：" + path + "\n原因：文件夹不存在。");
    ASSERT_EQ(Main().Documents().size(), 1u);
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(DocumentTest, ClosingTheMainWindowAsksMostRecentFirstAndStopsAtTheFirstRefusal) {
    std::vector<documents::TMdiChild*> docs;
    for (const char* name : {"first.TXT", "second.TXT", "third.TXT"}) {
        auto* doc = NewDocument();
        doc->SetFilePath(folder_ / name);
        doc->Editor().SetMode(documents::TextMode::Plain);
        doc->Editor().ReplaceSelection(name, false);
        docs.push_back(doc);
    }
    // third.TXT was activated last, then second, then first.
    ModalAnswerer answerer;
    answerer.Press(IDYES).Press(IDCANCEL);
    ::SendMessageA(Main().hwnd(), WM_CLOSE, 0, 0);
    Pump();
    ASSERT_TRUE(::IsWindow(Main().hwnd()));
    ASSERT_EQ(answerer.Seen().size(), 2u);  // the third window asked is not asked
    EXPECT_EQ(answerer.Seen()[0].text, documents::CloseQueryPrompt(folder_ / "third.TXT"));
    EXPECT_EQ(answerer.Seen()[1].text, documents::CloseQueryPrompt(folder_ / "second.TXT"));
    EXPECT_EQ(Main().Documents().size(), 3u);
    // The first answer keeps its effect: saved, and still marked modified.
    EXPECT_EQ(doctest::ReadBytes(folder_ / "third.TXT"), "third.TXT");
    EXPECT_TRUE(docs[2]->IsModified());
    EXPECT_FALSE(doctest::FileExists(folder_ / "second.TXT"));
    EXPECT_FALSE(doctest::FileExists(folder_ / "first.TXT"));
}

TEST_F(DocumentTest, ClosingTheMainWindowWhenAllAgreeEndsTheApplication) {
    auto* a = NewDocument();
    a->Editor().ReplaceSelection("a", false);
    NewDocument();  // unmodified: not asked
    ModalAnswerer answerer;
    answerer.Press(IDNO);
    ::SendMessageA(Main().hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(answerer.Seen().size(), 1u);
    EXPECT_FALSE(::IsWindow(Main().hwnd()));
}

// A document that came from a file is saved in place, whatever its path spells; only
// a window made by New, with no file yet, goes through the save dialog.
TEST_F(DocumentTest, AFileWhosePathSpellsNonameIsSavedInPlaceOnYes) {
    ::CreateDirectoryA((folder_ / "NONAME").c_str(), nullptr);
    for (const char* name : {"NONAME\\A.TXT", "XNONAMEX.TXT"}) {
        std::string path = folder_ / name;
        doctest::WriteBytes(path, "old");
        ModalAnswerer opening;
        auto* doc = OpenThroughDialog(opening, path, 1);
        ASSERT_EQ(doc->Caption(), path);
        doc->Editor().ReplaceSelection("新的", false);
        ModalAnswerer answerer;  // fails on any box but the prompt
        answerer.Press(IDYES);
        ::SendMessageA(doc->hwnd(), WM_CLOSE, 0, 0);
        Pump();
        EXPECT_EQ(answerer.Seen().size(), 1u) << name;
        EXPECT_EQ(doctest::ReadBytes(path), "新的old") << name;
        EXPECT_TRUE(Main().Documents().empty()) << name;
    }

    // A New document that Save As put into that folder has a file from then on.
    auto* doc = NewDocument();
    std::string path = folder_ / "NONAME\\B.TXT";
    doc->Editor().SetMode(documents::TextMode::Plain);
    doc->Editor().ReplaceSelection("one", false);
    {
        ModalAnswerer answerer;
        answerer.Then(doctest::ChooseFile(path));
        Run(app::Command::SaveAs);
        Pump();
    }
    EXPECT_FALSE(doc->IsNeverSaved());
    doc->Editor().ReplaceSelection(" two", false);
    ModalAnswerer answerer;
    answerer.Press(IDYES);
    ::SendMessageA(Main().hwnd(), WM_CLOSE, 0, 0);  // Exit asks the same way
    EXPECT_EQ(answerer.Seen().size(), 1u);
    EXPECT_EQ(doctest::ReadBytes(path), "one two");
    EXPECT_FALSE(::IsWindow(Main().hwnd()));
}

TEST_F(DocumentTest, AnExitCancelledAfterYesOnANeverSavedDocumentLeavesItUnsavedToTheEye) {
    auto* named = NewDocument();
    named->SetFilePath(folder_ / "named.TXT");
    named->Editor().ReplaceSelection("named", false);
    auto* fresh = NewDocument();  // NONAME1, asked first
    fresh->Editor().ReplaceSelection("未存盘", false);
    std::string copy = folder_ / "copy.rtf";
    ModalAnswerer answerer;
    answerer.Press(IDYES).Then(doctest::ChooseFile(copy)).Press(IDCANCEL);
    ::SendMessageA(Main().hwnd(), WM_CLOSE, 0, 0);
    Pump();
    ASSERT_TRUE(::IsWindow(Main().hwnd()));
    ASSERT_EQ(answerer.Seen().size(), 3u);
    EXPECT_EQ(answerer.Seen()[2].text, documents::CloseQueryPrompt(folder_ / "named.TXT"));
    // The text went where the user said, and the answer keeps that effect ...
    EXPECT_EQ(doctest::ReadBytes(copy).rfind("{\\rtf", 0), 0u);
    // ... but nothing about the window says it is saved: no new caption, still modified,
    // and still without a file of its own.
    ASSERT_EQ(Main().Documents().size(), 2u);
    EXPECT_EQ(fresh->Caption(), "NONAME1");
    EXPECT_TRUE(fresh->IsModified());
    EXPECT_TRUE(fresh->IsNeverSaved());
    EXPECT_TRUE(named->IsModified());
    EXPECT_FALSE(doctest::FileExists(folder_ / "named.TXT"));
}

// Close all: a refusal leaves that window open and the others are still asked; a save
// that fails ends the command there.
TEST_F(DocumentTest, CloseAllGoesOnAfterACancelButEndsAtAFailedSave) {
    struct Case {
        const char* name;
        std::vector<int> answers;  // to the boxes in the order they come
        std::size_t left;          // document windows left open
    } cases[] = {
        {"cancel, then no and no", {IDCANCEL, IDNO, IDNO}, 1},
        {"yes, the save fails: the error, and nothing more", {IDYES, IDOK}, 3},
    };
    for (const auto& c : cases) {
        std::vector<documents::TMdiChild*> docs;
        for (const char* name : {"a.TXT", "b.TXT", "no such folder\\c.TXT"}) {
            auto* doc = NewDocument();
            doc->SetFilePath(folder_ / name);
            doc->Editor().ReplaceSelection(name, false);
            docs.push_back(doc);
        }
        ModalAnswerer answerer;
        for (int answer : c.answers) answerer.Press(answer);
        Run(app::Command::CloseAll);
        Pump();
        ASSERT_EQ(answerer.Seen().size(), c.answers.size()) << c.name;
        EXPECT_EQ(answerer.Seen()[0].text, documents::CloseQueryPrompt(folder_ / "no such folder\\c.TXT")) << c.name;
        EXPECT_EQ(answerer.Seen()[1].caption, c.left == 3 ? "词库生成系统" : "文件尚未存盘") << c.name;
        EXPECT_EQ(Main().Documents().size(), c.left) << c.name;
        EXPECT_EQ(Main().Documents()[0], docs[2]) << c.name;
        EXPECT_FALSE(doctest::FileExists(folder_ / "a.TXT")) << c.name;
        EXPECT_FALSE(doctest::FileExists(folder_ / "b.TXT")) << c.name;
        for (auto* doc : Main().Documents()) {
            EXPECT_TRUE(doc->IsModified()) << c.name;
            doc->Editor().SetModified(false);
        }
        Run(app::Command::CloseAll);
        Pump();
    }
}

// ---- focus -------------------------------------------------------------------------

// A document window activated again gives the focus back to the control that had it:
// the message pane after a click into it, the editor after a click there; coming back
// from a modal box, too.
TEST_F(DocumentTest, AWindowActivatedAgainGivesTheFocusBackWhereItWas) {
    auto* other = NewDocument();
    auto* doc = NewDocument();
    doc->ErrorList().SetLines({"temp.trs(1): 警告 W201", "完成"});
    doc->ShowErrorList();
    ::SetForegroundWindow(Main().hwnd());
    Pump(50);
    auto activate = [&](documents::TMdiChild* d) {
        ::SendMessageA(Main().DocumentArea(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(d->hwnd()), 0);
        Pump(30);
        EXPECT_EQ(Main().ActiveDocument(), d);
    };
    auto clickInto = [&](HWND control) {
        RECT rc;
        ::GetWindowRect(control, &rc);
        harness::ClickAt(App(), {rc.left + 12, rc.top + 8});
        PumpUntil([&] { return ::GetFocus() == control; }, 1000);
        ASSERT_EQ(::GetFocus(), control);
    };
    for (HWND control : {doc->ErrorList().hwnd(), doc->Editor().hwnd(), doc->ErrorList().hwnd()}) {
        clickInto(control);
        activate(other);
        EXPECT_EQ(::GetFocus(), other->Editor().hwnd());
        activate(doc);
        EXPECT_EQ(::GetFocus(), control);
    }
    ModalAnswerer answerer;
    answerer.Press(IDOK);
    Main().About1Click();
    Pump(50);
    EXPECT_EQ(::GetFocus(), doc->ErrorList().hwnd());
}

// ---- modified flag ---------------------------------------------------------------

TEST_F(DocumentTest, EveryChangeSetsTheModifiedFlag) {
    auto* doc = NewDocument();
    HWND editor = doc->Editor().hwnd();
    struct Case {
        const char* what;
        std::function<void()> act;
    } cases[] = {
        {"typing", [&] { ::SendMessageA(editor, WM_CHAR, 'q', 0); }},
        {"cut",
         [&] {
             doc->Editor().SetSelection(0, 2);
             ::SendMessageA(editor, WM_CUT, 0, 0);
         }},
        {"clear",
         [&] {
             doc->Editor().SetSelection(0, 1);
             ::SendMessageA(editor, WM_CLEAR, 0, 0);
         }},
        {"undo", [&] { ::SendMessageA(editor, EM_UNDO, 0, 0); }},
        {"set text", [&] { ::SetWindowTextA(editor, ""); }},
        {"replace", [&] { doc->Editor().ReplaceSelection("中", false); }},
    };
    doc->Editor().ReplaceSelection("abcdef", true);
    for (const auto& c : cases) {
        doc->Editor().SetModified(false);
        c.act();
        EXPECT_TRUE(doc->IsModified()) << c.what;
    }
    doc->Editor().SetModified(false);
    doc->Editor().SetSelection(0, 1);  // moving the selection is no change
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(DocumentTest, ClearEmptiesALongTextAtOnceAndCountsAsAChange) {
    auto* doc = NewDocument();
    std::string path = folder_ / "long.txt";
    doctest::WriteBytes(path, doctest::LargeGbkText(150000));
    doc->Editor().SetMode(documents::TextMode::Plain);
    doc->Editor().LoadFromFile(path);
    ASSERT_FALSE(doc->IsModified());
    DWORD start = ::GetTickCount();
    doc->Editor().Clear();
    EXPECT_LT(::GetTickCount() - start, 2000u);
    EXPECT_EQ(doc->Editor().TextLength(), 0);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->Editor().Selection().start, 0);
    // The fresh control is the editor in every respect.
    HWND editor = doc->Editor().hwnd();
    EXPECT_EQ(::GetDlgCtrlID(editor), ::GetDlgCtrlID(doc->Editor().hwnd()));
    EXPECT_EQ(::SendMessageA(editor, EM_GETLIMITTEXT, 0, 0), 655360);
    doc->Editor().SetModified(false);
    ::SendMessageA(editor, WM_CHAR, 'z', 0);
    EXPECT_EQ(doc->Editor().Text(), "z");
    EXPECT_TRUE(doc->IsModified());
}

// ---- positions and texts in GBK bytes ---------------------------------------------

TEST_F(DocumentTest, PositionsAndRangesCountGbkBytes) {
    auto* doc = NewDocument();
    auto& editor = doc->Editor();
    const std::string text = "中乤ab\r\n第二行x\r\nend";  // 20 bytes, 15 control positions
    editor.ReplaceSelection(text, false);
    EXPECT_EQ(editor.Text(), text);
    EXPECT_EQ(editor.TextLength(), 20);
    EXPECT_EQ(editor.Selection().start, 20);  // the caret behind the inserted text
    EXPECT_EQ(editor.TextRange(6, 12), "\r\n第二");
    EXPECT_EQ(editor.TextRange(0, 4), "中乤");
    EXPECT_EQ(editor.TextRange(17, 100), "end");
    editor.SetSelection(8, 4);
    EXPECT_EQ(editor.Selection().start, 8);
    EXPECT_EQ(editor.Selection().length, 4);
    EXPECT_TRUE(editor.HasSelection());
    editor.SetSelection(-1);
    EXPECT_EQ(editor.Selection().start, 20);
    EXPECT_FALSE(editor.HasSelection());
    // Select all reaches past the end in the control; the byte view stops at the end.
    ::SendMessageA(editor.hwnd(), EM_SETSEL, 0, -1);
    EXPECT_EQ(editor.Selection().start, 0);
    EXPECT_EQ(editor.Selection().length, 20);
    EXPECT_EQ(editor.Find("行", 0, 20, false, false), 12);
    EXPECT_EQ(editor.Find("行", 13, 7, false, false), -1);
    EXPECT_EQ(editor.Find("END", 0, 20, false, false), 17);
    EXPECT_EQ(editor.Find("END", 0, 20, false, true), -1);
    EXPECT_EQ(editor.Find("\r\n第", 0, 20, false, false), 6);
}

TEST_F(DocumentTest, SelectAllOnAnEmptyDocumentSelectsNothing) {
    auto* doc = NewDocument();
    ::SendMessageA(doc->Editor().hwnd(), EM_SETSEL, 0, -1);
    EXPECT_FALSE(doc->HasSelection());
    EXPECT_EQ(doc->Editor().Selection().length, 0);
}

// ---- the length limit ---------------------------------------------------------------

TEST_F(DocumentTest, TypingAndPastingStopAtTheLimitButLoadingDoesNot) {
    auto* doc = NewDocument();
    auto& editor = doc->Editor();
    std::string path = folder_ / "almost full.txt";
    // Many short lines: the control takes very long over one very long line.
    std::string text;
    while (text.size() + 64 <= 655359) text += std::string(62, 'a') + "\r\n";
    text += std::string(655359 - text.size(), 'a');
    doctest::WriteBytes(path, text);
    editor.SetMode(documents::TextMode::Plain);
    editor.LoadFromFile(path);
    ASSERT_EQ(editor.TextLength(), 655359);
    editor.SetSelection(-1);
    HWND h = editor.hwnd();
    ::SendMessageA(h, WM_UNICHAR, 0x4E2D, 0);  // 中: two bytes do not fit
    EXPECT_EQ(editor.TextLength(), 655359);
    ::SendMessageA(h, WM_CHAR, 'b', 0);  // one byte does
    EXPECT_EQ(editor.TextLength(), 655360);
    ::SendMessageA(h, WM_CHAR, 'c', 0);
    EXPECT_EQ(editor.TextLength(), 655360);
    ::SendMessageA(h, WM_KEYDOWN, VK_BACK, 0);  // deleting always works
    EXPECT_EQ(editor.TextLength(), 655359);

    // Pasting three bytes where one fits is refused.
    ASSERT_TRUE(::OpenClipboard(h));
    ::EmptyClipboard();
    HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, 4);
    memcpy(::GlobalLock(data), "xyz", 4);
    ::GlobalUnlock(data);
    ::SetClipboardData(CF_TEXT, data);
    ::CloseClipboard();
    ::SendMessageA(h, WM_PASTE, 0, 0);
    EXPECT_EQ(editor.TextLength(), 655359);
    // Over a selection of three bytes it fits.
    editor.SetSelection(0, 3);
    ::SendMessageA(h, WM_PASTE, 0, 0);
    EXPECT_EQ(editor.TextLength(), 655359);
    EXPECT_EQ(editor.TextRange(0, 4), "xyza");
    EXPECT_EQ(editor.TextRange(655355, 655359), "aaaa");
}

// ---- command states -------------------------------------------------------------------

class CommandStateTest : public DocumentTest {
protected:
    bool On(Element e) {
        if (HWND b = Button(e)) return ::IsWindowEnabled(b) != FALSE;
        return MenuEnabled(e);
    }
    bool BothOn(Element button, Element item) { return On(button) && MenuEnabled(item); }
};

TEST_F(CommandStateTest, OpeningTheFirstDocumentEnablesTheDocumentCommands) {
    NewDocument();
    for (Element e : {Element::fileSave, Element::Save1, Element::pasteBtn, Element::Paste1, Element::findBtn,
                      Element::Find1, Element::Replace, Element::Replace1, Element::l1, Element::A2,
                      Element::BeginTransfer, Element::Transfer, Element::Cascade1, Element::TileH, Element::TileV,
                      Element::Arrange, Element::CloseAll, Element::MinAll, Element::RestoreAll})
        EXPECT_TRUE(On(e)) << static_cast<int>(e);
    EXPECT_FALSE(On(Element::Cut1));
    EXPECT_FALSE(On(Element::cutBtn));
    EXPECT_FALSE(On(Element::Undo1));
}

TEST_F(CommandStateTest, UndoFollowsWhatTheActiveEditorCanTakeBack) {
    auto* first = NewDocument();
    first->Editor().ReplaceSelection("改动", true);
    Pump();
    EXPECT_TRUE(On(Element::Undo1));  // at once
    auto* second = NewDocument();
    second->Editor().ReplaceSelection("改动", false);  // modified, but not recorded for undo
    Pump();
    EXPECT_TRUE(second->IsModified());
    EXPECT_FALSE(On(Element::Undo1));
    ::SendMessageA(Main().DocumentArea(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first->hwnd()), 0);
    Pump();
    EXPECT_EQ(Main().ActiveDocument(), first);
    EXPECT_TRUE(On(Element::Undo1));
    // A save leaves the change to take back.
    first->Editor().SetModified(false);
    ::SendMessageA(Main().DocumentArea(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(second->hwnd()), 0);
    Pump();
    EXPECT_FALSE(On(Element::Undo1));
    ::SendMessageA(Main().DocumentArea(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first->hwnd()), 0);
    Pump();
    EXPECT_TRUE(On(Element::Undo1));
}

TEST_F(CommandStateTest, CutFollowsTheSelectionOfTheDocumentSwitchedTo) {
    auto* first = NewDocument();
    first->Editor().ReplaceSelection("选中的文字", false);
    first->Editor().SetSelection(0, 4);
    auto* second = NewDocument();
    EXPECT_FALSE(On(Element::Cut1));
    ::SendMessageA(Main().DocumentArea(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first->hwnd()), 0);
    Pump();
    EXPECT_TRUE(On(Element::Cut1));
    (void)second;
}

TEST_F(CommandStateTest, ClosingTheLastDocumentDisablesThemAgain) {
    NewDocument();
    NewDocument();
    ::SendMessageA(Main().ActiveDocument()->hwnd(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_TRUE(On(Element::fileSave));  // one is left
    ::SendMessageA(Main().ActiveDocument()->hwnd(), WM_CLOSE, 0, 0);
    Pump();
    ASSERT_TRUE(Main().Documents().empty());
    for (Element e :
         {Element::fileSave,      Element::Save1,    Element::pasteBtn, Element::Paste1,     Element::findBtn,
          Element::Find1,         Element::Replace,  Element::Replace1, Element::l1,         Element::A2,
          Element::BeginTransfer, Element::Transfer, Element::Cascade1, Element::TileH,      Element::TileV,
          Element::Arrange,       Element::CloseAll, Element::MinAll,   Element::RestoreAll, Element::Cut1,
          Element::Copy1,         Element::Undo1})
        EXPECT_FALSE(On(e)) << static_cast<int>(e);
    for (Element e : {Element::fileNew, Element::fileOpen, Element::New1, Element::Open1, Element::SaveAs1})
        EXPECT_TRUE(On(e)) << static_cast<int>(e);
}

}  // namespace
