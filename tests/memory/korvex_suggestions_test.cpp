// KORVEX's suggestion pane under Wine: the memory's best matches for the selected entry,
// Enter and a double-click putting one into the entry (undoable), and a library saved
// by someone else seen at the next selection.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "korvex/korvex_form.h"
#include "korvex/resource_ids.h"
#include "lexicon/base/byte_sink.h"
#include "lexicon/library/library_writer.h"
#include "lexicon/wordlist/word_list.h"
#include "tests/korvex/korvex_pump.h"
#include "tests/korvex/korvex_test_files.h"
#include "win/gbk.h"

namespace korvex {
namespace {

class KorvexSuggestions : public ::testing::Test {
protected:
    void SetUp() override {
        folder = NewTempFolder("korvex_memory");
        mine = folder + "\\我的词库.LIB";
        other = folder + "\\通用.LIB";
        WriteLibrary(mine, "Close=合上\r\nVersion 2.1=版本\r\nSave &As...=另存\r\n");
        WriteLibrary(other, "Close=关闭\r\nVersion 2.0=版本 2.0\r\nSa&ve As...=另存为(&V)...\r\nSave=保存\r\n");
        form.Create();
        ::ShowWindow(form.hwnd(), SW_SHOW);
        Pump(20);
        ASSERT_TRUE(form.OpenFile(mine));
        Pump(20);
    }
    void TearDown() override {
        if (::IsWindow(form.hwnd())) ::DestroyWindow(form.hwnd());
        Pump();
        for (const std::string& name : {mine, other}) ::DeleteFileW(win::GbkToWide(name).c_str());
        ::RemoveDirectoryA(folder.c_str());
    }

    void Select(int row) {
        ListView_SetItemState(form.List(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_SetItemState(form.List(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        Pump(20);
    }
    std::string Translation(int row) { return Cell(form.List(), row, 1); }

    std::string folder, mine, other;
    TKorvexForm form;
};

TEST_F(KorvexSuggestions, TheSelectedEntryShowsTheMemorysBestMatchesWithScores) {
    HWND pane = form.Suggestions().List();
    ASSERT_TRUE(::IsWindowVisible(pane));
    Select(1);  // Version 2.1=版本
    EXPECT_EQ(Rows(pane, 3), (std::vector<std::string>{"100%|版本 2.1|通用.LIB"}));
    std::printf("suggestion pane look-up: %.2f ms\n", form.Suggestions().LastLookupMs());

    Select(2);  // Save &As...=另存
    // The open library's own entry is no suggestion; "Save" scores 40%, under the pane's 50%.
    EXPECT_EQ(Rows(pane, 4), (std::vector<std::string>{"100%|另存为(&A)...|通用.LIB|Sa&ve As..."}));
    // The pane sits under the list, inside the window.
    RECT list{}, below{};
    ::GetWindowRect(form.List(), &list);
    ::GetWindowRect(pane, &below);
    EXPECT_GE(below.top, list.bottom);

    // Two entries selected: no suggestions.
    ListView_SetItemState(form.List(), 0, LVIS_SELECTED, LVIS_SELECTED);
    Pump(20);
    EXPECT_EQ(ListView_GetItemCount(pane), 0);
}

TEST_F(KorvexSuggestions, TheOwnEntryIsNoSuggestionWhateverCaseTheNameWasOpenedWith) {
    // The folder spells it "我的词库.LIB"; the command line may say ".lib".
    ASSERT_TRUE(form.OpenFile(folder + "\\我的词库.lib"));
    Pump(20);
    Select(0);  // Close=合上
    EXPECT_EQ(Rows(form.Suggestions().List(), 3), (std::vector<std::string>{"100%|关闭|通用.LIB"}));
}

TEST_F(KorvexSuggestions, EnterOrADoubleClickPutsASuggestionInAndUndoTakesItBack) {
    HWND pane = form.Suggestions().List();
    Select(1);
    ::SetFocus(pane);
    // Enter in the pane, as the window's dialog navigation reports it.
    ::SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    Pump(20);
    EXPECT_EQ(Translation(1), "版本 2.1");
    ::SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(IDM_UNDO, 0), 0);
    Pump(20);
    EXPECT_EQ(Translation(1), "版本");

    Select(0);  // Close=合上: the memory's other translation
    ASSERT_EQ(Rows(pane, 2), (std::vector<std::string>{"100%|关闭"}));
    RECT row{};
    ListView_GetItemRect(pane, 0, &row, LVIR_LABEL);
    const LPARAM at = MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2);
    ::SendMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(pane, WM_LBUTTONUP, 0, at);
    ::SendMessageW(pane, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::SendMessageW(pane, WM_LBUTTONUP, 0, at);
    Pump(20);
    EXPECT_EQ(Translation(0), "关闭");
    EXPECT_TRUE(form.Table().Modified());
}

TEST_F(KorvexSuggestions, ALibrarySavedMeanwhileIsSeenAtTheNextSelection) {
    HWND pane = form.Suggestions().List();
    Select(0);
    EXPECT_EQ(Rows(pane, 2), (std::vector<std::string>{"100%|关闭"}));
    // A colleague saves the library with another translation (and another size).
    WriteLibrary(other, "Close=关掉窗口\r\n");
    Select(1);
    Select(0);
    EXPECT_EQ(Rows(pane, 2), (std::vector<std::string>{"100%|关掉窗口"}));
}

}  // namespace
}  // namespace korvex
