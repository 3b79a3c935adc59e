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

// Typing a letter in the pane selects the next message that starts with it, in either
// case, going round to the top; a letter no message starts with changes nothing.
TEST_F(GenerationTest, TypingALetterInThePaneSelectsTheNextMessageStartingWithIt) {
    auto& document = NewDocument("");
    HWND list = document.ErrorList().hwnd();
    document.ErrorList().SetLines({"temp.trs(1): 警告 W201: 重复的条目", "Mervik: 完成", "Temp.trs(9): 错误 E101",
                                   "中文消息", "temp.trs(12): 警告 W204", "mervik 0.9"});
    document.ShowErrorList();
    ::SetForegroundWindow(Main().hwnd());
    ::SetFocus(list);
    Pump(50);
    ASSERT_EQ(::GetFocus(), list);
    auto selected = [&] {
        return static_cast<int>(::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    };
    struct Step {
        UINT key;
        int selected;
    } steps[] = {{'T', 0}, {'T', 2}, {'T', 4}, {'T', 0}, {'M', 1}, {'M', 5}, {'Z', 5}};
    for (const Step& step : steps) {
        harness::TypeKey(App(), step.key);
        PumpUntil([&] { return selected() == step.selected; }, 1000);
        EXPECT_EQ(selected(), step.selected) << static_cast<char>(step.key);
        // A pause, so the next letter starts a new search instead of adding to this one.
        Pump(700);
    }
}

}  // namespace
