// The command line as the editor builds it, and the hostile cases around it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mervik/command_line.h"
#include "mervik/command_table.h"

namespace mervik {
namespace {

using Words = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string line;
    Words words;
};

const std::vector<SplitCase> split_cases = {
    {"editor line", "Mervik.exe   temp.trs \"LIB\\abc\"  \"测试\"", {"Mervik.exe", "temp.trs", "LIB\\abc", "测试"}},
    {"extension from the editor",
     "Mervik.exe   temp.trs \"LIB\\ab.c.LIB\"  \"x\"",
     {"Mervik.exe", "temp.trs", "LIB\\ab.c.LIB", "x"}},
    {"description ending in a backslash",
     "Mervik.exe   temp.trs \"LIB\\abc\"  \"abc\\\"",
     {"Mervik.exe", "temp.trs", "LIB\\abc", "abc\\"}},
    {"backslash before a quote inside", "m \"a\\\" \"b\"", {"m", "a\\", "b"}},
    {"trail byte 0x5C at the end", "m \"LIB\\x\"  \"\x81\x5C\"", {"m", "LIB\\x", "\x81\x5C"}},
    {"trail byte 0x5C before the closing quote of the output",
     "m \"LIB\\\x81\x5C\" \"d\"",
     {"m", "LIB\\\x81\x5C", "d"}},
    {"empty arguments", "Mervik.exe   temp.trs \"LIB\\\"  \"\"", {"Mervik.exe", "temp.trs", "LIB\\", ""}},
    {"blanks inside quotes kept", "m \"  a  b \"", {"m", "  a  b "}},
    {"tabs separate", "m\ta\t\"b\"", {"m", "a", "b"}},
    {"quoted program path", "\"C:\\Program Files\\Mervik.exe\" a", {"C:\\Program Files\\Mervik.exe", "a"}},
    {"quotes inside a bare word are bytes", "m a\"b", {"m", "a\"b"}},
    {"trailing blanks", "m a   ", {"m", "a"}},
    {"nothing", "", {}},
};

class SplitCases : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCases, Words) {
    const auto words = split_command_line(GetParam().line);
    ASSERT_TRUE(words.has_value());
    EXPECT_EQ(*words, GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(Mervik, SplitCases, ::testing::ValuesIn(split_cases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(SplitCommandLine, UnclosedQuoteIsRefused) {
    EXPECT_FALSE(split_command_line("Mervik.exe temp.trs \"LIB\\abc").has_value());
}

TEST(LibraryPath, ExtensionOnlyWhenTheNameHasNone) {
    const struct {
        const char* output;
        const char* path;
    } cases[] = {
        {"LIB\\abc", "LIB\\abc.LIB"},
        {"LIB\\ab.c.LIB", "LIB\\ab.c.LIB"},
        {"LIB\\ab.c", "LIB\\ab.c"},
        {"lib.d\\abc", "lib.d\\abc.LIB"},  // a dot in the folder does not count
        {"out/abc", "out/abc.LIB"},
        {"abc", "abc.LIB"},
        {"LIB\\\x81\x5C", "LIB\\\x81\x5C.LIB"},  // the 0x5C is no separator
    };
    for (const auto& c : cases) EXPECT_EQ(library_path(c.output), c.path) << c.output;
}

// The names the properties dialog lets through but Windows refuses, and look-alikes that
// are fine; the rule looks at the file name only, character by character.
TEST(FileNameRefusal, NamesWindowsRefusesAndOnlyThose) {
    const struct {
        std::string path;
        bool refused;
    } cases[] = {
        {"LIB\\a*b.LIB", true},
        {"LIB\\a?b.LIB", true},
        {"LIB\\a|b.LIB", true},
        {"LIB\\<x>.LIB", true},
        {"LIB\\a\"b.LIB", true},
        {"LIB\\a:b.LIB", true},
        {"LIB\\con.LIB", true},
        {"LIB\\CON", true},
        {"LIB\\nul.lib", true},
        {"LIB\\Com1.LIB", true},
        {"LIB\\lpt9.LIB", true},
        {"LIB\\aux .LIB", true},
        {"LIB\\abc.", true},
        {"LIB\\abc ", true},
        {"LIB\\a\tb.LIB", true},
        {"LIB\\abc.LIB", false},
        {"C:\\LEX\\abc.LIB", false},
        {"LIB\\console.LIB", false},
        {"LIB\\com10.LIB", false},
        {"LIB\\com0.LIB", false},
        {"LIB\\a.con", false},
        {"LIB\\\x81\x7C.LIB", false},  // 0x7C is the trail byte of a Chinese character, not '|'
        {"LIB\\\xB4\xCA\xBF\xE2.LIB", false},
    };
    for (const auto& c : cases) EXPECT_EQ(!file_name_refusal(c.path).empty(), c.refused) << c.path;
}

TEST(DirectoryOf, StepsOverTrailBytes) {
    EXPECT_EQ(directory_of("LIB\\abc.LIB"), "LIB");
    EXPECT_EQ(directory_of("a/b\\c"), "a/b");
    EXPECT_EQ(directory_of("\x81\x5C"
                           "x"),
              "");
    EXPECT_EQ(directory_of("\x81\x5C\\x"), "\x81\x5C");
}

TEST(ParseArguments, Modes) {
    std::string error;
    EXPECT_EQ(parse_arguments({"--help"}, error)->mode, Request::Mode::Help);
    EXPECT_EQ(parse_arguments({"/?"}, error)->mode, Request::Mode::Help);
    EXPECT_EQ(parse_arguments({"--version"}, error)->mode, Request::Mode::Version);
    EXPECT_EQ(parse_arguments({}, error)->mode, Request::Mode::Help);
    // Each command's operands and options land where its run looks for them.
    const auto extract = parse_arguments({"--extract", "a.exe", "-o", "x.trs", "b.dll", "--source-lang", "0x0409"},
                                         error);
    ASSERT_TRUE(extract) << error;
    EXPECT_EQ(extract->programs, (std::vector<std::string>{"a.exe", "b.dll"}));
    EXPECT_EQ(extract->output, "x.trs");
    EXPECT_EQ(extract->source_language, std::uint16_t{0x0409});
    const auto suggest = parse_arguments(
        {"--suggest", "-v", "--memory-file", "a.trs", "--top", "3", "--memory-file", "b.po", "--min", "80"}, error);
    ASSERT_TRUE(suggest) << error;
    EXPECT_EQ(suggest->source, "-v") << "the text looked up may start with '-'";
    EXPECT_EQ(suggest->memory_files, (std::vector<std::string>{"a.trs", "b.po"}));
    EXPECT_EQ(suggest->top, 3u);
    EXPECT_EQ(suggest->min_score, 80);
    const auto consistency = parse_arguments({"--consistency", "LIB"}, error);
    ASSERT_TRUE(consistency) << error;
    EXPECT_EQ(consistency->memory_folder, "LIB");
    const auto dump = parse_arguments({"--dump", "LIB\\abc.LIB"}, error);
    ASSERT_TRUE(dump);
    EXPECT_EQ(dump->mode, Request::Mode::Dump);
    EXPECT_EQ(dump->output, "LIB\\abc.LIB");
    const auto compile = parse_arguments({"temp.trs", "LIB\\abc", "--说明--"}, error);
    ASSERT_TRUE(compile) << error;
    EXPECT_EQ(compile->mode, Request::Mode::Compile);
    EXPECT_EQ(compile->description, "--说明--");
}

TEST(ParseArguments, Refusals) {
    const struct {
        Words words;
        const char* error;
    } cases[] = {
        {{"temp.trs", "LIB\\abc"},
         "参数个数不对：需要 3 个（源文件、输出的词库文件、词库说明），收到 2 个；用法：Mervik 源文件 输出文件 "
         "\"说明\""},
        {{"--frobnicate"}, "未知的选项“--frobnicate”（可用 --help 查看用法）"},
        {{"--dump"}, "用法：Mervik --dump 词库文件"},
        {{"--dump", "a.LIB", "b.LIB"}, "用法：Mervik --dump 词库文件"},
        {{"--import-po", "in.po", "-o", "a.trs", "-o", "b.trs"},
         "-o 只能给一次；用法：Mervik --import-po 文件.po -o 词库源文件.trs"},
        {{"--export-po", "in.trs"}, "缺少 -o 文件.po；用法：Mervik --export-po 源文件或词库文件 -o 文件.po"},
        {{"--pretranslate", "a.trs", "-o", "b.trs", "--min", "101"}, "--min 后面要写 1 到 100 的分数，不是“101”"},
        {{"--suggest", "Close", "--memory"},
         "选项“--memory”后面缺少值；用法：Mervik --suggest \"原文\" [--memory 文件夹] [--top N] [--min 分数] "
         "[--memory-file 文件]..."},
        {{"--suggest", "Close", "--top", "5"},
         "缺少 --memory 文件夹；用法：Mervik --suggest \"原文\" [--memory 文件夹] [--top N] [--min 分数] "
         "[--memory-file 文件]..."},
        {{"--consistency", "LIB", "--top", "5"},
         "--consistency 不认识选项“--top”；用法：Mervik --consistency 文件夹 [--memory-file 文件]..."},
        {{"temp.trs", "LIB\\", "d"}, "输出文件“LIB\\”没有文件名"},
        {{"", "LIB\\abc", "d"}, "源文件名为空"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parse_arguments(c.words, error).has_value());
        EXPECT_EQ(error, c.error);
    }
}

// --help is written from the table: every command with every one of its options.
TEST(ParseArguments, HelpListsEveryCommandAndOption) {
    const std::string help = help_text();
    for (const CommandSpec& command : command_specs()) {
        EXPECT_NE(help.find("  " + usage_line(command.mode)), std::string::npos) << command.name;
    }
    for (const OptionSpec& option : option_specs()) {
        EXPECT_NE(usage_line(option.mode).find(std::string(option.name)), std::string::npos) << option.name;
    }
    EXPECT_EQ(usage_line(Request::Mode::Pretranslate),
              "Mervik --pretranslate 词表.trs [--memory 文件夹] -o 结果.trs [--min 分数] [--memory-file 文件]...");
}

}  // namespace
}  // namespace mervik
