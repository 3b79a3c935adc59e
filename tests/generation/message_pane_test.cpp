// The message pane: rows read back from the real list view, the column's width, and
// refills that leave nothing of the previous list behind.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "tests/generation/generation_fixture.h"

namespace {

using gentest::GenerationTest;
using Rows = std::vector<std::string>;

int StringWidth(HWND list, const std::string& text) {
    return static_cast<int>(::SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

TEST_F(GenerationTest, MessagePaneShowsEveryRowWhole) {
    auto& document = NewDocument("");
    auto& pane = document.ErrorList();
    const std::string longRow = "temp.trs(9): 警告 W204: " + std::string(150, 'W') +
                                "中文消息中文消息中文消息中文消息中文消息";
    const Rows rows = {"短", longRow, "", "中等长度的一行消息"};
    pane.SetLines(rows);
    document.ShowErrorList();
    Pump(50);
    EXPECT_EQ(PaneRows(document), rows);
    int column = static_cast<int>(::SendMessageA(pane.hwnd(), LVM_GETCOLUMNWIDTH, 0, 0));
    EXPECT_GE(column, StringWidth(pane.hwnd(), longRow));
    EXPECT_LT(column, StringWidth(pane.hwnd(), longRow) + 40);

    pane.SetLines({"只有一行"});
    Pump(50);
    EXPECT_EQ(PaneRows(document), Rows{"只有一行"});
    column = static_cast<int>(::SendMessageA(pane.hwnd(), LVM_GETCOLUMNWIDTH, 0, 0));
    EXPECT_LT(column, StringWidth(pane.hwnd(), longRow)) << "the column follows the new widest row";
    EXPECT_GE(column, StringWidth(pane.hwnd(), "只有一行"));

    pane.SetLines({});
    EXPECT_TRUE(PaneRows(document).empty());
}

TEST_F(GenerationTest, MessagePaneHoldsAHundredThousandRows) {
    auto& document = NewDocument("");
    Rows rows;
    for (int i = 0; i < 100000; ++i) rows.push_back("temp.trs(" + std::to_string(i + 1) + "): 警告 W201: 重复的条目");
    document.ErrorList().SetLines(rows);
    document.ShowErrorList();
    Pump(50);
    HWND list = document.ErrorList().hwnd();
    EXPECT_EQ(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 100000);
    char text[256] = {};
    LVITEMA item{};
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, 99999, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, "temp.trs(100000): 警告 W201: 重复的条目");
}

}  // namespace
