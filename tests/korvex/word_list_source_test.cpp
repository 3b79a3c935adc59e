// A word list opened for translating: every entry with its status, and saving rewrites
// only the lines of the entries that changed; comments, blank lines, opt-outs, order and
// line ends stay byte for byte.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "korvex/word_list_source.h"

namespace korvex {
namespace {

// Comments, an opt-out, a review line, an untranslated entry, a duplicate original (an
// error), and a last line without its line end.
const std::string kSource =
    "; 文件菜单\r\n"
    ";@review 85% 原文“Open file”（common.LIB）\r\n"
    "Open=打开\r\n"
    "Save=\r\n"
    "\r\n"
    ";@no-check W212\r\n"
    "Name:=名称:\r\n"
    "Open=开\r\n"
    "Close=关闭";

std::size_t EntryOf(const EntryTable& table, std::string_view original, std::size_t nth = 0) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table.at(i).original == original && nth-- == 0) return i;
    }
    ADD_FAILURE() << "no entry " << original;
    return 0;
}

void Translate(EntryTable& table, std::string_view original, std::string_view translation, bool review) {
    const std::size_t i = EntryOf(table, original);
    EntryMark mark = table.mark(i);
    mark.review = review;
    std::size_t conflict = 0;
    ASSERT_TRUE(table.Change(i, original, translation, conflict, &mark));
}

TEST(WordListSource, EveryEntryOpensWithItsStatus) {
    const auto table = OpenWordList(kSource);
    ASSERT_EQ(table->size(), 5u);
    EXPECT_EQ(table->status(0), EntryStatus::Review);
    EXPECT_EQ(table->status(1), EntryStatus::Untranslated);
    EXPECT_EQ(table->status(2), EntryStatus::Translated);
    EXPECT_EQ(table->mark(2).messages, 0u) << "the opt-out line holds for its entry";
    EXPECT_EQ(table->at(3).translation, "开");
    EXPECT_EQ(table->status(3), EntryStatus::Error) << "a duplicate original";
    EXPECT_GE(table->mark(3).messages, 1u);
    EXPECT_EQ(table->status(4), EntryStatus::Translated);
    EXPECT_EQ(StatusName(table->status(0)), std::string("待审"));
}

TEST(WordListSource, SavingRewritesOnlyTheChangedLines) {
    struct Case {
        const char* what;
        std::function<void(EntryTable&)> edit;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"nothing changed", [](EntryTable&) {}, kSource},
        {"accepting drops the review line", [](EntryTable& t) { Translate(t, "Open", "打开", false); },
         "; 文件菜单\r\nOpen=打开\r\nSave=\r\n\r\n;@no-check W212\r\nName:=名称:\r\nOpen=开\r\nClose=关闭"},
        {"a translation rewrites its line only", [](EntryTable& t) { Translate(t, "Save", "保存\t=", false); },
         "; 文件菜单\r\n;@review 85% 原文“Open file”（common.LIB）\r\nOpen=打开\r\nSave=保存\\t=\r\n\r\n"
         ";@no-check W212\r\nName:=名称:\r\nOpen=开\r\nClose=关闭"},
        {"a deleted entry takes its review line along", [](EntryTable& t) { t.Remove({EntryOf(t, "Open")}); },
         "; 文件菜单\r\nSave=\r\n\r\n;@no-check W212\r\nName:=名称:\r\nOpen=开\r\nClose=关闭"},
        {"the erroneous duplicate fixed in place",
         [](EntryTable& t) {
             std::size_t conflict = 0;
             const std::size_t i = EntryOf(t, "Open", 1);
             ASSERT_TRUE(t.Change(i, "Open all", "全部打开", conflict));
         },
         "; 文件菜单\r\n;@review 85% 原文“Open file”（common.LIB）\r\nOpen=打开\r\nSave=\r\n\r\n"
         ";@no-check W212\r\nName:=名称:\r\nOpen all=全部打开\r\nClose=关闭"},
        {"an added entry goes at the end with the file's line end",
         [](EntryTable& t) {
             std::size_t conflict = 0;
             ASSERT_TRUE(t.Add("=Help", "帮助", conflict));
         },
         kSource + "\r\n\\=Help=帮助\r\n"},
        {"undone changes give the file back",
         [](EntryTable& t) {
             Translate(t, "Save", "保存", false);
             Translate(t, "Open", "打开", false);
             t.Remove({EntryOf(t, "Close")});
             t.Undo();
             t.Undo();
             t.Undo();
         },
         kSource},
    };
    for (const Case& c : cases) {
        auto table = OpenWordList(kSource);
        c.edit(*table);
        EXPECT_EQ(WordListBytes(*table), c.expected) << c.what;
    }
}

TEST(WordListSource, LineEndsOfEveryKindStay) {
    const std::string source = "a=甲\nb=\rc=丙\r\n;@review\nd=丁\n";
    auto table = OpenWordList(source);
    ASSERT_EQ(table->size(), 4u);
    EXPECT_EQ(WordListBytes(*table), source);
    Translate(*table, "b", "乙", false);
    Translate(*table, "d", "丁", false);
    std::size_t conflict = 0;
    ASSERT_TRUE(table->Add("e", "戊", conflict));
    EXPECT_EQ(WordListBytes(*table), "a=甲\nb=乙\rc=丙\r\nd=丁\ne=戊\n");
}

TEST(WordListSource, ALineTheCompilerCannotReadOpensAsAnErrorAndStays) {
    const std::string source = "no separator here\r\nx\\q=y\r\nok=好\r\n";
    auto table = OpenWordList(source);
    ASSERT_GE(table->size(), 2u);
    EXPECT_EQ(table->status(0), EntryStatus::Error);
    EXPECT_EQ(WordListBytes(*table), source);
}

TEST(WordListSource, FieldsResolveTheirEscapesLikeTheCompiler) {
    EXPECT_EQ(ResolveEscapes("a\\tb\\nc\\\\d\\x01\\s"), std::string("a\tb\nc\\d\x01 "));
    EXPECT_EQ(ResolveEscapes("\x81\\x"), std::string("\x81\\x")) << "a trail byte 0x5C is no escape";
    EXPECT_EQ(ResolveEscapes("50\\%"), "50\\%") << "an unknown escape keeps its backslash";
}

}  // namespace
}  // namespace korvex
