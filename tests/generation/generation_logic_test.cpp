// The generation run's window-free rules: the compiler's command line, the splitting
// of Mervik.ERR into messages, and the properties dialog's field rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "generation/compiler_command_line.h"
#include "generation/line_breaks.h"
#include "lexicon/base/lexicon_fields.h"

namespace {

using generation::CompilerCommandLine;
using generation::SplitMessageLines;
using generation::WithCrLfLineBreaks;
using lexicon::FitToByteLimit;
using lexicon::LexiconFieldsAllowed;
using Lines = std::vector<std::string>;

// A stopped compiler's files: the library under the name the compiler gives it (".LIB"
// when the last part has no full stop) and Mervik.ERR in the program folder.
TEST(CompilerCommandLine, NamesTheTemporaryFilesOfAStoppedCompiler) {
    struct Case {
        const char* fileName;
        const char* library;
    } cases[] = {
        {"abc", "LIB\\abc.LIB.42.tmp"},       {"ab.c", "LIB\\ab.c.LIB.42.tmp"}, {"", "LIB\\.LIB.42.tmp"},
        {"a.b/cd", "LIB\\a.b/cd.LIB.42.tmp"}, {"词库", "LIB\\词库.LIB.42.tmp"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(generation::StoppedCompilerTemporaryFiles(c.fileName, "C:\\程序\\", 42),
                  (Lines{c.library, "C:\\程序\\Mervik.ERR.42.tmp"}))
            << c.fileName;
    }
}

TEST(CompilerCommandLine, IsAssembledByteForByte) {
    struct Case {
        const char* fileName;
        const char* description;
        const char* expected;
    } cases[] = {
        {"abc", "测试", "Mervik.exe   temp.trs \"LIB\\abc\"  \"测试\""},
        {"ab.c", "x", "Mervik.exe   temp.trs \"LIB\\ab.c.LIB\"  \"x\""},
        {"", "说明", "Mervik.exe   temp.trs \"LIB\\\"  \"说明\""},
        {"abc", "", "Mervik.exe   temp.trs \"LIB\\abc\"  \"\""},
        {"词库", "中文的词库说明", "Mervik.exe   temp.trs \"LIB\\词库\"  \"中文的词库说明\""},
        {"a", "C:\\LEX dir: a\\b  c", "Mervik.exe   temp.trs \"LIB\\a\"  \"C:\\LEX dir: a\\b  c\""},
        {"a", "ends in \\", "Mervik.exe   temp.trs \"LIB\\a\"  \"ends in \\\""},
        {".", "", "Mervik.exe   temp.trs \"LIB\\..LIB\"  \"\""},
        {"a.b.c", "", "Mervik.exe   temp.trs \"LIB\\a.b.c.LIB\"  \"\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompilerCommandLine(c.fileName, c.description), c.expected) << c.fileName << " / " << c.description;
}

TEST(CompilerCommandLine, FitsTheLongestFieldsWithoutChange) {
    std::string description(100, 'd'), fileName(8, 'f');
    std::string line = CompilerCommandLine(fileName, description);
    EXPECT_EQ(line, "Mervik.exe   temp.trs \"LIB\\" + fileName + "\"  \"" + description + "\"");
    EXPECT_LT(line.size(), 800u);
}

TEST(SplitMessageLines, FollowsTheLineRules) {
    struct Case {
        const char* name;
        std::string bytes;
        Lines expected;
    } cases[] = {
        {"CR LF", "一\r\n二\r\n", {"一", "二"}},
        {"lone CR", "一\r二\r", {"一", "二"}},
        {"lone LF", "一\n二\n", {"一", "二"}},
        {"last line without a break", "一\r\n二", {"一", "二"}},
        {"empty line between two", "一\r\n\r\n二\r\n", {"一", "", "二"}},
        {"empty lines of each kind", "\n\r\r\n", {"", "", ""}},
        {"CR then CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"LF then CR is two breaks", "a\n\rb", {"a", "", "b"}},
        {"NUL ends the text", std::string("一\r\n二\0三\r\n四", 14), {"一", "二"}},
        {"NUL at the start", std::string("\0abc\r\n", 6), {}},
        {"empty file", "", {}},
        {"only a break", "\r\n", {""}},
        {"blanks and tabs kept", "  a\t b  \r\n", {"  a\t b  "}},
        {"0x5C trail byte kept", "乗\\x\r\n", {"乗\\x"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitMessageLines(c.bytes), c.expected) << c.name;
}

TEST(SplitMessageLines, HundredThousandLines) {
    std::string bytes;
    for (int i = 0; i < 100000; ++i) bytes += "temp.trs(" + std::to_string(i + 1) + "): 警告 W201: 重复\r\n";
    Lines lines = SplitMessageLines(bytes);
    ASSERT_EQ(lines.size(), 100000u);
    EXPECT_EQ(lines.front(), "temp.trs(1): 警告 W201: 重复");
    EXPECT_EQ(lines.back(), "temp.trs(100000): 警告 W201: 重复");
}

TEST(WithCrLfLineBreaks, MakesEveryBreakCrLfAndAddsNothing) {
    struct Case {
        std::string text, expected;
    } cases[] = {
        {"", ""},
        {"a=b\r\nc=d", "a=b\r\nc=d"},
        {"a\nb\rc\r\n", "a\r\nb\r\nc\r\n"},
        {"\n\n", "\r\n\r\n"},
        {"中\r\n文", "中\r\n文"},
    };
    for (const Case& c : cases) EXPECT_EQ(WithCrLfLineBreaks(c.text), c.expected) << c.text;
}

TEST(LexiconFields, RefuseTheBytesThatBreakTheCommandLine) {
    struct Case {
        const char* name;
        const char* description;
        const char* fileName;
        bool allowed;
    } cases[] = {
        {"both empty", "", "", true},
        {"quote in the description", "a\"b", "abc", false},
        {"quote in the file name", "", "a\"", false},
        {"blank in the file name", "", "a b", false},
        {"backslash in the file name", "", "a\\b", false},
        {"colon in the file name", "", "c:x", false},
        {"0x5C trail byte in the file name", "", "乗", false},  // 81 5C
        {"0x5C trail byte in the description", "乗", "", true},
        {"blanks, colons and backslashes in the description", "C:\\a b: c\\", "abc", true},
        {"full stop, slash and wildcards in the file name", "", "a.b/*?", true},
        {"Chinese file name", "说明", "词库", true},
        {"offences in both fields", "\"", " ", false},
    };
    for (const Case& c : cases) EXPECT_EQ(LexiconFieldsAllowed(c.description, c.fileName), c.allowed) << c.name;
}

TEST(FitToByteLimit, CutsTheInsertionToWholeCharactersThatFit) {
    struct Case {
        const char* name;
        std::string before, after;
        std::size_t limit;
        std::string text;
        std::size_t caret;
    } cases[] = {
        {"typing past the end", "abcdefgh", "abcdefghi", 8, "abcdefgh", 8},
        {"typing in the middle", "abcdefgh", "abxcdefgh", 8, "abcdefgh", 2},
        {"pasting ASCII", "", "abcdefghijkl", 8, "abcdefgh", 8},
        {"five Chinese characters", "", "一二三四五", 8, "一二三四", 4},
        {"a Chinese character is never split", "abcdefg", "abcdefg中", 8, "abcdefg", 7},
        {"paste into the middle keeps the tail", "ab12", "ab一二三四12", 8, "ab一二12", 4},
        {"replacing a selection", "abcdefgh", "ab一二三fgh", 8, "ab一fgh", 3},
    };
    for (const Case& c : cases) {
        auto fitted = FitToByteLimit(c.before, c.after, c.limit);
        if (c.after.size() <= c.limit) {
            EXPECT_FALSE(fitted) << c.name;
            continue;
        }
        ASSERT_TRUE(fitted) << c.name;
        EXPECT_EQ(fitted->text, c.text) << c.name;
        EXPECT_EQ(fitted->caret, c.caret) << c.name;
    }
}

TEST(FitToByteLimit, LeavesTextsThatFitAlone) {
    EXPECT_FALSE(FitToByteLimit("", "一二三四", 8));
    EXPECT_FALSE(FitToByteLimit("", std::string(100, 'x'), 100));
    auto cut = FitToByteLimit("", std::string(101, 'x'), 100);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->text, std::string(100, 'x'));
}

TEST(FitToByteLimit, TextSetOverTheLimitIsCutFromTheEnd) {
    // Not an insertion: the whole text was replaced (e.g. set by a program).
    auto fitted = FitToByteLimit("old", "一二三四五六", 8);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(fitted->text, "一二三四");
}

}  // namespace
