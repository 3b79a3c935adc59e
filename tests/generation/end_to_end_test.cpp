// The whole road with our real compiler: the document goes through Mervik.exe and the
// pane shows exactly the lines Mervik wrote.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "tests/generation/generation_fixture.h"

namespace {

using gentest::FileExists;
using gentest::GenerationTest;
using gentest::ReadFileBytes;

std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    if (start < bytes.size()) lines.push_back(bytes.substr(start));
    return lines;
}

int CountStartingWith(const std::vector<std::string>& rows, const std::string& prefix) {
    int n = 0;
    for (const auto& row : rows) n += row.rfind(prefix, 0) == 0;
    return n;
}

TEST_F(GenerationTest, TheRealCompilerReportsAnErrorAndAWarningThenWritesTheLibrary) {
    InstallRealCompiler();
    // Line 2 lacks its "=", line 4 repeats line 1.
    auto& faulty = NewDocument("文件=File\r\n编辑\r\n保存=Save\r\n文件=File\r\n");
    {
        harness::ModalAnswerer answerer;
        answerer.Then(gentest::ConfirmWith("演示词库", "demo"));
        Generate();
    }
    std::vector<std::string> rows = PaneRows(faulty);
    EXPECT_TRUE(faulty.ErrorList().IsShown());
    EXPECT_EQ(rows, CrLfLines(ReadFileBytes(InProgramDir("Mervik.ERR"))));
    EXPECT_EQ(CountStartingWith(rows, "temp.trs(2): 错误 E101"), 1);
    EXPECT_EQ(CountStartingWith(rows, "temp.trs(4): 警告 W201"), 1);
    EXPECT_FALSE(FileExists(InProgramDir("LIB\\demo.LIB"))) << "Mervik writes no library from a faulty source";

    // Corrected: only the warning is left, and the library appears under LIB\.
    auto& corrected = NewDocument("文件=File\r\n保存=Save\r\n文件=File\r\n");
    {
        harness::ModalAnswerer answerer;
        answerer.Then(gentest::ConfirmWith("演示词库", "demo"));
        Generate();
    }
    rows = PaneRows(corrected);
    EXPECT_EQ(rows, CrLfLines(ReadFileBytes(InProgramDir("Mervik.ERR"))));
    EXPECT_EQ(CountStartingWith(rows, "temp.trs(3): 警告 W201"), 1);
    EXPECT_EQ(CountStartingWith(rows, "temp.trs(2): 错误"), 0);
    std::string library = ReadFileBytes(InProgramDir("LIB\\demo.LIB"));
    EXPECT_FALSE(library.empty());
    EXPECT_NE(library.find("演示词库"), std::string::npos) << "the description is stored in the library";
    // The outcome is the pane's last line, names the library by its full path, and shows
    // in the two-line pane without scrolling by hand.
    ASSERT_FALSE(rows.empty());
    char folder[MAX_PATH] = {};
    ::GetCurrentDirectoryA(sizeof folder, folder);
    std::string full = std::string(folder) + (std::string(folder).back() == '\\' ? "" : "\\") + "LIB\\demo.LIB";
    EXPECT_EQ(rows.back().rfind("已生成词库“" + full + "”", 0), 0u) << rows.back();
    HWND pane = corrected.ErrorList().hwnd();
    const auto top = ::SendMessageA(pane, LVM_GETTOPINDEX, 0, 0);
    const auto perPage = ::SendMessageA(pane, LVM_GETCOUNTPERPAGE, 0, 0);
    EXPECT_GE(top + perPage, static_cast<LRESULT>(rows.size())) << "the outcome line is scrolled out of sight";
    // The first document's pane still holds its own run's messages.
    EXPECT_EQ(CountStartingWith(PaneRows(faulty), "temp.trs(2): 错误 E101"), 1);
}

// A warning about one character names its column; double-clicking its row (or Enter on
// it) puts the caret on that character, and the status bar shows the same place.
TEST_F(GenerationTest, DoubleClickingAMessagePutsTheCaretOnItsColumn) {
    InstallRealCompiler();
    auto& document = NewDocument("Save=保存\r\nOpen, then save=打开,然后保存\r\nNo=否\r\n");
    {
        harness::ModalAnswerer answerer;
        answerer.Then(gentest::ConfirmWith("演示词库", "demo"));
        Generate();
    }
    const std::vector<std::string> rows = PaneRows(document);
    int row = -1;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].rfind("temp.trs(2,21): 警告 W212", 0) == 0) row = static_cast<int>(i);
    }
    ASSERT_GE(row, 0) << ::testing::PrintToString(rows);

    HWND list = document.ErrorList().hwnd();
    // The pane shows its last line, the outcome: the row is scrolled to first.
    ::SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE);
    RECT cell{LVIR_LABEL};
    ::SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
    const LPARAM at = MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2);
    ::SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(list, WM_LBUTTONUP, 0, at);
    ::SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::SendMessageA(list, WM_LBUTTONUP, 0, at);
    Pump(50);
    const std::string text = document.Editor().Text();
    EXPECT_EQ(document.Editor().Selection().start, static_cast<int>(text.find("打开,") + 4));
    EXPECT_EQ(::GetFocus(), document.Editor().hwnd());
    EXPECT_EQ(document.CaretLine, 1);
    EXPECT_EQ(document.CaretColumn, 20);

    // Enter on a row that names a line only goes to the line's start.
    document.Editor().SetSelection(0);
    document.ErrorList().SetLines({"temp.trs(3): 警告 W203: x"});
    ::SetFocus(list);
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SendMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    Pump(50);
    EXPECT_EQ(document.Editor().Selection().start, static_cast<int>(text.find("No=")));
}

}  // namespace
