// Find and replace in the running program: the real system dialogs, driven by
// pressing their buttons, over real document windows; the not-found box is read
// and answered as the user would.
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "documents/batchild.h"
#include "tests/support/gui_harness.h"

namespace {

using harness::ModalAnswerer;
using harness::WindowText;

// The system dialogs' controls.
constexpr int kFindEdit = 0x480;
constexpr int kReplaceEdit = 0x481;
constexpr int kReplaceButton = 0x400;
constexpr int kReplaceAllButton = 0x401;
constexpr int kWholeWordBox = 0x410;
constexpr int kMatchCaseBox = 0x411;
constexpr int kUpButton = 0x420;
constexpr int kDownButton = 0x421;

std::string NotFound(const std::string& what) { return "字符串 \"" + what + "\" 未找到！"; }

struct OwnedDialog {
    HWND owner;
    const char* caption;
    HWND found = nullptr;
};

BOOL CALLBACK FindOwnedDialog(HWND hwnd, LPARAM param) {
    auto* query = reinterpret_cast<OwnedDialog*>(param);
    if (harness::ClassName(hwnd) == "#32770" && ::IsWindowVisible(hwnd) &&
        ::GetWindow(hwnd, GW_OWNER) == query->owner && WindowText(hwnd) == query->caption) {
        query->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

class FindReplaceTest : public harness::AppTest {
protected:
    documents::TMdiChild* NewDocument(const std::string& text, int selStart = 0, int selLength = 0) {
        Main().New1Click();
        Pump();
        documents::TMdiChild* doc = Main().ActiveDocument();
        doc->Editor().ReplaceSelection(text, false);
        doc->Editor().SetSelection(selStart, selLength);
        Pump();
        return doc;
    }

    // The open dialog with this caption, owned by the main window, or null.
    HWND Dialog(const char* caption) {
        OwnedDialog query{Main().hwnd(), caption};
        ::EnumThreadWindows(::GetCurrentThreadId(), FindOwnedDialog, reinterpret_cast<LPARAM>(&query));
        return query.found;
    }
    HWND OpenFind() {
        Main().findBtnClick();
        Pump();
        return Dialog("查找");
    }
    HWND OpenReplace() {
        Main().ReplaceClick();
        Pump();
        return Dialog("替换");
    }

    void Click(HWND dialog, int id) {
        ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
        Pump();
    }
    void SetCheck(HWND dialog, int id, bool on) {
        if ((::IsDlgButtonChecked(dialog, id) == BST_CHECKED) != on) Click(dialog, id);
    }
    void Fill(HWND dialog, const std::string& find, bool wholeWord = false, bool matchCase = false,
              const char* replace = nullptr) {
        ::SetDlgItemTextA(dialog, kFindEdit, find.c_str());
        if (replace) ::SetDlgItemTextA(dialog, kReplaceEdit, replace);
        SetCheck(dialog, kWholeWordBox, wholeWord);
        SetCheck(dialog, kMatchCaseBox, matchCase);
    }

    // Presses a button and answers as many not-found boxes as the press shows;
    // returns the texts of the boxes seen.
    std::vector<std::string> Press(HWND dialog, int id) {
        ModalAnswerer answerer;
        for (int i = 0; i < 4; ++i) answerer.Press(IDOK);
        Click(dialog, id);
        std::vector<std::string> texts;
        for (const auto& box : answerer.Seen()) {
            EXPECT_EQ(box.caption, "错误");
            texts.push_back(box.text);
        }
        return texts;
    }

    static documents::ByteRange Selection(documents::TMdiChild* doc) { return doc->Editor().Selection(); }
};

// ---- the search step ------------------------------------------------------------

struct Hit {
    int start;
    int length;  // -1: not found, the caret at the end and the message shown
};
constexpr int kNotFound = -1;

struct SearchCase {
    const char* name;
    std::string text;
    int selStart, selLength;
    std::string find;
    bool wholeWord, matchCase;
    std::vector<Hit> presses;
};

class SearchStepTest : public FindReplaceTest, public ::testing::WithParamInterface<SearchCase> {};

void CheckPresses(documents::TMdiChild* doc, HWND dialog, const SearchCase& c,
                  const std::function<std::vector<std::string>(HWND)>& press) {
    int textLength = static_cast<int>(c.text.size());
    for (std::size_t i = 0; i < c.presses.size(); ++i) {
        SCOPED_TRACE("press " + std::to_string(i + 1));
        std::vector<std::string> boxes = press(dialog);
        documents::ByteRange sel = doc->Editor().Selection();
        if (c.presses[i].length == kNotFound) {
            EXPECT_EQ(boxes, std::vector<std::string>{NotFound(c.find)});
            EXPECT_EQ(sel.start, textLength);
            EXPECT_EQ(sel.length, 0);
        } else {
            EXPECT_TRUE(boxes.empty());
            EXPECT_EQ(sel.start, c.presses[i].start);
            EXPECT_EQ(sel.length, c.presses[i].length);
        }
    }
    EXPECT_EQ(doc->Editor().Text(), c.text);  // searching changes nothing
}

TEST_P(SearchStepTest, FindNextInTheFindDialog) {
    const SearchCase& c = GetParam();
    auto* doc = NewDocument(c.text, c.selStart, c.selLength);
    HWND dialog = OpenFind();
    ASSERT_NE(dialog, nullptr);
    Fill(dialog, c.find, c.wholeWord, c.matchCase);
    CheckPresses(doc, dialog, c, [&](HWND d) { return Press(d, IDOK); });
}

TEST_P(SearchStepTest, FindNextInTheReplaceDialog) {
    const SearchCase& c = GetParam();
    auto* doc = NewDocument(c.text, c.selStart, c.selLength);
    // The find dialog's own text must not be the one searched for.
    HWND find = OpenFind();
    Fill(find, "zzz");
    HWND dialog = OpenReplace();
    ASSERT_NE(dialog, nullptr);
    Fill(dialog, c.find, c.wholeWord, c.matchCase, "unused");
    CheckPresses(doc, dialog, c, [&](HWND d) { return Press(d, IDOK); });
    EXPECT_TRUE(Main().FindBeforeReplace);  // Find Next leaves it alone
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SearchStepTest,
    ::testing::Values(
        SearchCase{"steps_without_overlap_and_never_wraps",
                   "aaaa",
                   0,
                   0,
                   "aa",
                   false,
                   false,
                   {{0, 2}, {2, 2}, {0, kNotFound}, {0, kNotFound}}},
        SearchCase{"empty_document", "", 0, 0, "a", false, false, {{0, kNotFound}, {0, kNotFound}}},
        SearchCase{"caret_at_the_end", "abc", 3, 0, "a", false, false, {{0, kNotFound}}},
        SearchCase{"starts_at_the_caret", "abcabc", 2, 0, "bc", false, false, {{4, 2}}},
        SearchCase{"user_selection_is_passed_over", "abcabc", 0, 5, "bc", false, false, {{0, kNotFound}}},
        SearchCase{"user_selection_treated_as_a_hit", "bcabc", 0, 2, "bc", false, false, {{3, 2}}},
        SearchCase{"ignores_case", "xAbC abc", 0, 0, "aBc", false, false, {{1, 3}, {5, 3}}},
        SearchCase{"match_case", "Abc abc ABC", 0, 0, "abc", false, true, {{4, 3}, {0, kNotFound}}},
        SearchCase{"whole_word", "concat cat,中cat 。cat", 0, 0, "cat", true, false, {{7, 3}, {19, 3}, {0, kNotFound}}},
        SearchCase{"whole_word_and_match_case", "Cat cat", 0, 0, "cat", true, true, {{4, 3}}},
        SearchCase{"positions_count_gbk_bytes_and_cr_lf",
                   "第二行x\r\nx",
                   0,
                   0,
                   "x",
                   false,
                   false,
                   {{6, 1}, {9, 1}, {0, kNotFound}}},
        SearchCase{
            "chinese_find_text", "词库生成，词库", 0, 0, "词库", false, false, {{0, 4}, {10, 4}, {0, kNotFound}}},
        // 乤 is 81 61 and 乗 81 5C: their trail bytes are 'a' and '\'.
        SearchCase{"no_hit_in_a_trail_byte", "中乤乗", 0, 0, "a", false, false, {{0, kNotFound}}},
        SearchCase{"letter_after_trail_bytes", "乤乗A\\", 0, 0, "a", false, false, {{4, 1}}},
        SearchCase{"backslash_after_trail_bytes", "乗乤\\", 0, 0, "\\", false, false, {{4, 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the replace step -------------------------------------------------------------

enum class Act { FindNext, Replace, ReplaceAll, Select };

struct Step {
    Act act;
    std::string text;  // the whole text afterwards
    int selStart, selLength;
    int boxes;                          // not-found messages shown
    int userStart = 0, userLength = 0;  // the selection that Select makes
};

struct ReplaceCase {
    const char* name;
    std::string text;
    int selStart, selLength;
    std::string find, with;
    bool wholeWord, matchCase;
    std::vector<Step> steps;
};

class ReplaceStepTest : public FindReplaceTest, public ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(ReplaceStepTest, PressesAfterTheReplaceCommand) {
    const ReplaceCase& c = GetParam();
    auto* doc = NewDocument(c.text, c.selStart, c.selLength);
    HWND dialog = OpenReplace();
    ASSERT_NE(dialog, nullptr);
    Fill(dialog, c.find, c.wholeWord, c.matchCase, c.with.c_str());
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        const Step& s = c.steps[i];
        SCOPED_TRACE("step " + std::to_string(i + 1));
        std::vector<std::string> boxes;
        switch (s.act) {
        case Act::FindNext:
            boxes = Press(dialog, IDOK);
            break;
        case Act::Replace:
            boxes = Press(dialog, kReplaceButton);
            break;
        case Act::ReplaceAll:
            boxes = Press(dialog, kReplaceAllButton);
            break;
        case Act::Select:
            doc->Editor().SetSelection(s.userStart, s.userLength);
            break;
        }
        EXPECT_EQ(boxes, std::vector<std::string>(static_cast<std::size_t>(s.boxes), NotFound(c.find)));
        EXPECT_EQ(doc->Editor().Text(), s.text);
        documents::ByteRange sel = doc->Editor().Selection();
        EXPECT_EQ(sel.start, s.selStart);
        EXPECT_EQ(sel.length, s.selLength);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceStepTest,
    ::testing::Values(
        ReplaceCase{"first_replace_with_nothing_behind_the_caret_says_not_found_twice",
                    "abc",
                    3,
                    0,
                    "a",
                    "X",
                    false,
                    false,
                    {{Act::Replace, "abc", 3, 0, 2}, {Act::Replace, "abc", 3, 0, 1}}},
        ReplaceCase{"find_next_then_replace_replaces_the_following_occurrence",
                    "a1 a2 a3",
                    0,
                    0,
                    "a",
                    "X",
                    false,
                    false,
                    {{Act::FindNext, "a1 a2 a3", 0, 1, 0},
                     {Act::Replace, "a1 X2 a3", 6, 1, 0},
                     {Act::Replace, "a1 X2 X3", 8, 0, 1}}},
        ReplaceCase{"replace_takes_the_users_selection_or_inserts_at_the_caret",
                    "a1 a2 a3",
                    0,
                    0,
                    "a",
                    "X",
                    false,
                    false,
                    {{Act::Replace, "X1 a2 a3", 3, 1, 0},
                     {Act::Select, "X1 a2 a3", 0, 2, 0, 0, 2},
                     {Act::Replace, "X a2 a3", 2, 1, 0},
                     {Act::Select, "X a2 a3", 1, 0, 0, 1, 0},
                     {Act::Replace, "XX a2 a3", 3, 1, 0}}},
        ReplaceCase{"empty_replace_text_deletes",
                    "a-b-c",
                    0,
                    0,
                    "-",
                    "",
                    false,
                    false,
                    {{Act::Replace, "ab-c", 2, 1, 0}, {Act::Replace, "abc", 3, 0, 1}}},
        ReplaceCase{"chinese",
                    "词库和词库",
                    0,
                    0,
                    "词库",
                    "字典",
                    false,
                    false,
                    {{Act::Replace, "字典和词库", 6, 4, 0}, {Act::Replace, "字典和字典", 10, 0, 1}}},
        ReplaceCase{"whole_word_and_match_case",
                    "cat Cat cat concat",
                    0,
                    0,
                    "cat",
                    "dog",
                    true,
                    true,
                    {{Act::Replace, "dog Cat cat concat", 8, 3, 0}, {Act::Replace, "dog Cat dog concat", 18, 0, 1}}},
        // Replace All: every occurrence from the text's start, whatever the caret,
        // the caret behind the last replacement.
        ReplaceCase{"replace_all_with_the_find_text_in_the_replacement",
                    "a-a-a.",
                    4,
                    0,
                    "a",
                    "aa",
                    false,
                    false,
                    {{Act::ReplaceAll, "aa-aa-aa.", 8, 0, 0}, {Act::ReplaceAll, "aaaa-aaaa-aaaa.", 14, 0, 0}}},
        ReplaceCase{"replace_all_without_an_occurrence",
                    "xyz",
                    0,
                    0,
                    "a",
                    "b",
                    false,
                    false,
                    {{Act::ReplaceAll, "xyz", 3, 0, 1}}},
        ReplaceCase{"replace_all_whole_word_and_match_case",
                    "Cat cat concat cat.",
                    0,
                    0,
                    "cat",
                    "dog",
                    true,
                    true,
                    {{Act::ReplaceAll, "Cat dog concat dog.", 18, 0, 0}}},
        ReplaceCase{"replace_all_leaves_trail_bytes_alone",
                    "乤a乤a乤",
                    0,
                    0,
                    "a",
                    "词",
                    false,
                    false,
                    {{Act::ReplaceAll, "乤词乤词乤", 8, 0, 0}}},
        ReplaceCase{
            "replace_after_replace_all_does_not_search_first",
            "ab ab",
            0,
            0,
            "ab",
            "x",
            false,
            false,
            {{Act::ReplaceAll, "x x", 3, 0, 0}, {Act::Select, "x x", 0, 1, 0, 0, 1}, {Act::Replace, "x x", 3, 0, 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Undo takes a Replace back, and then a Replace All before it.
TEST_F(FindReplaceTest, UndoTakesAReplaceBack) {
    for (bool replaceAllFirst : {false, true}) {
        SCOPED_TRACE(replaceAllFirst ? "after Replace All" : "alone");
        auto* doc = NewDocument("one two one one");
        doc->Editor().SetModified(false);
        HWND dialog = OpenReplace();
        Fill(dialog, "one", false, false, "1");
        if (replaceAllFirst) {
            Press(dialog, kReplaceAllButton);
            Fill(dialog, "two", false, false, "2");
            doc->Editor().SetSelection(2, 3);  // "two": Replace takes the selection
        }
        Press(dialog, kReplaceButton);
        EXPECT_EQ(doc->Editor().Text(), replaceAllFirst ? "1 2 1 1" : "1 two one one");
        EXPECT_TRUE(doc->Editor().IsModified());
        EXPECT_TRUE(doc->Editor().CanUndo());
        EXPECT_TRUE(MenuEnabled(app::Element::Undo1));
        Main().Undo1Click();
        Pump();
        EXPECT_EQ(doc->Editor().Text(), replaceAllFirst ? "1 two 1 1" : "one two one one");
        if (replaceAllFirst) {
            Main().Undo1Click();
            Pump();
            EXPECT_EQ(doc->Editor().Text(), "one two one one");
        }
        ::SendMessageA(dialog, WM_CLOSE, 0, 0);
        Pump();
    }
}

// ---- undoing Replace All ---------------------------------------------------------------
// One Undo takes back the whole of a Replace All, pressed as the user does: Ctrl+Z in
// the editor right after it, which reaches the editor only while the menu's Undo is
// enabled. A change of a few lines is made in place and undone by the control itself;
// a change over many lines goes in as a fresh text, and its Undo brings back the text
// from before it as it was, with its selection and its modified flag.

struct UndoCase {
    const char* name;
    std::string text;
    std::string find, replace;
    bool setAnew;  // over many lines
};

std::string ManyLines(const char* word) {
    std::string text = "头\r\n";
    for (int i = 0; i < 2500; ++i) text += "词条 " + std::string(word) + std::to_string(i) + "\r\n";
    return text + "尾";
}

std::string Replaced(std::string text, const std::string& find, const std::string& replace) {
    for (std::size_t at = text.find(find); at != std::string::npos; at = text.find(find, at + replace.size()))
        text.replace(at, find.size(), replace);
    return text;
}

class UndoReplaceAllTest : public FindReplaceTest, public ::testing::WithParamInterface<UndoCase> {
protected:
    void CtrlZ(documents::TMdiChild* doc) {
        ::SetFocus(doc->Editor().hwnd());
        harness::TypeKey(App(), 'Z', true);
        Pump();
    }
};

TEST_P(UndoReplaceAllTest, OneUndoBringsBackTheTextBefore) {
    const UndoCase& c = GetParam();
    const std::string expected = Replaced(c.text, c.find, c.replace);
    ASSERT_NE(expected, c.text);
    auto* doc = NewDocument(c.text, 4, 4);
    doc->Editor().SetModified(false);
    HWND dialog = OpenReplace();
    Fill(dialog, c.find, false, true, c.replace.c_str());
    EXPECT_TRUE(Press(dialog, kReplaceAllButton).empty());
    ASSERT_EQ(doc->Editor().Text(), expected);
    EXPECT_TRUE(doc->Editor().IsModified());
    EXPECT_TRUE(MenuEnabled(app::Element::Undo1));

    CtrlZ(doc);
    EXPECT_EQ(doc->Editor().Text(), c.text);
    if (c.setAnew) {
        EXPECT_FALSE(doc->Editor().IsModified());
        EXPECT_EQ(doc->Editor().Selection().start, 4);
        EXPECT_EQ(doc->Editor().Selection().length, 4);
    }
    // Nothing was recorded before the Replace All: a second Undo changes nothing.
    Main().Undo1Click();
    Pump();
    EXPECT_EQ(doc->Editor().Text(), c.text);
    EXPECT_FALSE(doc->Editor().CanUndo());

    // The editor goes on working: typing, its own Undo, and Replace All again.
    doc->Editor().SetSelection(0);
    ::SetFocus(doc->Editor().hwnd());
    harness::TypeKey(App(), 'X');
    Pump();
    EXPECT_EQ(doc->Editor().Text(), "x" + c.text);
    EXPECT_TRUE(Press(dialog, kReplaceAllButton).empty());
    EXPECT_EQ(doc->Editor().Text(), "x" + expected);
    Main().Undo1Click();
    Pump();
    EXPECT_EQ(doc->Editor().Text(), "x" + c.text);
    Main().Undo1Click();
    Pump();
    EXPECT_EQ(doc->Editor().Text(), c.text);
}

// Steps after a Replace All are undone first, then the Replace All, then what came
// before it, one step each, as far back as the editor recorded.
TEST_P(UndoReplaceAllTest, UndoWalksBackThroughItStepByStep) {
    const UndoCase& c = GetParam();
    auto* doc = NewDocument(c.text);
    doc->Editor().SetModified(false);
    std::vector<std::string> states{c.text};
    auto typeAtStart = [&](UINT key) {
        doc->Editor().SetSelection(0);
        ::SetFocus(doc->Editor().hwnd());
        harness::TypeKey(App(), key);
        Pump();
        states.push_back(doc->Editor().Text());
    };
    HWND dialog = OpenReplace();
    auto replaceAll = [&](const std::string& find, const std::string& replace) {
        Fill(dialog, find, false, true, replace.c_str());
        EXPECT_TRUE(Press(dialog, kReplaceAllButton).empty());
        states.push_back(doc->Editor().Text());
        EXPECT_EQ(states.back(), Replaced(states[states.size() - 2], find, replace));
    };
    typeAtStart('A');
    replaceAll(c.find, c.replace);
    typeAtStart('B');
    replaceAll(c.replace, c.find);  // back again: a second one in a row
    replaceAll("词条", "条目");
    for (std::size_t i = states.size() - 1; i-- > 0;) {
        SCOPED_TRACE("undo to state " + std::to_string(i));
        ASSERT_TRUE(doc->Editor().CanUndo());
        Main().Undo1Click();
        Pump();
        EXPECT_EQ(doc->Editor().Text(), states[i]);
    }
}

// Work in another document window leaves a Replace All to take back: the text from
// before it is still there when the user comes back, and 恢复 is offered.
TEST_P(UndoReplaceAllTest, StaysUndoableAfterWorkInAnotherWindow) {
    const UndoCase& c = GetParam();
    auto* doc = NewDocument(c.text);
    doc->Editor().SetModified(false);
    HWND dialog = OpenReplace();
    Fill(dialog, c.find, false, true, c.replace.c_str());
    EXPECT_TRUE(Press(dialog, kReplaceAllButton).empty());
    ::SendMessageA(dialog, WM_CLOSE, 0, 0);
    Pump();
    auto* other = NewDocument("另一个");
    ::SetFocus(other->Editor().hwnd());
    harness::TypeKey(App(), 'X');
    harness::TypeKey(App(), VK_BACK);
    harness::TypeKey(App(), 'Y');
    Main().l1Click();
    ::SendMessageA(Main().DocumentArea(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(doc->hwnd()), 0);
    Pump();
    ASSERT_EQ(Main().ActiveDocument(), doc);
    EXPECT_TRUE(MenuEnabled(app::Element::Undo1));
    CtrlZ(doc);
    EXPECT_EQ(doc->Editor().Text(), c.text);
}

// Saved after a Replace All, the document's file holds the replaced text: the text
// Undo brings back is a change to it.
TEST_P(UndoReplaceAllTest, TheTextBroughtBackAfterASaveIsModified) {
    const UndoCase& c = GetParam();
    auto* doc = NewDocument(c.text);
    doc->Editor().SetModified(false);
    HWND dialog = OpenReplace();
    Fill(dialog, c.find, false, true, c.replace.c_str());
    Press(dialog, kReplaceAllButton);
    doc->Editor().SetModified(false);  // what saving does
    Main().Undo1Click();
    Pump();
    EXPECT_EQ(doc->Editor().Text(), c.text);
    EXPECT_TRUE(doc->Editor().IsModified());
}

INSTANTIATE_TEST_SUITE_P(FindReplace, UndoReplaceAllTest,
                         ::testing::Values(UndoCase{"AFewLinesInPlace", "词条 old one\r\n词条 two old\r\nthree", "old",
                                                    "新的", false},
                                           UndoCase{"ManyLinesSetAnew", ManyLines("old"), "old", "新的", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Over many lines Replace All puts the text into the editor in one piece: the same
// result, the caret behind the last replacement, the document modified, and an
// editor that goes on working.
TEST_F(FindReplaceTest, ReplaceAllOverALongText) {
    std::string text = "头\r\n", expected = "头\r\n";
    for (int i = 0; i < 2500; ++i) {
        text += "词条 old" + std::to_string(i) + "\r\n";
        expected += "词条 新的" + std::to_string(i) + "\r\n";
    }
    text += "尾 old";  // the last hit, and nothing after it but this line's end
    expected += "尾 新的";
    text += "\r\nend";
    expected += "\r\nend";
    auto* doc = NewDocument(text);
    doc->Editor().SetModified(false);
    HWND dialog = OpenReplace();
    Fill(dialog, "old", false, true, "新的");
    EXPECT_TRUE(Press(dialog, kReplaceAllButton).empty());
    EXPECT_EQ(doc->Editor().Text(), expected);
    documents::ByteRange sel = doc->Editor().Selection();
    EXPECT_EQ(sel.start, static_cast<int>(expected.size() - 5));
    EXPECT_EQ(sel.length, 0);
    EXPECT_TRUE(doc->Editor().IsModified());
    EXPECT_TRUE(doc->Editor().CanUndo());
    EXPECT_TRUE(::IsWindowVisible(doc->Editor().hwnd()));
    // Find Next goes on from the caret.
    Fill(dialog, "end");
    EXPECT_TRUE(Press(dialog, IDOK).empty());
    sel = doc->Editor().Selection();
    EXPECT_EQ(sel.start, static_cast<int>(expected.size() - 3));
    EXPECT_EQ(sel.length, 3);
}

// Replace All in a long text freezes the window for a while: the cursor says so while
// it works, seen from inside, where the editor tells its window of the change.
HCURSOR g_cursorDuringChange = nullptr;

LRESULT CALLBACK SeeCursorAtChange(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_COMMAND && HIWORD(call->wParam) == EN_CHANGE)
        g_cursorDuringChange = ::GetCursor();
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(FindReplaceTest, ReplaceAllShowsTheWaitCursorWhileItWorks) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += "词条 old " + std::to_string(i) + "\r\n";
    auto* doc = NewDocument(text);
    HWND dialog = OpenReplace();
    Fill(dialog, "old", false, false, "新的");
    const HCURSOR arrow = ::LoadCursorA(nullptr, IDC_ARROW);
    ::SetCursor(arrow);
    g_cursorDuringChange = nullptr;
    HHOOK hook = ::SetWindowsHookExA(WH_CALLWNDPROC, SeeCursorAtChange, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    Press(dialog, kReplaceAllButton);
    ::UnhookWindowsHookEx(hook);
    EXPECT_NE(doc->Editor().Text().find("新的"), std::string::npos);
    EXPECT_EQ(g_cursorDuringChange, ::LoadCursorA(nullptr, IDC_WAIT));
    EXPECT_EQ(::GetCursor(), arrow);
}

// A rich text keeps its formatting through Replace All, whether its formatting varies
// (each hit is replaced where it stands) or is one format throughout (the new text
// takes that format), also when the hits are spread over a long text.
struct RichReplaceCase {
    const char* name;
    bool mixed;  // a bold word in every line, the rest plain; else every character bold and large
};

class RichReplaceAllTest : public FindReplaceTest, public ::testing::WithParamInterface<RichReplaceCase> {
protected:
    // RTF for GBK text: bytes above 0x7F as \'hh escapes.
    static std::string Rtf(const std::string& gbk) {
        std::string out;
        char hex[8];
        for (unsigned char c : gbk) {
            if (c >= 0x80) {
                std::snprintf(hex, sizeof hex, "\\'%02x", c);
                out += hex;
            } else {
                out += static_cast<char>(c);
            }
        }
        return out;
    }
    documents::TMdiChild* OpenRtf(const std::string& rtf) {
        char folder[MAX_PATH];
        ::GetTempPathA(MAX_PATH, folder);
        path_ = std::string(folder) + "velmora-rich-replace.rtf";
        HANDLE file = ::CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(file, rtf.data(), static_cast<DWORD>(rtf.size()), &written, nullptr);
        ::CloseHandle(file);
        Main().New1Click();
        Pump();
        documents::TMdiChild* doc = Main().ActiveDocument();
        doc->Editor().SetMode(documents::TextMode::Rich);
        doc->Editor().LoadFromFile(path_);
        Pump();
        return doc;
    }
    void TearDown() override {
        ::DeleteFileA(path_.c_str());
        FindReplaceTest::TearDown();
    }
    // The bold state of `bytes` bytes at `start`: 1 bold, 0 plain, -1 mixed.
    static int Bold(documents::TMdiChild* doc, std::size_t start, std::size_t bytes) {
        doc->Editor().SetSelection(static_cast<int>(start), static_cast<int>(bytes));
        CHARFORMATA format{};
        format.cbSize = sizeof format;
        ::SendMessageA(doc->Editor().hwnd(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        if (!(format.dwMask & CFM_BOLD)) return -1;
        return (format.dwEffects & CFE_BOLD) ? 1 : 0;
    }
    std::string path_;
};

TEST_P(RichReplaceAllTest, FormattingSurvives) {
    const RichReplaceCase& c = GetParam();
    const int lines = 1500;
    std::string body;
    for (int i = 0; i < lines; ++i) {
        std::string n = std::to_string(i);
        // A hit on the first, the middle and the last line only when mixed: hits far
        // apart make one long changed stretch.
        bool hit = !c.mixed || i == 0 || i == lines / 2 || i == lines - 1;
        std::string word = hit ? "旧词" : "词条";
        body += c.mixed
                    ? Rtf("行" + n + " " + word + " ") + "{\\b " + Rtf("粗体" + word) + "}" + Rtf(" 普通") + "\\par\n"
                    : Rtf("行" + n + " " + word + " 普通") + "\\par\n";
    }
    std::string rtf = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}\\f0\\fs20";
    rtf += c.mixed ? " " : "\\li720\\b\\fs28 ";
    rtf += body + "}";
    auto* doc = OpenRtf(rtf);
    std::string before = doc->Editor().Text();
    auto indent = [&] {
        doc->Editor().SetSelection(0, static_cast<int>(doc->Editor().Text().size()));
        PARAFORMAT paragraph{};
        paragraph.cbSize = sizeof paragraph;
        ::SendMessageA(doc->Editor().hwnd(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paragraph));
        return (paragraph.dwMask & PFM_STARTINDENT) ? paragraph.dxStartIndent : -1;
    };
    const LONG indentBefore = indent();
    ASSERT_NE(before.find("旧词"), std::string::npos);
    std::string expected = before;
    for (std::size_t at = expected.find("旧词"); at != std::string::npos; at = expected.find("旧词", at + 6))
        expected.replace(at, 4, "新的词");

    HWND dialog = OpenReplace();
    Fill(dialog, "旧词", false, false, "新的词");
    EXPECT_TRUE(Press(dialog, kReplaceAllButton).empty());
    std::string after = doc->Editor().Text();
    ASSERT_EQ(after, expected);
    EXPECT_TRUE(doc->Editor().IsModified());
    std::size_t last = after.rfind("新的词");
    EXPECT_EQ(doc->Editor().Selection().start, static_cast<int>(last + 6));

    for (std::size_t line : {std::size_t{0}, std::size_t{lines / 2}, std::size_t{lines - 1}}) {
        std::string head = "行" + std::to_string(line) + " ";
        std::size_t at = after.find("\n" + head);
        at = line == 0 ? after.find(head) : at + 1;
        ASSERT_NE(at, std::string::npos);
        std::size_t word = at + head.size();
        if (c.mixed) {
            EXPECT_EQ(Bold(doc, word, 6), 0) << "line " << line;           // 新的词, plain
            EXPECT_EQ(Bold(doc, word + 7, 4 + 6), 1) << "line " << line;   // 粗体新的词, bold
            EXPECT_EQ(Bold(doc, word + 7 + 10, 5), 0) << "line " << line;  // " 普通", plain
        } else {
            EXPECT_EQ(Bold(doc, at, after.find('\r', at) - at), 1) << "line " << line;  // the whole line
        }
    }
    if (!c.mixed) {
        doc->Editor().SetSelection(0, static_cast<int>(after.size()));
        CHARFORMATA format{};
        format.cbSize = sizeof format;
        ::SendMessageA(doc->Editor().hwnd(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        EXPECT_TRUE(format.dwMask & CFM_SIZE);
        EXPECT_EQ(format.yHeight, 14 * 20);  // \fs28: 14 points, in twips
        // The paragraphs keep their indent, which the control's own do not have.
        EXPECT_GT(indentBefore, 0);
        EXPECT_EQ(indent(), indentBefore);
    }

    // Undo brings back the text before, formats and all.
    Main().Undo1Click();
    Pump();
    ASSERT_EQ(doc->Editor().Text(), before);
    std::size_t word = before.find("旧词");
    EXPECT_EQ(Bold(doc, word, 4), c.mixed ? 0 : 1);
    if (c.mixed) {
        EXPECT_EQ(Bold(doc, word + 5, 4 + 4), 1);  // 粗体旧词
    }
    EXPECT_EQ(indent(), indentBefore);
}

INSTANTIATE_TEST_SUITE_P(Rich, RichReplaceAllTest,
                         ::testing::Values(RichReplaceCase{"MixedFormatting", true},
                                           RichReplaceCase{"OneFormatThroughout", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- FindBeforeReplace --------------------------------------------------------------

TEST_F(FindReplaceTest, EveryReplaceCommandMakesTheNextReplaceSearchFirst) {
    auto* doc = NewDocument("a1 a2 a3 a4");
    HWND dialog = OpenReplace();
    EXPECT_TRUE(Main().FindBeforeReplace);
    Fill(dialog, "a", false, false, "X");
    Press(dialog, kReplaceButton);  // searches (0,1), replaces it, selects the next
    EXPECT_FALSE(Main().FindBeforeReplace);
    EXPECT_EQ(doc->Editor().Text(), "X1 a2 a3 a4");

    // The command again while the dialog is open: the same dialog, to the front,
    // and the next Replace searches once more before it replaces.
    ::SetActiveWindow(Main().hwnd());
    Pump();
    EXPECT_EQ(OpenReplace(), dialog);
    EXPECT_EQ(::GetActiveWindow(), dialog);
    EXPECT_TRUE(Main().FindBeforeReplace);
    Press(dialog, IDOK);  // Find Next leaves the flag set
    EXPECT_TRUE(Main().FindBeforeReplace);
    Press(dialog, kReplaceButton);
    EXPECT_EQ(doc->Editor().Text(), "X1 a2 a3 X4");

    Main().ReplaceClick();
    Pump();
    Press(dialog, kReplaceAllButton);
    EXPECT_FALSE(Main().FindBeforeReplace);
}

// ---- which document ---------------------------------------------------------------

TEST_F(FindReplaceTest, EachPressActsOnTheDocumentActiveThen) {
    auto* first = NewDocument("xa");
    auto* second = NewDocument("yya");
    HWND dialog = OpenFind();
    Fill(dialog, "a");
    Press(dialog, IDOK);
    EXPECT_EQ(Selection(second).start, 2);
    ::SendMessageA(Main().DocumentArea(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first->hwnd()), 0);
    Pump();
    ASSERT_EQ(Main().ActiveDocument(), first);
    Press(dialog, IDOK);
    EXPECT_EQ(Selection(first).start, 1);
    EXPECT_EQ(Selection(first).length, 1);
    EXPECT_EQ(Selection(second).start, 2);
}

TEST_F(FindReplaceTest, WithNoDocumentLeftThePressesDoNothing) {
    auto* doc = NewDocument("abc");
    HWND find = OpenFind();
    Fill(find, "zzz");
    HWND replace = OpenReplace();
    Fill(replace, "zzz", false, false, "y");
    doc->Editor().SetModified(false);
    ::SendMessageA(doc->hwnd(), WM_CLOSE, 0, 0);
    Pump();
    ASSERT_EQ(Main().ActiveDocument(), nullptr);
    ASSERT_TRUE(::IsWindow(find));
    ASSERT_TRUE(::IsWindow(replace));
    // No message either: the answerer fails the test on any box.
    EXPECT_TRUE(Press(find, IDOK).empty());
    EXPECT_TRUE(Press(replace, IDOK).empty());
    EXPECT_TRUE(Press(replace, kReplaceButton).empty());
    EXPECT_TRUE(Press(replace, kReplaceAllButton).empty());
    EXPECT_TRUE(Main().FindBeforeReplace);
}

// ---- the dialogs ------------------------------------------------------------------

TEST_F(FindReplaceTest, FindCommandOpensOneDialogWithoutADirectionChoice) {
    NewDocument("abc");
    HWND dialog = OpenFind();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(::GetActiveWindow(), dialog);
    for (int id : {kUpButton, kDownButton}) {
        HWND choice = ::GetDlgItem(dialog, id);
        EXPECT_TRUE(!choice || !::IsWindowVisible(choice)) << id;
    }
    EXPECT_TRUE(::IsWindowEnabled(Main().hwnd()));  // modeless

    ::SetActiveWindow(Main().hwnd());
    Pump();
    EXPECT_EQ(OpenFind(), dialog);
    EXPECT_EQ(::GetActiveWindow(), dialog);
    EXPECT_FALSE(Main().FindBeforeReplace);
}

TEST_F(FindReplaceTest, DialogsKeepTheirTextsAndCheckBoxesBetweenOpenings) {
    HWND find = OpenFind();
    Fill(find, "词库", true, false);
    HWND replace = OpenReplace();
    Fill(replace, "旧", false, true, "新");
    Click(find, IDCANCEL);
    Click(replace, IDCANCEL);
    ASSERT_FALSE(::IsWindow(find));
    ASSERT_FALSE(::IsWindow(replace));

    find = OpenFind();
    replace = OpenReplace();
    ASSERT_NE(find, nullptr);
    ASSERT_NE(replace, nullptr);
    EXPECT_EQ(WindowText(::GetDlgItem(find, kFindEdit)), "词库");
    EXPECT_EQ(::IsDlgButtonChecked(find, kWholeWordBox), BST_CHECKED);
    EXPECT_EQ(::IsDlgButtonChecked(find, kMatchCaseBox), BST_UNCHECKED);
    EXPECT_EQ(WindowText(::GetDlgItem(replace, kFindEdit)), "旧");
    EXPECT_EQ(WindowText(::GetDlgItem(replace, kReplaceEdit)), "新");
    EXPECT_EQ(::IsDlgButtonChecked(replace, kWholeWordBox), BST_UNCHECKED);
    EXPECT_EQ(::IsDlgButtonChecked(replace, kMatchCaseBox), BST_CHECKED);
}

TEST_F(FindReplaceTest, KeyboardWorksInTheDialogs) {
    auto* doc = NewDocument("one two two");
    HWND dialog = OpenFind();
    Fill(dialog, "two");
    ::SetForegroundWindow(dialog);
    ::SetFocus(::GetDlgItem(dialog, kFindEdit));
    Pump(50);
    harness::TypeKey(App(), VK_RETURN);  // Find Next is the default button
    EXPECT_EQ(Selection(doc).start, 4);
    harness::TypeKey(App(), VK_RETURN);
    EXPECT_EQ(Selection(doc).start, 8);
    harness::TypeKey(App(), VK_ESCAPE);
    EXPECT_FALSE(::IsWindow(dialog));
}

TEST_F(FindReplaceTest, NotFoundBoxIsModalToTheApplication) {
    NewDocument("abc");
    HWND dialog = OpenFind();
    Fill(dialog, "中文 \"x\"");
    bool dialogDisabled = false, mainDisabled = false;
    ModalAnswerer answerer;
    answerer.Then([&](HWND box) {
        dialogDisabled = !::IsWindowEnabled(dialog);
        mainDisabled = !::IsWindowEnabled(Main().hwnd());
        ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    Click(dialog, IDOK);
    ASSERT_EQ(answerer.Seen().size(), 1u);
    const harness::SeenBox& box = answerer.Seen()[0];
    EXPECT_EQ(box.caption, "错误");
    EXPECT_EQ(box.text, "字符串 \"中文 \"x\"\" 未找到！");
    EXPECT_EQ(box.buttons, std::vector<std::string>{"确定"});
    EXPECT_FALSE(box.hasIcon);
    EXPECT_TRUE(dialogDisabled);
    EXPECT_TRUE(mainDisabled);
    EXPECT_TRUE(::IsWindowEnabled(dialog));
    EXPECT_EQ(::GetActiveWindow(), dialog);
}

}  // namespace
