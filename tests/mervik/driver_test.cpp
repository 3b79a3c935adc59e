// Whole runs: arguments, files read and written, exit codes, and Mervik.ERR in every case.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lexicon/library/library_reader.h"
#include "memory_platform.h"
#include "velmora_version.h"

namespace mervik {
using namespace lexicon;
namespace {

using testing::MemoryPlatform;

const std::vector<std::string> editor_arguments = {"temp.trs", "LIB\\abc", "测试"};

TEST(Run, WritesTheLibraryAndCreatesItsFolder) {
    MemoryPlatform p;
    p.files["temp.trs"] = "Open=打开\r\n";
    EXPECT_EQ(run(editor_arguments, p), 0);
    EXPECT_TRUE(p.directories.count("LIB"));
    std::string error;
    const auto library = Library::open(p.files["LIB/abc.LIB"], error);
    ASSERT_TRUE(library) << error;
    EXPECT_EQ(library->description(), "测试");
    EXPECT_EQ(library->lookup("Open"), "打开");
    EXPECT_EQ(p.message_lines(),
              (std::vector<std::string>{"共有 0 个错误，0 个警告。", "已生成词库“LIB/abc.LIB”：1 个条目，156 字节。"}));
}

TEST(Run, NestedOutputFoldersAreCreated) {
    MemoryPlatform p;
    p.files["temp.trs"] = "a=b\r\n";
    EXPECT_EQ(run({"temp.trs", "out\\x\\y\\ab.c.LIB", "d"}, p), 0);
    EXPECT_TRUE(p.files.count("out/x/y/ab.c.LIB"));
}

TEST(Run, SourceErrorsKeepTheOldLibrary) {
    MemoryPlatform p;
    p.files["temp.trs"] = "Open=打开\r\n";
    ASSERT_EQ(run(editor_arguments, p), 0);
    const std::string old_library = p.files["LIB/abc.LIB"];
    p.files["temp.trs"] = "Open=开启\r\nbroken\r\n";
    EXPECT_EQ(run(editor_arguments, p), 1);
    EXPECT_EQ(p.files["LIB/abc.LIB"], old_library);
    EXPECT_EQ(p.message_lines().back(), "源文件有错误，未生成词库；原有的同名词库保持不变。");
}

// Failures of the run itself: exit code 2, and still a message file that says why.
struct Failure {
    const char* name;
    std::vector<std::string> arguments;
    void (*prepare)(MemoryPlatform&);
    std::vector<std::string> messages;
};

const std::vector<Failure> failures = {
    {"missing source",
     editor_arguments,
     [](MemoryPlatform&) {},
     {"Mervik: 错误 E002: 无法读取源文件“temp.trs”：文件或文件夹不存在"}},
    {"source is a folder",
     editor_arguments,
     [](MemoryPlatform& p) { p.directories.insert("temp.trs"); },
     {"Mervik: 错误 E002: 无法读取源文件“temp.trs”：这是一个文件夹"}},
    {"source too large",
     editor_arguments,
     [](MemoryPlatform& p) { p.files["temp.trs"] = std::string(max_source_bytes + 1, 'a'); },
     {"Mervik: 错误 E004: 无法读取源文件“temp.trs”：文件太大（上限 256 MB）"}},
    {"too few arguments",
     {"temp.trs", "LIB\\abc"},
     [](MemoryPlatform&) {},
     {"Mervik: 错误 E001: 参数个数不对：需要 3 个（源文件、输出的词库文件、词库说明），收到 2 个；用法：Mervik 源文件 "
      "输出文件 \"说明\""}},
    {"description not GBK",
     {"temp.trs", "LIB\\abc", "ab\xFF"},
     [](MemoryPlatform& p) { p.files["temp.trs"] = "a=b"; },
     {"Mervik: 错误 E005: 词库说明的第 3 个字节起不是合法的 GBK 文字"}},
    {"description too long",
     {"temp.trs", "LIB\\abc", std::string(256, 'd')},
     [](MemoryPlatform& p) { p.files["temp.trs"] = "a=b"; },
     {"Mervik: 错误 E005: 词库说明长 256 字节，超过了上限 255 字节"}},
    {"output folder is a file",
     editor_arguments,
     [](MemoryPlatform& p) {
         p.files["temp.trs"] = "a=b";
         p.files["LIB"] = "";
     },
     {"Mervik: 错误 E003: 无法建立文件夹“LIB”：已有同名的文件，不是文件夹"}},
    {"output folder read-only",
     editor_arguments,
     [](MemoryPlatform& p) {
         p.files["temp.trs"] = "a=b";
         p.directories.insert("LIB");
         p.read_only.insert("LIB");
     },
     {"Mervik: 错误 E003: 无法写入词库“LIB/abc.LIB”：没有访问权限，或文件正被其他程序使用"}},
    {"library name Windows refuses",
     {"temp.trs", "LIB\\a*b", "说明"},
     [](MemoryPlatform& p) { p.files["temp.trs"] = "a=b"; },
     {"Mervik: 错误 E008: “LIB/a*b.LIB”不是合法的文件名：文件名中不能有字符 *（Windows 的文件名不能含有 < > : \" | ? * "
      "这些字符）"}},
    {"library name that is a device",
     {"temp.trs", "LIB\\con", "说明"},
     [](MemoryPlatform& p) { p.files["temp.trs"] = "a=b"; },
     {"Mervik: 错误 E008: “LIB/con.LIB”不是合法的文件名：CON 是 Windows 保留的设备名，不能用作文件名"}},
    {"out of memory",
     editor_arguments,
     [](MemoryPlatform& p) { p.out_of_memory = true; },
     {"Mervik: 错误 E007: 内存不足，无法完成编译"}},
};

class Failures : public ::testing::TestWithParam<Failure> {};

TEST_P(Failures, ExitTwoWithMessages) {
    MemoryPlatform p;
    GetParam().prepare(p);
    EXPECT_EQ(run(GetParam().arguments, p), 2);
    std::vector<std::string> expected = GetParam().messages;
    expected.push_back("共有 1 个错误，0 个警告。");
    expected.push_back("未生成词库。");
    EXPECT_EQ(p.message_lines(), expected);
    EXPECT_FALSE(p.files.count("LIB/abc.LIB"));
}

INSTANTIATE_TEST_SUITE_P(Mervik, Failures, ::testing::ValuesIn(failures),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(Run, AFailedWriteLeavesNoHalfLibrary) {
    MemoryPlatform p;
    p.files["temp.trs"] = "Open=打开\r\n";
    ASSERT_EQ(run(editor_arguments, p), 0);
    const std::string old_library = p.files["LIB/abc.LIB"];
    const std::string old_messages = p.files["prog/Mervik.ERR"];
    p.files["temp.trs"] = "Open=开启\r\n";
    p.fail_writes = true;
    EXPECT_EQ(run(editor_arguments, p), 2);
    EXPECT_EQ(p.files["LIB/abc.LIB"], old_library);
    // Not even Mervik.ERR could be written: the old one stays whole and stderr says why.
    EXPECT_EQ(p.files["prog/Mervik.ERR"], old_messages);
    EXPECT_NE(p.printed_errors.find("Mervik: 错误 E006: 无法写入消息文件“prog/Mervik.ERR”：磁盘空间不足"),
              std::string::npos);
}

TEST(Run, MessagesGoToStandardErrorToo) {
    MemoryPlatform p;
    p.files["temp.trs"] = "broken\r\n";
    EXPECT_EQ(run(editor_arguments, p), 1);
    EXPECT_EQ(p.printed_errors, p.files["prog/Mervik.ERR"]);
}

TEST(RunCommandLine, TheEditorsExactLine) {
    MemoryPlatform p;
    p.files["temp.trs"] = "a=b\r\n";
    EXPECT_EQ(run_command_line("Mervik.exe   temp.trs \"LIB\\abc\"  \"abc\\\"", p), 0);
    std::string error;
    const auto library = Library::open(p.files["LIB/abc.LIB"], error);
    ASSERT_TRUE(library) << error;
    EXPECT_EQ(library->description(), "abc\\");
}

TEST(RunCommandLine, UnbalancedQuoteIsReported) {
    MemoryPlatform p;
    EXPECT_EQ(run_command_line("Mervik.exe temp.trs \"LIB\\abc", p), 2);
    EXPECT_EQ(p.message_lines().at(0), "Mervik: 错误 E001: 命令行中的双引号不成对：Mervik.exe temp.trs \"LIB\\abc");
}

TEST(Run, HelpAndVersionPrintAndWriteNoMessageFile) {
    MemoryPlatform p;
    EXPECT_EQ(run({"--help"}, p), 0);
    EXPECT_NE(p.printed.find("用法："), std::string::npos);
    p.printed.clear();
    EXPECT_EQ(run({"--version"}, p), 0);
    EXPECT_EQ(p.printed, std::string("Mervik ") + VELMORA_VERSION_TEXT + "（写出的词库格式 1.0 和 1.1）\r\n");
    EXPECT_FALSE(p.files.count("prog/Mervik.ERR"));
}

}  // namespace
}  // namespace mervik
