// Line and column in the status bar, cut and copy following the selection, and the
// editing commands, driven by real keys in a real document window.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <functional>
#include <string>

#include "documents/batchild.h"
#include "documents/document_rules.h"
#include "lexicon/base/gbk.h"
#include "tests/documents/document_fixture.h"
#include "tests/support/gui_harness.h"

namespace {

using app::Element;
using E = Element;

class EditorTracking : public harness::AppTest {
public:
    // Reached by the steps of the tables below.
    using harness::AppTest::Main;
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

// Right after Open the status bar and the cut and copy commands speak of the opened
// document (its caret at the start, nothing selected), not of the one before it;
// also when the file could not be read and the window stays empty.
TEST_F(EditorTracking, OpenShowsTheOpenedDocumentsCaretAndNoSelection) {
    doctest::ScratchFolder folder;
    doctest::WriteBytes(folder / "list.txt", "第一行\r\n第二行");
    struct Case {
        std::string path;
        int boxes;  // the open dialog, and the error for a file that is not there
    } cases[] = {{folder / "list.txt", 1}, {folder / "missing.txt", 2}};
    for (const Case& c : cases) {
        auto& before = NewDocument();
        before.Editor().ReplaceSelection("abc\r\ndef", false);
        before.Editor().SetSelection(6, 2);
        Pump(20);
        ASSERT_EQ(Status(), "2:2");
        ASSERT_TRUE(CutCopyEnabled(true));
        harness::ModalAnswerer answerer;
        answerer.Then(doctest::ChooseFile(c.path, 1));
        if (c.boxes == 2) answerer.Press(IDOK);
        Main().Execute(app::Command::Open);
        Pump(30);
        EXPECT_EQ(answerer.Unanswered(), 0u) << c.path;
        ASSERT_EQ(Main().ActiveDocument()->Caption(), c.path);
        EXPECT_EQ(Status(), "1:1") << c.path;
        EXPECT_TRUE(CutCopyEnabled(false)) << c.path;
    }
}

// A file whose lines end in a lone CR (or a lone LF) keeps them in the control, which
// shows each as a line break: the status bar counts the lines the user sees.
TEST_F(EditorTracking, LoneLineEndsFromAFileCountAsTheLinesOnScreen) {
    doctest::ScratchFolder folder;
    for (const char* end : {"\r", "\n"}) {
        std::string path = folder / (end[0] == '\r' ? "cr.txt" : "lf.txt");
        doctest::WriteBytes(path, std::string("ab") + end + "中文" + end + "ef");
        harness::ModalAnswerer answerer;
        answerer.Then(doctest::ChooseFile(path, 1));
        Main().Execute(app::Command::Open);
        Pump(30);
        auto* doc = Main().ActiveDocument();
        ASSERT_EQ(doc->Caption(), path);
        ::SetForegroundWindow(Main().hwnd());
        ::SetFocus(doc->Editor().hwnd());
        Key(VK_END, true);
        EXPECT_EQ(Status(), "3:3") << path;
        Key(VK_UP);
        Key(VK_END);
        EXPECT_EQ(Status(), "2:5") << path;
        Key(VK_HOME);
        EXPECT_EQ(Status(), "2:1") << path;
        Key(VK_HOME, true);
        EXPECT_EQ(Status(), "1:1") << path;
    }
}

// 恢复 is offered exactly when the active editor can take a change back, after every
// kind of edit, and both undo keys take the edit back, pressed as the user presses them.
struct UndoableEdit {
    const char* name;
    const char* before;  // the document's text, the caret at its end
    std::function<void(EditorTracking&, documents::TMdiChild&)> edit;
    const char* after;
};

class UndoEveryEdit : public EditorTracking, public ::testing::WithParamInterface<UndoableEdit> {};

TEST_P(UndoEveryEdit, IsOfferedAndTakenBackByEitherUndoKey) {
    const UndoableEdit& c = GetParam();
    struct UndoKey {
        const char* name;
        UINT vk;
        bool ctrl, alt;
    } keys[] = {{"Ctrl+Z", 'Z', true, false}, {"Alt+Backspace", VK_BACK, false, true}};
    for (const UndoKey& key : keys) {
        SCOPED_TRACE(key.name);
        auto& doc = NewDocument();
        doc.Editor().ReplaceSelection(c.before, false);  // recorded for no undo
        Pump(30);
        ASSERT_FALSE(doc.Editor().CanUndo());
        EXPECT_FALSE(MenuEnabled(E::Undo1));
        Key(VK_END, true);
        c.edit(*this, doc);
        Pump(30);
        ASSERT_EQ(harness::WindowText(doc.Editor().hwnd()), c.after);
        EXPECT_TRUE(MenuEnabled(E::Undo1));  // at once, with no refresh of the frame
        harness::TypeKey(App(), key.vk, key.ctrl, false, key.alt);
        Pump(30);
        EXPECT_EQ(harness::WindowText(doc.Editor().hwnd()), c.before);
        EXPECT_EQ(MenuEnabled(E::Undo1), doc.Editor().CanUndo());  // undo itself refreshes it
        EXPECT_TRUE(doc.IsModified());
    }
}

void SelectLine(documents::TMdiChild& doc, int line) {
    LRESULT start = ::SendMessageA(doc.Editor().hwnd(), EM_LINEINDEX, line, 0);
    LRESULT next = ::SendMessageA(doc.Editor().hwnd(), EM_LINEINDEX, line + 1, 0);
    ::SendMessageA(doc.Editor().hwnd(), EM_SETSEL, start, next);
}

INSTANTIATE_TEST_SUITE_P(
    EditorTracking, UndoEveryEdit,
    ::testing::Values(UndoableEdit{"Typing", "词条", [](EditorTracking& t, auto&) { t.Key('X'); }, "词条x"},
                      UndoableEdit{"Backspace", "ab", [](EditorTracking& t, auto&) { t.Key(VK_BACK); }, "a"},
                      UndoableEdit{"Enter", "ab", [](EditorTracking& t, auto&) { t.Key(VK_RETURN); }, "ab\r\n"},
                      // The loss first reported: a selected line deleted.
                      UndoableEdit{"DeleteALine", "一\r\n二\r\n三",
                                   [](EditorTracking& t, documents::TMdiChild& doc) {
                                       SelectLine(doc, 1);
                                       t.Key(VK_DELETE);
                                   },
                                   "一\r\n三"},
                      UndoableEdit{"Cut", "剪切 me",
                                   [](EditorTracking& t, documents::TMdiChild&) {
                                       t.Key(VK_HOME, true);
                                       t.Key(VK_END, false, true);
                                       t.Main().Cut1Click();
                                   },
                                   ""},
                      UndoableEdit{"Paste", "ab",
                                   [](EditorTracking& t, documents::TMdiChild& doc) {
                                       doc.Editor().SetSelection(0, 1);
                                       t.Main().Copy1Click();
                                       doc.Editor().SetSelection(-1);
                                       t.Main().Paste1Click();
                                   },
                                   "aba"},
                      UndoableEdit{"Clear", "清除\r\n全部", [](EditorTracking& t, auto&) { t.Main().l1Click(); }, ""}),
    [](const auto& info) { return std::string(info.param.name); });

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

// ---- edits followed without reading the text again -------------------------------
// The editor brings its kept text and its byte length up to date from each edit; the
// oracle here reads the whole text afresh after every step.

// "line:column" of the selection start, counted in the whole text.
std::string PlaceInWholeText(documents::RichEditor& editor) {
    std::string text = editor.Text();
    int start = editor.Selection().start, line = 1, column = 1;
    for (int i = 0; i < start; ++i) {
        if (text[static_cast<std::size_t>(i)] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return std::to_string(line) + ":" + std::to_string(column);
}

// The GBK bytes of control positions [from, to) of `text`.
std::string PositionsOf(const std::string& text, int from, int to) {
    std::size_t at = 0, start = 0;
    for (int position = 0; at < text.size() && position < to; ++position) {
        if (position == from) start = at;
        at += lexicon::gbk::walk_length(text, at);
    }
    return from < to ? text.substr(start, at - start) : std::string();
}

void PutTextOnClipboard(HWND owner, const std::string& gbk) {
    ASSERT_TRUE(::OpenClipboard(owner));
    ::EmptyClipboard();
    HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, gbk.size() + 1);
    memcpy(::GlobalLock(data), gbk.c_str(), gbk.size() + 1);
    ::GlobalUnlock(data);
    ::SetClipboardData(CF_TEXT, data);
    ::CloseClipboard();
}

TEST_F(EditorTracking, EditsAnywhereInALongTextKeepTheCaretPlaceAndTheLengthExact) {
    auto& doc = NewDocument();
    auto& editor = doc.Editor();
    HWND h = editor.hwnd();
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "第" + std::to_string(i) + "行=line 乤\r\n";
    editor.ReplaceSelection(text, false);
    Pump(20);
    int middle = static_cast<int>(text.size() / 2);
    auto send = [h](UINT msg, WPARAM w, LPARAM l = 0) { ::SendMessageA(h, msg, w, l); };
    struct Step {
        const char* what;
        std::function<void()> edit;
    };
    const Step steps[] = {
        {"typed at the end",
         [&] {
             send(WM_CHAR, 'x');
             send(WM_CHAR, 'y');
         }},
        {"Chinese typed at the end", [&] { send(WM_UNICHAR, 0x4E2D); }},
        {"Enter and Backspace over the line break",
         [&] {
             send(WM_CHAR, '\r');
             send(WM_KEYDOWN, VK_BACK);
         }},
        {"typed in the middle",
         [&] {
             editor.SetSelection(middle);
             send(WM_UNICHAR, 0x6587);
             send(WM_CHAR, 'z');
         }},
        {"Delete over Chinese and ASCII",
         [&] {
             for (int i = 0; i < 5; ++i) send(WM_KEYDOWN, VK_DELETE);
         }},
        {"a selection typed over",
         [&] {
             editor.SetSelection(middle - 40, 9);
             send(WM_CHAR, 'w');
         }},
        {"a paste over a selection",
         [&] {
             PutTextOnClipboard(h, "粘贴\r\n两行");
             editor.SetSelection(middle - 200, 6);
             send(WM_PASTE, 0);
         }},
        {"a cut",
         [&] {
             editor.SetSelection(middle - 400, 30);
             send(WM_CUT, 0);
         }},
        {"undo", [&] { send(EM_UNDO, 0); }},
        {"typed at the start",
         [&] {
             editor.SetSelection(0);
             send(WM_UNICHAR, 0x9996);
             send(WM_CHAR, '\t');
         }},
        {"Backspace at the start", [&] { send(WM_KEYDOWN, VK_BACK); }},
        {"the caret moved to the end", [&] { editor.SetSelection(-1); }},
    };
    for (const Step& step : steps) {
        step.edit();
        Pump();
        std::string whole = editor.Text();
        EXPECT_EQ(Status(), PlaceInWholeText(editor)) << step.what;
        EXPECT_EQ(editor.TextLength(), static_cast<int>(whole.size())) << step.what;
        CHARRANGE caret{};
        send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&caret));
        int from = std::max<int>(0, caret.cpMin - 20), to = std::min<int>(editor.UnitCount(), caret.cpMin + 20);
        EXPECT_EQ(editor.Characters(from, to), PositionsOf(whole, from, to)) << step.what;
    }
}

TEST_F(EditorTracking, TheLimitCountsChineseTypedAndDeletedAtTheStartOfAFullText) {
    doctest::ScratchFolder folder;
    std::string text;
    while (text.size() + 40 <= documents::kMaxTypedBytes - 2) text += "中文词条 entry 乤=译文\r\n";
    text += std::string(documents::kMaxTypedBytes - 2 - text.size(), 'a');
    doctest::WriteBytes(folder / "full.txt", text);
    auto& doc = NewDocument();
    auto& editor = doc.Editor();
    editor.SetMode(documents::TextMode::Plain);
    editor.LoadFromFile(folder / "full.txt");
    HWND h = editor.hwnd();
    struct Step {
        const char* what;
        UINT msg;
        WPARAM key;
        int length;  // bytes afterwards
    };
    const Step steps[] = {
        {"a Chinese character fits", WM_UNICHAR, 0x9996, documents::kMaxTypedBytes},
        {"one byte more does not", WM_CHAR, 'b', documents::kMaxTypedBytes},
        {"Backspace takes two bytes", WM_KEYDOWN, VK_BACK, documents::kMaxTypedBytes - 2},
        {"two single bytes fit", WM_CHAR, 'b', documents::kMaxTypedBytes - 1},
        {"...the second one too", WM_CHAR, 'c', documents::kMaxTypedBytes},
        {"Delete takes a Chinese character behind", WM_KEYDOWN, VK_DELETE, documents::kMaxTypedBytes - 2},
        {"then Chinese fits again", WM_UNICHAR, 0x6587, documents::kMaxTypedBytes},
    };
    for (const Step& step : steps) {
        ::SendMessageA(h, step.msg, step.key, 0);
        Pump();
        EXPECT_EQ(editor.TextLength(), step.length) << step.what;
        EXPECT_EQ(static_cast<int>(editor.Text().size()), step.length) << step.what;
    }
    EXPECT_EQ(editor.TextRange(0, 6), "bc文文");
}

}  // namespace
