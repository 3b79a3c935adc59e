// The table behind the library editor's list: edits, the duplicate rule, undo over
// several levels, the modified state, and merging a compiled word list.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "korvex/entry_table.h"
#include "lexicon/base/diagnostics.h"
#include "lexicon/wordlist/word_list.h"

namespace korvex {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs Contents(const EntryTable& table) {
    Pairs out;
    for (const TextPair& e : table.entries()) out.emplace_back(e.original, e.translation);
    return out;
}

void Fill(EntryTable& table, const Pairs& pairs) {
    std::size_t conflict = 0;
    for (const auto& [o, t] : pairs) ASSERT_TRUE(table.Add(o, t, conflict));
}

const Pairs kStart = {{"Open", "打开"}, {"Save", "保存"}, {"Close", "关闭"}, {"Print", "打印"}};

struct EditCase {
    const char* name;
    std::function<void(EntryTable&)> edit;
    Pairs after;
};

TEST(EntryTable, EachEditChangesTheTableAndOneUndoTakesItBack) {
    std::size_t conflict = 0;
    const std::vector<EditCase> cases = {
        {"add goes to the end",
         [&](EntryTable& t) { t.Add("Find", "查找", conflict); },
         {{"Open", "打开"}, {"Save", "保存"}, {"Close", "关闭"}, {"Print", "打印"}, {"Find", "查找"}}},
        {"change the translation",
         [&](EntryTable& t) { t.Change(1, "Save", "存盘", conflict); },
         {{"Open", "打开"}, {"Save", "存盘"}, {"Close", "关闭"}, {"Print", "打印"}}},
        {"change the original",
         [&](EntryTable& t) { t.Change(2, "Close all", "全部关闭", conflict); },
         {{"Open", "打开"}, {"Save", "保存"}, {"Close all", "全部关闭"}, {"Print", "打印"}}},
        {"remove scattered entries given out of order",
         [&](EntryTable& t) {
             t.Remove({3, 0, 2});
         },
         {{"Save", "保存"}}},
        {"remove one", [&](EntryTable& t) { t.Remove({1}); }, {{"Open", "打开"}, {"Close", "关闭"}, {"Print", "打印"}}},
        {"remove all",
         [&](EntryTable& t) {
             t.Remove({0, 1, 2, 3});
         },
         {}},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        EntryTable table;
        Fill(table, kStart);
        table.MarkSaved();
        c.edit(table);
        EXPECT_EQ(Contents(table), c.after);
        EXPECT_TRUE(table.Modified());
        table.Undo();
        EXPECT_EQ(Contents(table), kStart);
        EXPECT_FALSE(table.Modified());
    }
}

TEST(EntryTable, RefusesAnOriginalThatAnotherEntryHasAndNamesThatEntry) {
    EntryTable table;
    Fill(table, kStart);
    const auto revision = table.Revision();
    std::size_t conflict = 99;
    EXPECT_FALSE(table.Add("Close", "合上", conflict));
    EXPECT_EQ(conflict, 2u);
    conflict = 99;
    EXPECT_FALSE(table.Change(0, "Print", "打开", conflict));
    EXPECT_EQ(conflict, 3u);
    EXPECT_EQ(Contents(table), kStart);
    EXPECT_EQ(table.Revision(), revision);
    // Keeping its own original is no conflict; originals differ in case.
    EXPECT_TRUE(table.Change(0, "Open", "开启", conflict));
    EXPECT_TRUE(table.Add("open", "打开", conflict));
}

TEST(EntryTable, UndoWalksBackSeveralLevelsAndTheSavedPointIsRemembered) {
    EntryTable table;
    Fill(table, kStart);
    table.MarkSaved();
    std::size_t conflict = 0;
    table.Remove({0});
    table.Change(0, "Save", "存盘", conflict);
    table.SetDescription("菜单");
    EXPECT_EQ(table.description(), "菜单");
    table.Undo();
    EXPECT_EQ(table.description(), "");
    EXPECT_EQ(Contents(table), (Pairs{{"Save", "存盘"}, {"Close", "关闭"}, {"Print", "打印"}}));
    table.Undo();
    table.Undo();
    EXPECT_EQ(Contents(table), kStart);
    EXPECT_FALSE(table.Modified());
    EXPECT_TRUE(table.CanUndo());  // the adds before the save
    // Undo past the saved point makes the table differ from the file again.
    table.Undo();
    EXPECT_TRUE(table.Modified());
}

TEST(EntryTable, UndoKeepsALimitedNumberOfLevels) {
    EntryTable table;
    std::size_t conflict = 0;
    for (std::size_t i = 0; i < EntryTable::kUndoLevels + 5; ++i) table.Add("k" + std::to_string(i), "v", conflict);
    std::size_t undone = 0;
    while (table.CanUndo()) {
        table.Undo();
        ++undone;
    }
    EXPECT_EQ(undone, EntryTable::kUndoLevels);
    EXPECT_EQ(table.size(), 5u);
    EXPECT_TRUE(table.Modified());
}

TEST(EntryTable, AnEditThatChangesNothingIsNoStep) {
    EntryTable table;
    Fill(table, kStart);
    table.MarkSaved();
    std::size_t conflict = 0;
    EXPECT_TRUE(table.Change(1, "Save", "保存", conflict));
    table.SetDescription("");
    EXPECT_FALSE(table.Modified());
}

std::unique_ptr<lexicon::WordList> Compiled(std::string source) {
    lexicon::Diagnostics diagnostics;
    auto list = std::make_unique<lexicon::WordList>(lexicon::compile_word_list(std::move(source), diagnostics));
    EXPECT_EQ(diagnostics.errors(), 0u);
    return list;
}

struct MergeCase {
    const char* name;
    std::string source;
    Pairs after;
    std::size_t added, changed, unchanged;
};

TEST(EntryTable, MergeAddsNewOriginalsReplacesChangedTranslationsAndUndoesAsOneStep) {
    const std::vector<MergeCase> cases = {
        {"new, changed and same",
         "Save=存盘\r\nFind=查找\r\nOpen=打开\r\n",
         {{"Open", "打开"}, {"Save", "存盘"}, {"Close", "关闭"}, {"Print", "打印"}, {"Find", "查找"}},
         1,
         1,
         1},
        {"nothing new", "Open=打开\r\nClose=关闭\r\n", kStart, 0, 0, 2},
        {"an empty list", "; nothing\r\n", kStart, 0, 0, 0},
        {"originals differing in case are new",
         "OPEN=打开\r\n",
         {{"Open", "打开"}, {"Save", "保存"}, {"Close", "关闭"}, {"Print", "打印"}, {"OPEN", "打开"}},
         1,
         0,
         0},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EntryTable table;
        Fill(table, kStart);
        table.MarkSaved();
        const MergeCounts counts = table.Merge(Compiled(c.source));
        EXPECT_EQ(Contents(table), c.after);
        EXPECT_EQ(counts.added, c.added);
        EXPECT_EQ(counts.changed, c.changed);
        EXPECT_EQ(counts.unchanged, c.unchanged);
        EXPECT_EQ(table.Modified(), c.added + c.changed > 0);
        if (table.Modified()) {
            table.Undo();
            EXPECT_EQ(Contents(table), kStart);
            EXPECT_FALSE(table.Modified());
        }
    }
}

}  // namespace
}  // namespace korvex
