// PO import and export as whole runs: the files written, Mervik.ERR, and the round trip
// through a PO file back to the same library.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <utility>
#include <vector>

#include "lexicon/base/escapes.h"
#include "lexicon/wordlist/word_list.h"
#include "memory_platform.h"

namespace mervik {
using namespace lexicon;
namespace {

using testing::MemoryPlatform;

TEST(ExportPo, WritesAHeaderFlagsAndEscapes) {
    MemoryPlatform p;
    p.files["temp.trs"] =
        "&Open...=&O.打开...\r\n"
        "%s of %d=%2$d 中的 %1$s\r\n"
        "Save=\r\n"
        ";@no-placeholder-check\r\n"
        "%CPU=处理器\r\n"
        "Say \"hi\"\\\\=说“你好”\\\\\r\n"
        "One\\nTwo=一\\n二\r\n"
        "Copy %1=复制 %1\r\n";
    EXPECT_EQ(run({"--export-po", "temp.trs", "-o", "out\\zh.po"}, p), 0);
    EXPECT_EQ(
        p.files["out/zh.po"],
        "msgid \"\"\nmsgstr \"\"\n"
        "\"Project-Id-Version: Velmora\\n\"\n"
        "\"PO-Revision-Date: 2026-01-02 03:04+0000\\n\"\n"
        "\"Last-Translator: \\n\"\n\"Language-Team: \\n\"\n\"Language: zh_CN\\n\"\n\"MIME-Version: 1.0\\n\"\n"
        "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\"Content-Transfer-Encoding: 8bit\\n\"\n"
        "\"X-Generator: Mervik\\n\"\n"
        "\nmsgid \"&Open...\"\nmsgstr \"&O.\xE6\x89\x93\xE5\xBC\x80...\"\n"
        "\n#, c-format\nmsgid \"%s of %d\"\nmsgstr \"%2$d \xE4\xB8\xAD\xE7\x9A\x84 %1$s\"\n"
        "\nmsgid \"Save\"\nmsgstr \"\"\n"
        "\n#, no-c-format\nmsgid \"%CPU\"\nmsgstr \"\xE5\xA4\x84\xE7\x90\x86\xE5\x99\xA8\"\n"
        "\nmsgid \"Say \\\"hi\\\"\\\\\"\nmsgstr \"\xE8\xAF\xB4\xE2\x80\x9C\xE4\xBD\xA0\xE5\xA5\xBD\xE2\x80\x9D\\\\\"\n"
        "\nmsgid \"\"\n\"One\\n\"\n\"Two\"\nmsgstr \"\"\n\"\xE4\xB8\x80\\n\"\n\"\xE4\xBA\x8C\"\n"
        "\nmsgid \"Copy %1\"\nmsgstr \"\xE5\xA4\x8D\xE5\x88\xB6 %1\"\n");
    const std::vector<std::string> lines = p.message_lines();
    EXPECT_EQ(lines.back(), "已生成 PO 文件“out/zh.po”：7 个条目。");
}

// Word lists that go out to PO and come back: the library compiled from what comes back
// is the library of the original list, byte for byte, whether the export starts from
// the list or from its library.
const std::vector<std::string> round_trips = {
    "&Open...=&O.打开...\r\nSave=\r\nOpen=打开\r\nOpen=打开\r\n",
    "%s of %d=%2$d 中的 %1$s\r\n%5.2f%%=%.1f%%\r\n%ld bytes=%ld 字节\r\nCopy %1 to %2!d!=复制 %2!d! 到 %1\r\n100% "
    "done=100% 完成\r\n",
    ";@no-placeholder-check\r\n%CPU 占用=处理器占用\r\n;@no-placeholder-check\r\n%d%=%d\r\n",
    "\\sName:\\s=\\s名称：\\s\r\n\\;semi=分号\r\na\\=b=a=b\r\nTab\\there=制\\t表\r\nC:\\\\dir=盘\\\\\r\nCR\\r="
    "回车\\r\r\n",
    "\x81\x5C=\x81\x5C\xB1\xED\r\nEuro \x80=欧元 \x80\r\n\"quoted\"=“引号”\r\nLine\\nnext\\n=行\\n下一行\\n\r\n",
};

class RoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(RoundTrip, ImportOfExportCompilesToTheSameLibrary) {
    MemoryPlatform p;
    p.files["temp.trs"] = GetParam();
    ASSERT_EQ(run({"temp.trs", "LIB\\direct", "说明"}, p), 0) << p.files["prog/Mervik.ERR"];

    ASSERT_EQ(run({"--export-po", "temp.trs", "-o", "list.po"}, p), 0) << p.files["prog/Mervik.ERR"];
    ASSERT_EQ(run({"--import-po", "list.po", "-o", "back.trs"}, p), 0) << p.files["prog/Mervik.ERR"];
    ASSERT_EQ(run({"back.trs", "LIB\\from_list", "说明"}, p), 0) << p.files["prog/Mervik.ERR"];
    EXPECT_EQ(p.files["LIB/from_list.LIB"], p.files["LIB/direct.LIB"]);

    ASSERT_EQ(run({"--export-po", "LIB\\direct.LIB", "-o", "lib.po"}, p), 0) << p.files["prog/Mervik.ERR"];
    ASSERT_EQ(run({"--import-po", "lib.po", "-o", "lib.trs"}, p), 0) << p.files["prog/Mervik.ERR"];
    ASSERT_EQ(run({"lib.trs", "LIB\\from_library", "说明"}, p), 0) << p.files["prog/Mervik.ERR"];
    EXPECT_EQ(p.files["LIB/from_library.LIB"], p.files["LIB/direct.LIB"]);
}

INSTANTIATE_TEST_SUITE_P(Po, RoundTrip, ::testing::ValuesIn(round_trips));

// A package tool's --help text as translators get it: over 2,200 bytes, a line for each
// option, blanks that align the columns, a placeholder. Once the library held no text
// over 1,024 bytes, and a catalogue with such a text gave no library at all.
std::pair<std::string, std::string> long_help_texts() {
    const struct {
        const char* option;
        const char* english;
        const char* chinese;
    } options[] = {
        {"-i|--install       <.pkg file>...", "Install the package files.", "安装软件包文件。"},
        {"--unpack           <.pkg file>...", "Unpack, but do not configure.", "解包，但不配置。"},
        {"--configure        <package>... | -a|--pending", "Configure unpacked packages.", "配置已解包的软件包。"},
        {"--triggers-only    <package>... | -a|--pending", "Process triggers only.", "只处理触发器。"},
        {"-r|--remove        <package>... | -a|--pending", "Remove installed packages, keep settings.",
         "删除已安装的软件包，保留设置。"},
        {"-P|--purge         <package>... | -a|--pending", "Remove installed packages and their settings.",
         "删除已安装的软件包及其设置。"},
        {"-V|--verify        [<package>...]", "Verify the files of packages.", "校验软件包的文件。"},
        {"--get-selections   [<pattern>...]", "Write the selections to standard output.", "把选择状态写到标准输出。"},
        {"--set-selections", "Read the selections from standard input.", "从标准输入读取选择状态。"},
        {"--clear-selections", "Deselect every package that is not essential.", "取消选择所有非必需的软件包。"},
        {"--update-avail     [<Packages file>]", "Replace the available packages info.", "替换可用软件包的信息。"},
        {"--merge-avail      [<Packages file>]", "Merge with info from the file.", "与文件中的信息合并。"},
        {"--clear-avail", "Erase the existing available info.", "清除现有的可用信息。"},
        {"--forget-old-unavail", "Forget uninstalled unavailable packages.", "忘记未安装且不可用的软件包。"},
        {"-s|--status        [<package>...]", "Display package status details.", "显示软件包状态的详细信息。"},
        {"-p|--print-avail   [<package>...]", "Display available version details.", "显示可用版本的详细信息。"},
        {"-L|--listfiles     <package>...", "List the files owned by packages.", "列出软件包拥有的文件。"},
        {"-l|--list          [<pattern>...]", "List packages concisely.", "简要列出软件包。"},
        {"-S|--search        <pattern>...", "Find packages owning the files.", "查找拥有这些文件的软件包。"},
        {"-C|--audit         [<package>...]", "Check for broken packages.", "检查损坏的软件包。"},
        {"--add-architecture <arch>", "Add <arch> to the list of architectures.", "把 <架构> 加入架构列表。"},
        {"--remove-architecture <arch>", "Remove <arch> from the list of architectures.", "从架构列表中删除 <架构>。"},
        {"--print-architecture", "Print the native architecture.", "显示本机的架构。"},
        {"--compare-versions <a> <op> <b>", "Compare version numbers - see below.", "比较版本号，见下文。"},
        {"--force-help", "Show help on forcing.", "显示强制操作的帮助。"},
        {"-Dh|--debug=help", "Show help on debugging.", "显示调试的帮助。"},
    };
    std::string original = "Commands:\n", translation = "命令：\n";
    for (const auto& o : options) {
        std::string column = std::string("  ") + o.option;
        column.resize(std::max<std::size_t>(column.size() + 1, 50), ' ');
        original += column + o.english + "\n";
        translation += column + o.chinese + "\n";
    }
    original += "\nUse %s for a user-friendly package management.\n";
    translation += "\n要以友好的方式管理软件包，请用 %s。\n";
    return {original, translation};
}

std::string long_help_entry() {
    const auto [original, translation] = long_help_texts();
    return escape_text(original, EscapeFor::Original) + "=" + escape_text(translation, EscapeFor::Translation) +
           "\r\nShort=短\r\n";
}

INSTANTIATE_TEST_SUITE_P(LongText, RoundTrip, ::testing::Values(long_help_entry()));

TEST(LongText, IsAsLongAsARealHelpText) {
    EXPECT_GE(long_help_texts().first.size(), 2200u);
    EXPECT_GT(long_help_texts().second.size(), 1024u);
}

TEST(ExportPo, LineBreakMismatchGoesOutFuzzyWithAWarning) {
    MemoryPlatform p;
    p.files["temp.trs"] = "Done\\n=完成\r\n";
    EXPECT_EQ(run({"--export-po", "temp.trs", "-o", "zh.po"}, p), 0);
    EXPECT_NE(p.files["zh.po"].find("\n#, fuzzy\nmsgid \"Done\\n\"\n"), std::string::npos);
    EXPECT_EQ(p.message_lines().front(),
              "temp.trs(1): 警告 W211: 译文与原文开头或结尾的换行不一致，这一条目在 PO 文件中标为 "
              "fuzzy（需要审核）：“Done\\n”");
}

// A real catalogue holds a few entries that a GBK word list cannot: they stay out, each
// with its warning, the rest comes in, and the closing line counts them by reason.
TEST(ImportPo, LeavesOutOnlyWhatTheWordListCannotHoldAndCountsItByReason) {
    MemoryPlatform p;
    p.files["in.po"] =
        "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
        "msgid \"Copyright\"\nmsgstr \"\xC2\xA9\"\n\n"
        "msgid \"Nul\\0\"\nmsgstr \"\xE8\xAD\xA6\xE5\x91\x8A\\0\"\n\n"
        "msgctxt \"menu\"\nmsgid \"Save\"\nmsgstr \"\xE5\xAD\x98\xE7\x9B\x98\"\n\n"
        "msgid \"Save\"\nmsgstr \"\xE4\xBF\x9D\xE5\xAD\x98\"\n\n"
        "msgid \"%d%% done\"\nmsgstr \"\xE5\xAE\x8C\xE6\x88\x90 %d\"\n\n"
        "msgctxt \"toolbar\"\nmsgid \"Open\"\nmsgstr \"\xE6\x89\x93\xE5\xBC\x80\"\n\n"
        "msgctxt \"menu\"\nmsgid \"Open\"\nmsgstr \"\xE6\x89\x93\xE5\xBC\x80\"\n\n"
        "msgid \"Alert\\a\"\nmsgstr \"\xE8\xAD\xA6\xE5\x91\x8A\\a\"\n";
    EXPECT_EQ(run({"--import-po", "in.po", "-o", "out.txt"}, p), 0);
    // The two contexts of "Open" agree: one entry without them. The menu's "Save" differs
    // from the plain "Save": a lookup by the original cannot tell them apart.
    EXPECT_EQ(p.files["out.txt"], "Save=保存\r\n%d%% done=完成 %d\r\nAlert\\a=警告\\a\r\nOpen=打开\r\n");
    const std::vector<std::string> lines = p.message_lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "in.po(10): 警告 W231: 带 msgctxt（上下文）的条目与第 14 行的条目原文相同、译文不同；"
                        "词库只按原文查找，分不开这两个条目，这一条不导入"),
              lines.end());
    EXPECT_EQ(lines.back(),
              "已生成词库源文件“out.txt”：4 个条目；去掉了 2 个条目的上下文（msgctxt）；未导入 3 个（有 GBK "
              "中没有的字符 1 个，有 NUL 字符 1 个，上下文冲突 1 个）。");
}

// Control characters of real catalogues (a prompt's bell, a field separator between the
// answers of a yes/no question, a vertical tab) come through a PO file, a word list and
// a library and go back out as the same characters. msgunfmt writes the ones without a
// letter escape as raw bytes, so some inputs here hold them raw.
TEST(PoControlCharacters, ComeBackFromTheLibraryAsTheSameCharacters) {
    const struct {
        const char* name;
        std::string msgid, msgstr;  // as the PO file writes them
        std::string line;           // the word list's line
        std::string exported;       // the entry of the PO file exported from the library
    } cases[] = {
        {"U+0007 alert", "\\aDone", "\\a\xE5\xAE\x8C\xE6\x88\x90", "\\aDone=\\a完成",
         "msgid \"\\aDone\"\nmsgstr \"\\a\xE5\xAE\x8C\xE6\x88\x90\"\n"},
        {"U+001F written raw", "yes\x1Fy", "\xE6\x98\xAF\x1Fy", "yes\\x1Fy=是\\x1Fy",
         "msgid \"yes\\037y\"\nmsgstr \"\xE6\x98\xAF\\037y\"\n"},
        {"U+000B vertical tab", "a\\vb", "\xE7\x94\xB2\\v\xE4\xB9\x99", "a\\vb=甲\\v乙",
         "msgid \"a\\vb\"\nmsgstr \"\xE7\x94\xB2\\v\xE4\xB9\x99\"\n"},
        {"U+000C form feed in octal", "Page\\014", "\xE9\xA1\xB5\\f", "Page\\f=页\\f",
         "msgid \"Page\\f\"\nmsgstr \"\xE9\xA1\xB5\\f\"\n"},
        {"U+0008 backspace with a placeholder", "%s\\b", "\\x08%s", "%s\\b=\\b%s",
         "#, c-format\nmsgid \"%s\\b\"\nmsgstr \"\\b%s\"\n"},
        {"U+007F and U+001B", "\\x1B[0m\x7F", "\\033[0m\\177", "\\x1B[0m\\x7F=\\x1B[0m\\x7F",
         "msgid \"\\033[0m\\177\"\nmsgstr \"\\033[0m\\177\"\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryPlatform p;
        p.files["in.po"] = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\nmsgid \"" + c.msgid +
                           "\"\nmsgstr \"" + c.msgstr + "\"\n";
        ASSERT_EQ(run({"--import-po", "in.po", "-o", "list.trs"}, p), 0) << p.files["prog/Mervik.ERR"];
        EXPECT_EQ(p.files["list.trs"], c.line + "\r\n");
        ASSERT_EQ(run({"list.trs", "LIB\\c", "说明"}, p), 0) << p.files["prog/Mervik.ERR"];
        ASSERT_EQ(run({"--export-po", "LIB\\c.LIB", "-o", "out.po"}, p), 0) << p.files["prog/Mervik.ERR"];
        const std::string& out = p.files["out.po"];
        EXPECT_EQ(out.substr(out.find("\n\n") + 2), c.exported);
    }
}

// Runs that write nothing: the older file of the same name stays, and Mervik.ERR says why.
TEST(PoRuns, FailuresWriteNothing) {
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        std::string input;
        int exit_code;
        std::vector<std::string> messages;
    } cases[] = {
        {"import of a PO file with an error",
         {"--import-po", "in.po", "-o", "out.txt"},
         "msgid \"a\"\nmsgstr \"\xB4\xF2\"\n",
         1,
         {"in.po(2): 错误 E112: 字符串中的字节 0xB4 不是合法的 UTF-8（头条目声明的字符集是 UTF-8）",
          "共有 1 个错误，0 个警告。", "PO 文件有错误，未生成词库源文件；原有的同名文件保持不变。"}},
        {"export of a word list with an error",
         {"--export-po", "in.po", "-o", "out.txt"},
         "broken\r\n",
         1,
         {"in.po(1): 错误 E101: 缺少等号“=”，每一行应写作“原文=译文”：“broken”", "共有 1 个错误，0 个警告。",
          "源文件有错误，未生成 PO 文件；原有的同名文件保持不变。"}},
        {"export of a UTF-8 word list",
         {"--export-po", "in.po", "-o", "out.txt"},
         "\xEF\xBB\xBF"
         "a=b\r\n",
         1,
         {"in.po(1): 错误 E109: 文件开头是 UTF-8 的字节顺序标记（EF BB BF），这个文件是 UTF-8 "
          "编码；词库源文件必须保存为 GBK 编码（代码页 936）",
          "共有 1 个错误，0 个警告。", "源文件有错误，未生成 PO 文件；原有的同名文件保持不变。"}},
        {"export of a character from GBK's user-defined area",
         {"--export-po", "in.po", "-o", "out.txt"},
         "Logo=\xAA\xA1\r\n",
         1,
         {"in.po(1): 错误 E112: GBK 字符 0xAA 0xA1（用户自定义区）没有对应的 Unicode 字符，无法写入 PO 文件：“Logo”",
          "共有 1 个错误，0 个警告。", "有的文字无法转换，未生成 PO 文件；原有的同名文件保持不变。"}},
        {"export of a damaged library",
         {"--export-po", "in.po", "-o", "out.txt"},
         std::string("MVLB\r\n\x1A\0", 8),
         2,
         {"Mervik: 错误 E002: 无法读取词库“in.po”：不是 Mervik 词库文件（文件头不对）", "共有 1 个错误，0 个警告。",
          "未生成 PO 文件。"}},
        {"import without -o",
         {"--import-po", "in.po", "out.txt"},
         "",
         2,
         {"Mervik: 错误 E001: 用法：Mervik --import-po 文件.po -o 词库源文件.trs", "共有 1 个错误，0 个警告。",
          "未生成词库。"}},
        {"missing input",
         {"--import-po", "none.po", "-o", "out.txt"},
         "",
         2,
         {"Mervik: 错误 E002: 无法读取源文件“none.po”：文件或文件夹不存在", "共有 1 个错误，0 个警告。",
          "未生成词库源文件。"}},
    };
    for (const auto& c : cases) {
        MemoryPlatform p;
        p.files["in.po"] = c.input;
        p.files["out.txt"] = "old";
        EXPECT_EQ(run(c.arguments, p), c.exit_code) << c.name;
        EXPECT_EQ(p.files["out.txt"], "old") << c.name;
        EXPECT_EQ(p.message_lines(), c.messages) << c.name;
    }
}

}  // namespace
}  // namespace mervik
