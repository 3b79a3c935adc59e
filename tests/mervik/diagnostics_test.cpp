// Every check of the compiler, seen the way the user sees it: the lines of Mervik.ERR.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lexicon/checks/entry_checks.h"
#include "memory_platform.h"

namespace mervik {
using namespace lexicon;
namespace {

struct Outcome {
    int exit_code;
    std::vector<std::string> messages;  // Mervik.ERR without its two closing lines
    std::vector<std::string> closing;
};

Outcome compile_source(const std::string& source) {
    testing::MemoryPlatform platform;
    platform.files["temp.trs"] = source;
    const int code = run({"temp.trs", "LIB\\abc", "说明"}, platform);
    std::vector<std::string> lines = platform.message_lines();
    Outcome result{code, {}, {}};
    const std::size_t split = lines.size() >= 2 ? lines.size() - 2 : 0;
    result.messages.assign(lines.begin(), lines.begin() + static_cast<long>(split));
    result.closing.assign(lines.begin() + static_cast<long>(split), lines.end());
    return result;
}

struct Case {
    const char* name;
    std::string source;
    std::vector<std::string> messages;
};

std::string repeat(char c, std::size_t n) { return std::string(n, c); }

// Cases whose messages are errors: the run ends with exit code 1 and no library.
const std::vector<Case> error_cases = {
    {"no equals sign", "Open\r\n", {"temp.trs(1): 错误 E101: 缺少等号“=”，每一行应写作“原文=译文”：“Open”"}},
    {"only an escaped equals sign",
     "a\\=b\r\n",
     {"temp.trs(1): 错误 E101: 缺少等号“=”，每一行应写作“原文=译文”：“a\\=b”"}},
    {"empty original", "=打开\r\n", {"temp.trs(1): 错误 E102: 等号前的原文为空：“=打开”"}},
    {"blank original", "  \t=打开\r\n", {"temp.trs(1): 错误 E102: 等号前的原文为空：“=打开”"}},
    {"byte that is never GBK", "Open=\xFF\r\n", {"temp.trs(1): 错误 E103: 第 6 列的字节 0xFF 不是合法的 GBK 字符"}},
    {"lead byte with a bad trail",
     "ab=\xB0\x20x\r\n",
     {"temp.trs(1): 错误 E103: 第 4 列的字节 0xB0 0x20 不是合法的 GBK 字符"}},
    {"lead byte at the end of a line",
     "Open=\xB0\r\nSave=保存\r\n",
     {"temp.trs(1): 错误 E103: 第 6 列的字节 0xB0 是不完整的 GBK 字符（行尾缺少第二个字节）"}},
    {"control byte, column counts leading blanks",
     "  a\x01=b\r\n",
     {"temp.trs(1): 错误 E103: 第 4 列是控制字符 0x01，词库中不能出现"}},
    {"escape before a byte that is never GBK",
     "a\\\xFF=b\r\n",
     {"temp.trs(1): 错误 E103: 第 3 列的字节 0xFF 不是合法的 GBK 字符"}},
    {"column counts the bytes as written, before escapes",
     "a\\tb\xFF=c\r\n",
     {"temp.trs(1): 错误 E103: 第 5 列的字节 0xFF 不是合法的 GBK 字符"}},
    {"unknown escape",
     "a\\q=b\r\n",
     {"temp.trs(1): 错误 E104: 第 2 列的转义序列“\\q”无效；可用的转义是 \\= \\\\ \\; \\t \\s \\n \\r \\a \\b "
      "\\f \\v \\xHH"}},
    {"a raw bell stays an error although its escape is fine",
     "Ring\\a=\x07\r\n",
     {"temp.trs(1): 错误 E103: 第 8 列是控制字符 0x07，词库中不能出现"}},
    {"\\x with one hex digit",
     "a\\x1=b\r\n",
     {"temp.trs(1): 错误 E104: 第 2 列的转义序列“\\x1=”无效；\\x 后面是两位十六进制数，只用于 01～1F 和 7F "
      "中没有字母转义的控制字符（\\x1B、\\x1F 等）"}},
    {"\\x for NUL",
     "a=b\\x00\r\n",
     {"temp.trs(1): 错误 E104: 第 4 列的转义序列“\\x00”无效；\\x 后面是两位十六进制数，只用于 01～1F 和 7F "
      "中没有字母转义的控制字符（\\x1B、\\x1F 等）"}},
    {"\\x for a printable byte",
     "a\\x41=b\r\n",
     {"temp.trs(1): 错误 E104: 第 2 列的转义序列“\\x41”无效；\\x 后面是两位十六进制数，只用于 01～1F 和 7F "
      "中没有字母转义的控制字符（\\x1B、\\x1F 等）"}},
    {"\\x for a byte with a letter escape",
     "a\\x0a=b\r\n",
     {"temp.trs(1): 错误 E104: 第 2 列的转义序列“\\x0a”无效；\\x 后面是两位十六进制数，只用于 01～1F 和 7F "
      "中没有字母转义的控制字符（\\x1B、\\x1F 等）"}},
    {"\\x at the end of the line",
     "a=b\\x\r\n",
     {"temp.trs(1): 错误 E104: 第 4 列的转义序列“\\x”无效；\\x 后面是两位十六进制数，只用于 01～1F 和 7F "
      "中没有字母转义的控制字符（\\x1B、\\x1F 等）"}},
    {"backslash at the end of the line",
     "a=b\\\r\n",
     {"temp.trs(1): 错误 E104: 第 4 列的反斜杠“\\”在行尾，后面缺少要转义的字符（反斜杠本身写作 \\\\）"}},
    {"same original, other translation",
     "Open=打开\r\nSave=保存\r\nOpen=开启\r\n",
     {"temp.trs(3): 错误 E105: 原文“Open”在第 1 行译为“打开”，这一行却译为“开启”"}},
    {"original over the limit",
     repeat('a', 65536) + "=甲\r\n",
     {"temp.trs(1): 错误 E106: 原文长 65536 字节，超过了上限 65535 字节：“" + repeat('a', 60) + "……”"}},
    {"translation over the limit",
     "a=" + repeat('b', 65536) + "\r\n",
     {"temp.trs(1): 错误 E107: 译文长 65536 字节，超过了上限 65535 字节：“" + repeat('b', 60) + "……”"}},
    {"placeholder added",
     "%s files=%s 个文件 %d\r\n",
     {"temp.trs(1): 错误 E108: 格式占位符的个数不一致：原文是“%s”，译文是“%s %d”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
    {"placeholder dropped",
     "%d items=项目\r\n",
     {"temp.trs(1): 错误 E108: 格式占位符的个数不一致：原文是“%d”，译文是“（无）”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
    {"placeholders swapped",
     "%s of %d=%d 中的 %s\r\n",
     {"temp.trs(1): 错误 E108: 格式占位符的顺序或类型不一致：原文是“%s %d”，译文是“%d %s”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
    {"a percent sign takes no argument and is not listed",
     "%5.2f%%=%%\r\n",
     {"temp.trs(1): 错误 E108: 格式占位符的个数不一致：原文是“%5.2f”，译文是“（无）”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
    {"a flag does not hide a dropped argument",
     "Invalid %'d of %s=无效的 %'d\r\n",
     {"temp.trs(1): 错误 E108: 格式占位符的个数不一致：原文是“%'d %s”，译文是“%'d”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
    {"Microsoft's I64 is a length modifier, not a flag",
     "%I64d bytes=%d 字节\r\n",
     {"temp.trs(1): 错误 E108: 格式占位符的顺序或类型不一致：原文是“%I64d”，译文是“%d”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
    {"length modifier changes the argument",
     "%ld bytes=%d 字节\r\n",
     {"temp.trs(1): 错误 E108: 格式占位符的顺序或类型不一致：原文是“%ld”，译文是“%d”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
    {"an <inttypes.h> macro of another type",
     "%<PRIdMAX> files=%<PRIuMAX> 个文件\r\n",
     {"temp.trs(1): 错误 E108: 格式占位符的顺序或类型不一致：原文是“%<PRIdMAX>”，译文是“%<PRIuMAX>”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
    {"numbered argument missing from the translation",
     "%1$s of %2$d=%1$s\r\n",
     {"temp.trs(1): 错误 E108: 格式占位符所取的参数不一致：原文是“%1$s %2$d”，译文是“%1$s”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
    {"numbered arguments reordered with their types swapped",
     "%1$s of %2$d=%1$d 中的 %2$s\r\n",
     {"temp.trs(1): 错误 E108: 格式占位符的参数类型不一致：原文是“%1$s %2$d”，译文是“%1$d %2$s”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
    {"positional translation names an argument the original lacks",
     "%s files=%2$s 个文件\r\n",
     {"temp.trs(1): 错误 E108: 格式占位符所取的参数不一致：原文是“%s”，译文是“%2$s”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
    {"Windows insert dropped",
     "Copy %1 to %2=复制到 %2\r\n",
     {"temp.trs(1): 错误 E108: 格式占位符所取的参数不一致：原文是“%1 %2”，译文是“%2”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
    {"Windows insert with another format",
     "%1!d! files=%1!s! 个文件\r\n",
     {"temp.trs(1): 错误 E108: 格式占位符的参数类型不一致：原文是“%1!d!”，译文是“%1!s!”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
    {"opt-out comment must be directly before the entry",
     ";@no-placeholder-check\r\n\r\n%CPU=处理器\r\n",
     {"temp.trs(3): 错误 E108: 格式占位符的个数不一致：原文是“%C”，译文是“（无）”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
    {"opt-out covers one entry only",
     ";@no-placeholder-check\r\n%CPU=处理器\r\n%d MB=MB\r\n",
     {"temp.trs(2): 警告 W208: "
      "格式占位符的个数不一致：原文是“%C”，译文是“（无）”；前一行的“;@no-placeholder-check”关闭了这一条目的占位符检查",
      "temp.trs(3): 错误 E108: 格式占位符的个数不一致：原文是“%d”，译文是“（无）”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
    {"UTF-8 byte-order mark",
     "\xEF\xBB\xBFOpen=\xE6\x89\x93\xE5\xBC\x80\r\nSave=\r\n",
     {"temp.trs(1): 错误 E109: 文件开头是 UTF-8 的字节顺序标记（EF BB BF），这个文件是 UTF-8 "
      "编码；词库源文件必须保存为 GBK 编码（代码页 936）"}},
    {"UTF-8 text that is not GBK",
     // 打开 reads as three GBK characters; 打开文件吗 (15 bytes) cannot.
     "; x\r\nOpen=\xE6\x89\x93\xE5\xBC\x80\r\nOpen "
     "file?=\xE6\x89\x93\xE5\xBC\x80\xE6\x96\x87\xE4\xBB\xB6\xE5\x90\x97\r\n",
     {"temp.trs(1): 错误 E109: 文件看来是 UTF-8 编码（第 3 行的文字是合法的 UTF-8，却不是合法的 "
      "GBK）；词库源文件必须保存为 GBK 编码（代码页 936）"}},
    {"UTF-16 as Notepad saves \"Unicode\"",
     std::string("\xFF\xFEO\0p\0e\0n\0=\0\x53\x62\x00\x5F\r\0\n\0", 20),
     {"temp.trs(1): 错误 E113: 文件开头是 UTF-16LE 的字节顺序标记（FF FE），这个文件是 UTF-16LE "
      "编码（记事本叫“Unicode”）；词库源文件必须保存为 GBK 编码（代码页 936）"}},
    {"UTF-16 big endian",
     std::string("\xFE\xFF\0O\0=\0x", 8),
     {"temp.trs(1): 错误 E113: 文件开头是 UTF-16BE 的字节顺序标记（FE FF），这个文件是 UTF-16BE "
      "编码（记事本叫“Unicode”）；词库源文件必须保存为 GBK 编码（代码页 936）"}},
    {"an RTF document saved as a list",
     "{\\rtf1\\ansi\\ansicpg936 Open=\\'b4\\'f2\\'bf\\'aa\\par\r\n}",
     {"temp.trs(1): 错误 E114: 文件以“{\\rtf”开头，是 RTF 格式的文档，不是纯文本的词表；"
      "请把它另存为纯文本（GBK 编码的 .txt）再编译"}},
    {"star width takes an argument",
     "%*d=%d\r\n",
     {"temp.trs(1): 错误 E108: 格式占位符的顺序或类型不一致：原文是“%*d”，译文是“%d”（这些 % "
      "不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）"}},
};

// Cases whose messages are warnings only: the library is still written.
const std::vector<Case> warning_cases = {
    {"same entry twice",
     "Open=打开\r\nOpen=打开\r\n",
     {"temp.trs(2): 警告 W201: 与第 1 行的条目完全相同，这一行不会再次写入词库：“Open”"}},
    {"empty translation",
     "Open=\r\n",
     {"temp.trs(1): 警告 W202: 原文“Open”的译文为空；这一条目不写入词库，程序中将显示原文"}},
    {"empty translation with blanks after the equals sign",
     "Open =  \r\n",
     {"temp.trs(1): 警告 W202: 原文“Open”的译文为空；这一条目不写入词库，程序中将显示原文"}},
    {"translation same as original", "OK=OK\r\n", {"temp.trs(1): 警告 W203: 译文与原文相同，可能尚未翻译：“OK”"}},
    {"access key lost",
     "&Open=打开\r\n",
     {"temp.trs(1): 警告 W204: 快捷键标记“&”不一致：原文“&Open”有 1 个，译文“打开”有 0 个"}},
    {"two access keys for one",
     "&Open=&O打&开\r\n",
     {"temp.trs(1): 警告 W204: 快捷键标记“&”不一致：原文“&Open”有 1 个，译文“&O打&开”有 2 个"}},
    {"leading blank only in the original",
     "\\sOpen=打开\r\n",
     {"temp.trs(1): 警告 W205: 开头的空白不一致：原文“\\sOpen”，译文“打开”"}},
    {"trailing blank only in the original",
     "Name:\\s=名称：\r\n",
     {"temp.trs(1): 警告 W205: 结尾的空白不一致：原文“Name:\\s”，译文“名称：”"}},
    {"tab is not a blank",
     "Name:\\t=名称：\\s\r\n",
     {"temp.trs(1): 警告 W205: 结尾的空白不一致：原文“Name:\\t”，译文“名称：\\s”"}},
    {"ellipsis dropped",
     "Open...=打开\r\n",
     {"temp.trs(1): 警告 W206: 结尾标点不一致：原文“Open...”以省略号“...”结尾，译文“打开”没有结尾标点"}},
    {"a long text shows its end, and says it was cut in words, not with an ellipsis",
     repeat('a', 70) + ".=" + repeat('b', 30) + "\r\n",
     {"temp.trs(1): 警告 W206: 结尾标点不一致：原文（前略）“" + repeat('a', 59) + ".”以句号“.”结尾，译文“" +
      repeat('b', 30) + "”没有结尾标点"}},
    {"colon added",
     "Name=名称：\r\n",
     {"temp.trs(1): 警告 W206: 结尾标点不一致：原文“Name”没有结尾标点，译文“名称：”以冒号“：”结尾"}},
    {"colon for an ellipsis",
     "Find...=查找：\r\n",
     {"temp.trs(1): 警告 W206: 结尾标点不一致：原文“Find...”以省略号“...”结尾，译文“查找：”以冒号“：”结尾"}},
    {"opt-out comment before a placeholder mismatch",
     "; 处理器\r\n  ;@no-placeholder-check  \r\n%CPU 占用=处理器占用\r\n",
     {"temp.trs(3): 警告 W208: "
      "格式占位符的个数不一致：原文是“%C”，译文是“（无）”；前一行的“;@no-placeholder-"
      "check”关闭了这一条目的占位符检查"}},
    {"only comments", "; nothing yet\r\n\r\n", {"temp.trs: 警告 W207: 源文件中没有任何条目，生成的词库是空的"}},
    {"empty file", "", {"temp.trs: 警告 W207: 源文件中没有任何条目，生成的词库是空的"}},
    {"several warnings on one line, in a fixed order",
     "&Open...=打开\r\n",
     {"temp.trs(1): 警告 W204: 快捷键标记“&”不一致：原文“&Open...”有 1 个，译文“打开”有 0 个",
      "temp.trs(1): 警告 W206: 结尾标点不一致：原文“&Open...”以省略号“...”结尾，译文“打开”没有结尾标点"}},
};

// Sources that must pass without a single message.
const std::vector<Case> clean_cases = {
    {"menu item with access key and ellipsis", "&Open...=&O.打开...\r\n", {}},
    {"full-width punctuation matches ASCII",
     "Save as...=另存为……\r\nName:=名称：\r\nReally?=真的？\r\nStop!=停！\r\n",
     {}},
    {"single ellipsis character", "Wait...=请稍候…\r\n", {}},
    {"literal ampersands", "R&&D=研发\r\nSave && Exit=保存并退出\r\n", {}},
    {"precision and flags may change", "%5.2f MB=%.1f MB\r\n%-8s=%s\r\n", {}},
    {"%i and %d take the same argument", "%i files=%d 个文件\r\n", {}},
    {"percent signs that start no conversion", "100% done=100% 完成\r\n", {}},
    {"identical texts without letters", "100=100\r\n...=...\r\n", {}},
    {"blanks at the ends kept on both sides", "\\sName:\\s=\\s名称：\\s\r\n", {}},
    {"longest allowed texts", repeat('a', 65535) + "=" + repeat('b', 65535) + "\r\n", {}},
    {"numbered placeholders reordered", "%s of %d=%2$d 中的 %1$s\r\n%1$s to %2$s=%2$s 到 %1$s\r\n", {}},
    {"Windows inserts reordered", "Copy %1 to %2=将 %1 复制到 %2\r\nMove %1!s! to %2!d!=移到 %2!d!：%1\r\n", {}},
    {"width before a letter is printf, not a Windows insert", "%1d of %2d=%1d / %2d\r\n", {}},
    {"opt-out before an entry whose placeholders agree", ";@no-placeholder-check\r\n%d files=%d 个文件\r\n", {}},
    {"GBK file whose first Chinese line is also valid UTF-8", "Model=\xC4\xA3\r\nMiddle=\xD6\xD0\r\n", {}},
    {"trail byte 0x5C is not an escape", "\x81\x5C=\x81\x5C\xB1\xED\r\n", {}},
    // As msgfmt -c compares them: %% takes no argument, ' and I are flags.
    {"a percent sign may be added or dropped", "%F %S %%=%F %S\r\n%% %s=%s %%\r\n%d%%=%d\r\n", {}},
    {"thousands and locale-digit flags",
     "%'dnd link to %s=到 %2$s 的第 %1$'d 个链接\r\n%'d files=%d 个文件\r\n%Id items=%d 项\r\n",
     {}},
};

class ErrorCases : public ::testing::TestWithParam<Case> {};
class WarningCases : public ::testing::TestWithParam<Case> {};
class CleanCases : public ::testing::TestWithParam<Case> {};

TEST_P(ErrorCases, ReportedAndNoLibrary) {
    const Outcome r = compile_source(GetParam().source);
    EXPECT_EQ(r.messages, GetParam().messages);
    EXPECT_EQ(r.exit_code, 1);
    ASSERT_EQ(r.closing.size(), 2u);
    EXPECT_EQ(r.closing[1], "源文件有错误，未生成词库；原有的同名词库保持不变。");
}

TEST_P(WarningCases, ReportedAndLibraryWritten) {
    const Outcome r = compile_source(GetParam().source);
    EXPECT_EQ(r.messages, GetParam().messages);
    EXPECT_EQ(r.exit_code, 0);
    ASSERT_EQ(r.closing.size(), 2u);
    EXPECT_EQ(r.closing[0], "共有 0 个错误，" + std::to_string(GetParam().messages.size()) + " 个警告。");
}

TEST_P(CleanCases, NoMessages) {
    const Outcome r = compile_source(GetParam().source);
    EXPECT_EQ(r.messages, std::vector<std::string>{});
    EXPECT_EQ(r.exit_code, 0);
}

std::string case_name(const ::testing::TestParamInfo<Case>& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Mervik, ErrorCases, ::testing::ValuesIn(error_cases), case_name);
INSTANTIATE_TEST_SUITE_P(Mervik, WarningCases, ::testing::ValuesIn(warning_cases), case_name);
INSTANTIATE_TEST_SUITE_P(Mervik, CleanCases, ::testing::ValuesIn(clean_cases), case_name);

// The summary counts the untranslated line among the warnings, and the library leaves
// it out.
TEST(MessageFile, SummaryCountsErrorsAndWarningsAndNamesTheLibrary) {
    const Outcome r = compile_source("Open=打开\r\nOpen=打开\r\nSave=\r\n");
    ASSERT_EQ(r.closing.size(), 2u);
    EXPECT_EQ(r.closing[0], "共有 0 个错误，2 个警告。");
    EXPECT_EQ(r.closing[1], "已生成词库“LIB/abc.LIB”：1 个条目，156 字节。");
}

TEST(MessageFile, ErrorsAndWarningsAreListedInLineOrder) {
    const Outcome r = compile_source("OK=OK\r\nbroken\r\nOpen=\r\n");
    ASSERT_EQ(r.messages.size(), 3u);
    EXPECT_TRUE(r.messages[0].starts_with("temp.trs(1): 警告 W203: ")) << r.messages[0];
    EXPECT_TRUE(r.messages[1].starts_with("temp.trs(2): 错误 E101: ")) << r.messages[1];
    EXPECT_TRUE(r.messages[2].starts_with("temp.trs(3): 警告 W202: ")) << r.messages[2];
    EXPECT_EQ(r.closing[0], "共有 1 个错误，2 个警告。");
}

TEST(MessageFile, ListStopsAtAThousandButCountsEverything) {
    std::string source;
    for (int i = 0; i < 1500; ++i) source += "broken\r\n";
    const Outcome r = compile_source(source);
    ASSERT_EQ(r.messages.size(), 1001u);
    EXPECT_EQ(r.messages[999], "temp.trs(1000): 错误 E101: 缺少等号“=”，每一行应写作“原文=译文”：“broken”");
    EXPECT_EQ(r.messages[1000], "……另有 500 条消息未列出。");
    EXPECT_EQ(r.closing[0], "共有 1500 个错误，0 个警告。");
}

TEST(MessageFile, MessagesBeyondTheListAreCountedByKind) {
    // Past the thousandth message the texts are not composed; errors and warnings of
    // every kind still count where they belong.
    std::string source;
    for (int i = 0; i < 600; ++i) {
        const std::string n = std::to_string(i);
        source += "broken" + n + "\r\nSame " + n + "=Same " + n + "\r\nDone " + n + ".=完成" + n + "\r\n";
    }
    const Outcome r = compile_source(source);
    ASSERT_EQ(r.messages.size(), 1001u);
    EXPECT_EQ(r.messages[1000], "……另有 800 条消息未列出。");
    EXPECT_EQ(r.closing[0], "共有 600 个错误，1200 个警告。");
}

}  // namespace
// Entries that gettext's msgfmt -c accepts, found in real catalogues, are accepted too.
TEST(Placeholders, AcceptedAsMsgfmtAcceptsThem) {
    const struct {
        const char* name;
        const char* original;
        const char* translation;
    } cases[] = {
        {"an <inttypes.h> macro is one conversion", "%<PRIdMAX> files", "%<PRIdMAX> 个文件"},
        {"a precision taken from a numbered argument", "%.*s and %s", "%3$s 和 %2$.*1$s"},
        {"a strftime format is no C format and is not compared", "%a %b %e %H:%M:%S %Y", "%Y年%b%e日 %H:%M:%S"},
        {"a linker's own format is not compared", "%X%C (%T)", "%X%C（%T）"},
    };
    for (const auto& c : cases) EXPECT_TRUE(lexicon::placeholders_match(c.original, c.translation)) << c.name;
    EXPECT_FALSE(lexicon::placeholders_match("%<PRIdMAX> files", "%d 个文件"));
    EXPECT_FALSE(lexicon::placeholders_match("%.*s and %s", "%2$s 和 %3$s"));
}

}  // namespace mervik

// Texts with few placeholders and texts with many are compared the same way: each
// count of placeholders must tell a fault apart from a faithful translation, and name
// the kind of fault.
TEST(Placeholders, ManyPlaceholdersAreComparedAsFewAre) {
    for (const int count : {2, 15, 16, 17, 40}) {
        std::string original, same, swapped, dropped;
        for (int k = 0; k < count; ++k) {
            const std::string p = k % 2 == 0 ? "%s" : "%d";
            original += "a" + p;
            same += "甲" + p;
            swapped += "甲" + std::string(k == count - 1 ? "%f" : p);
            if (k != count / 2) dropped += "甲" + p;
        }
        SCOPED_TRACE(std::to_string(count) + " placeholders");
        EXPECT_TRUE(lexicon::placeholders_match(original, same));
        const auto message = [&](const std::string& translation) {
            lexicon::Diagnostics diagnostics;
            lexicon::check_entry(original, translation, 1, diagnostics);
            for (const auto& d : diagnostics.listed()) {
                if (d.code == lexicon::Code::PlaceholderMismatch) return d.text;
            }
            return std::string();
        };
        EXPECT_NE(message(swapped).find("格式占位符的顺序或类型不一致"), std::string::npos) << message(swapped);
        EXPECT_NE(message(dropped).find("格式占位符的个数不一致"), std::string::npos) << message(dropped);
    }
}
