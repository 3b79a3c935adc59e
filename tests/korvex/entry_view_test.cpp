// What the list shows: the filter (GBK-aware substring over both columns, ASCII letters
// without case) and the column sort with its way back to library order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korvex/entry_view.h"

namespace korvex {
namespace {

// 乤 is 81 61: its trail byte is the letter 'a'. 乗 is 81 5C.
const std::vector<std::pair<std::string, std::string>> kEntries = {
    {"Open file", "打开文件"},       // 0
    {"Save", "保存"},                // 1
    {"\x81\x61", "x"},               // 2  乤
    {"Tab", "文件夹"},               // 3
    {"word list", "词库"},           // 4
    {"\xD6\xD0\xD0\xC4", "center"},  // 5  中心: D0 D0 straddles the two characters
    {"zz", "ABC"},                   // 6
};

class EntryViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::size_t conflict = 0;
        for (const auto& [o, t] : kEntries) ASSERT_TRUE(table.Add(o, t, conflict));
    }
    std::vector<std::size_t> Rows() const {
        std::vector<std::size_t> rows;
        for (std::size_t r = 0; r < view.size(); ++r) rows.push_back(view.EntryAt(r));
        return rows;
    }
    EntryTable table;
    EntryView view{table};
};

TEST_F(EntryViewTest, FilterMatchesWholeCharactersInEitherColumn) {
    struct Case {
        const char* name;
        std::string filter;
        std::vector<std::size_t> rows;
    };
    const std::vector<Case> cases = {
        {"empty filter shows everything", "", {0, 1, 2, 3, 4, 5, 6}},
        {"Chinese word in the translation", "文件", {0, 3}},
        {"ASCII without regard to case", "oPEN", {0}},
        {"either column", "abc", {6}},
        {"a letter never matches a trail byte", "a", {1, 3, 6}},
        {"an upper-case letter neither", "A", {1, 3, 6}},
        {"the double-byte character itself matches", "\x81\x61", {2}},
        {"never from the second byte of a character", "\xD0\xD0", {}},
        {"across the two columns is no match", "e\xB4\xF2", {}},
        {"nothing", "qqq", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.SetFilter(c.filter);
        EXPECT_EQ(Rows(), c.rows);
    }
}

TEST_F(EntryViewTest, TypingAndDeletingFilterCharactersGivesTheSameRowsAsAFreshFilter) {
    const std::vector<std::string> steps = {"o", "op", "ope", "op", "", "w", "wo", "t", "\xCE\xC4", "\xCE\xC4\xBC\xFE"};
    for (const std::string& filter : steps) {
        SCOPED_TRACE(filter);
        view.SetFilter(filter);
        EntryView fresh(table);
        fresh.SetFilter(filter);
        std::vector<std::size_t> expected;
        for (std::size_t r = 0; r < fresh.size(); ++r) expected.push_back(fresh.EntryAt(r));
        EXPECT_EQ(Rows(), expected);
    }
}

TEST_F(EntryViewTest, ColumnClicksSortUpThenDownThenBackToLibraryOrder) {
    view.ClickColumn(SortColumn::Original);
    // Bytes as unsigned: ASCII first, upper case before lower, then the double-byte ones.
    EXPECT_EQ(Rows(), (std::vector<std::size_t>{0, 1, 3, 4, 6, 2, 5}));
    view.ClickColumn(SortColumn::Original);
    EXPECT_EQ(Rows(), (std::vector<std::size_t>{5, 2, 6, 4, 3, 1, 0}));
    view.ClickColumn(SortColumn::Original);
    EXPECT_EQ(view.Column(), SortColumn::None);
    EXPECT_EQ(Rows(), (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6}));
    view.ClickColumn(SortColumn::Translation);
    view.SetFilter("文件");
    EXPECT_EQ(Rows(), (std::vector<std::size_t>{0, 3}));  // 打 B4F2 before 文 CEC4
    view.ClickColumn(SortColumn::Original);
    EXPECT_EQ(view.Column(), SortColumn::Original);
    EXPECT_FALSE(view.Descending());
    EXPECT_EQ(Rows(), (std::vector<std::size_t>{0, 3}));
}

TEST_F(EntryViewTest, ShowsTheTableAfterEveryEditAndUndo) {
    view.ClickColumn(SortColumn::Original);
    view.SetFilter("文件");
    std::size_t conflict = 0;
    table.Add("About", "关于文件", conflict);
    view.Refresh();
    EXPECT_EQ(Rows(), (std::vector<std::size_t>{7, 0, 3}));
    table.Remove({0});
    view.Refresh();
    EXPECT_EQ(Rows(), (std::vector<std::size_t>{6, 2}));
    table.Change(2, "Tab", "标签", conflict);
    view.Refresh();
    EXPECT_EQ(Rows(), (std::vector<std::size_t>{6}));
    table.Undo();
    table.Undo();
    view.Refresh();
    EXPECT_EQ(Rows(), (std::vector<std::size_t>{7, 0, 3}));
    ASSERT_TRUE(view.RowOf(3).has_value());
    EXPECT_EQ(*view.RowOf(3), 2u);
    EXPECT_FALSE(view.RowOf(1).has_value());
}

}  // namespace
}  // namespace korvex
