// PO files read into word lists: what each kind of entry becomes, what is left out with
// a warning, and bad input, which gives a message with its line and no word list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lexicon/exchange/po_reader.h"

namespace lexicon {
namespace {

const std::string utf8_header = "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";

struct Imported {
    std::string word_list;
    std::vector<std::string> messages;
    std::size_t errors;
};

Imported import(const std::string& po) {
    Diagnostics diagnostics;
    const PoImport result = word_list_from_po(po, diagnostics);
    Imported out{result.word_list, {}, diagnostics.errors()};
    for (const Diagnostic& d : diagnostics.listed()) out.messages.push_back(format_message(d, "zh.po"));
    return out;
}

struct Case {
    const char* name;
    std::string po;
    std::string word_list;
    std::vector<std::string> messages;
};

std::string case_name(const ::testing::TestParamInfo<Case>& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

// The PO texts below are UTF-8 (this file is compiled to GBK, so they are written as
// bytes); the word lists are GBK.
const std::vector<Case> imports = {
    {"entries, untranslated ones kept as such",
     utf8_header + "msgid \"&Open...\"\nmsgstr \"&O.\xE6\x89\x93\xE5\xBC\x80...\"\n\nmsgid \"Save\"\nmsgstr \"\"\n",
     "&Open...=&O.打开...\r\nSave=\r\n",
     {}},
    {"strings continued over lines, escapes resolved and written as the word list needs",
     utf8_header + "msgid \"\"\n\"Line one\\n\"\n\"Line\\ttwo\"\nmsgstr \"a\\\"b\\\\c\\r\"\n",
     "Line one\\nLine\\ttwo=a\"b\\\\c\\r\r\n",
     {}},
    {"texts the word list must escape",
     utf8_header + "msgid \" Name: \"\nmsgstr \" \xE5\x90\x8D: \"\n\nmsgid \";x=y\"\nmsgstr \"=\"\n",
     "\\sName:\\s=\\s名:\\s\r\n\\;x\\=y==\r\n",
     {}},
    {"no-c-format turns the placeholder check of that entry off",
     utf8_header + "#, no-c-format\nmsgid \"%CPU\"\nmsgstr \"CPU \xE5\x8D\xA0\xE7\x94\xA8\"\n\n#, c-format\nmsgid "
                   "\"%d\"\nmsgstr \"%d\"\n",
     ";@no-placeholder-check\r\n%CPU=CPU 占用\r\n%d=%d\r\n",
     {}},
    {"a context that conflicts is left out, one that does not comes in without it",
     utf8_header + "msgctxt \"menu\"\nmsgid \"Open\"\nmsgstr \"x\"\n\n"
                   "msgctxt \"a\"\nmsgid \"Go\"\nmsgstr \"g\"\n\n"
                   "msgctxt \"b\"\nmsgid \"Go\"\nmsgstr \"h\"\n\n"
                   "msgid \"Open\"\nmsgstr \"o\"\n\n"
                   "msgctxt \"c\"\nmsgid \"Open\"\nmsgstr \"o\"\n\n"
                   "msgctxt \"d\"\nmsgid \"Quit\"\nmsgstr \"q\"\n",
     "Open=o\r\nQuit=q\r\n",
     {"zh.po(5): 警告 W231: 带 msgctxt（上下文）的条目与第 17 行的条目原文相同、译文不同；"
      "词库只按原文查找，分不开这两个条目，这一条不导入",
      "zh.po(9): 警告 W231: 带 msgctxt（上下文）的条目与第 13 行的条目原文相同、译文不同；"
      "词库只按原文查找，分不开这两个条目，这一条不导入",
      "zh.po(13): 警告 W231: 带 msgctxt（上下文）的条目与第 9 行的条目原文相同、译文不同；"
      "词库只按原文查找，分不开这两个条目，这一条不导入",
      // Agrees with the entry without a context, but not with the menu's.
      "zh.po(20): 警告 W231: 带 msgctxt（上下文）的条目与第 5 行的条目原文相同、译文不同；"
      "词库只按原文查找，分不开这两个条目，这一条不导入"}},
    {"plural and obsolete entries are left out, one warning each",
     utf8_header + "msgid \"file\"\nmsgid_plural \"files\"\nmsgstr[0] \"y\"\nmsgstr[1] \"z\"\n\n"
                   "#~ msgid \"Old\"\n#~ msgstr \"o\"\n\n#~ msgctxt \"c\"\n#~ msgid \"Old2\"\n#~ msgstr \"o\"\n\n"
                   "msgid \"Kept\"\nmsgstr \"k\"\n",
     "Kept=k\r\n",
     {"zh.po(5): 警告 W209: 有复数形式（msgid_plural）的条目不导入：词库格式没有复数形式",
      "zh.po(10): 警告 W209: 已作废的条目（#~）不导入", "zh.po(13): 警告 W209: 已作废的条目（#~）不导入"}},
    {"an entry with a character GBK lacks or NUL is left out, the rest comes in",
     utf8_header + "msgid \"Smile\"\nmsgstr \"\xF0\x9F\x98\x80\"\n\n"
                   "msgid \"Hangul\"\nmsgstr \"\"\n\"ok\"\n\"\xED\x95\x9C\"\n\n"
                   "msgid \"(C) 2024\xC2\xA0x\"\nmsgstr \"\xC2\xA9 2024\"\n\n"
                   "msgid \"Nul\\0\"\nmsgstr \"b\"\n\n"
                   "msgid \"Kept\"\nmsgstr \"\xE4\xBF\x9D\xE7\x95\x99\"\n",
     "Kept=保留\r\n",
     {"zh.po(6): 警告 W230: 条目中的字符 U+1F600 在 GBK 中没有，这个条目不导入",
      "zh.po(11): 警告 W230: 条目中的字符 U+D55C 在 GBK 中没有，这个条目不导入",
      "zh.po(13): 警告 W230: 条目中的字符 U+00A0 在 GBK 中没有，这个条目不导入",
      "zh.po(16): 警告 W230: 条目中有 NUL 字符 U+0000（\\0），程序按以 NUL 结尾的字符串查找文字，这个条目不导入"}},
    {"control characters come in as the word list's escapes",
     utf8_header + "msgid \"Ring\\a%s\"\nmsgstr \"\\x07\\b\\f\\v\\037%s\\177\"\n",
     "Ring\\a%s=\\a\\b\\f\\v\\x1F%s\\x7F\r\n",
     {}},
    {"fuzzy entries are left out, a fuzzy header is not",
     "#, fuzzy\nmsgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n#: a.c:1\n#, fuzzy, "
     "c-format\nmsgid \"%s?\"\nmsgstr \"%s\xEF\xBC\x9F\"\n\n"
     "# translator's note\nmsgid \"A\"\nmsgstr \"B\"\n",
     "A=B\r\n",
     {"zh.po(7): 警告 W210: 标为 fuzzy（需要审核）的条目不导入；审核后去掉 fuzzy 标记再导入"}},
    {"GBK file taken as it is",
     "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=GB2312\\n\"\n\nmsgid \"Open\"\nmsgstr \"打开\"\n",
     "Open=打开\r\n",
     {}},
    {"Latin-1 file converted",
     "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n\nmsgid \"Caf\xE9\"\nmsgstr \"\xFC\"\n",
     "Caf\xA8\xA6=\xA8\xB9\r\n",
     {}},
    {"no header: UTF-8; a byte-order mark is skipped",
     "\xEF\xBB\xBFmsgid \"\xE2\x82\xAC\"\nmsgstr \"\xE2\x80\xA6\"\n",
     "\x80=…\r\n",
     {}},
    {"CR LF line ends and blanks around keywords", "msgid  \"a\"  \r\n  msgstr\t\"b\"\r\n", "a=b\r\n", {}},
};

class Imports : public ::testing::TestWithParam<Case> {};

TEST_P(Imports, GiveTheWordListAndWarnings) {
    const Imported r = import(GetParam().po);
    EXPECT_EQ(r.errors, 0u);
    EXPECT_EQ(r.word_list, GetParam().word_list);
    EXPECT_EQ(r.messages, GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(Po, Imports, ::testing::ValuesIn(imports), case_name);

const std::vector<Case> refusals = {
    {"unknown keyword",
     "msgid \"a\"\nmsgstr \"b\"\nmsgfoo \"c\"\n",
     "",
     {"zh.po(3): 错误 E110: 第 1 列：无法识别的关键字（可用的是 msgctxt、msgid、msgid_plural、msgstr）"}},
    {"unterminated string", "msgid \"a\"\nmsgstr \"b\n", "", {"zh.po(2): 错误 E110: 第 8 列：字符串缺少结束的双引号"}},
    {"string ending in a backslash",
     "msgid \"a\\\"\nmsgstr \"b\"\n",
     "",
     {"zh.po(1): 错误 E110: 第 7 列：字符串缺少结束的双引号"}},
    {"bad escape",
     "msgid \"a\\q\"\nmsgstr \"b\"\n",
     "",
     {"zh.po(1): 错误 E110: 第 9 列：无效的转义序列（可用的是 \\n \\t \\r \\\" \\\\ \\a \\b \\f \\v "
      "以及八进制和十六进制）"}},
    {"text after the string",
     "msgid \"a\" x\nmsgstr \"b\"\n",
     "",
     {"zh.po(1): 错误 E110: 第 11 列：字符串结束的双引号后面还有别的内容"}},
    {"string without a keyword",
     "\"a\"\n",
     "",
     {"zh.po(1): 错误 E110: 第 1 列：字符串前面缺少关键字（msgid、msgstr 等）"}},
    {"msgid without msgstr at the end",
     "msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"c\"\n",
     "",
     {"zh.po(4): 错误 E110: msgid 后面缺少 msgstr（文件在这个条目中结束）"}},
    {"msgid without msgstr before the next one",
     "msgid \"a\"\nmsgid \"c\"\nmsgstr \"d\"\n",
     "",
     {"zh.po(2): 错误 E110: 第 1 列：上一个 msgid（第 1 行）后面缺少 msgstr"}},
    {"plural entry with a plain msgstr",
     "msgid \"a\"\nmsgid_plural \"as\"\nmsgstr \"b\"\n",
     "",
     {"zh.po(3): 错误 E110: 第 1 列：有 msgid_plural 的条目要用 msgstr[0]、msgstr[1]……"}},
    {"a NUL byte",
     "msgid \"a\"\n" + std::string("msgstr \"b\0c\"\n", 13),
     "",
     {"zh.po(2): 错误 E110: 第 10 列有 NUL 字节（0x00）；PO 文件是文本文件，不能含有 NUL"}},
    {"unknown charset",
     "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=BIG5\\n\"\n\nmsgid \"a\"\nmsgstr \"b\"\n",
     "",
     {"zh.po(2): 错误 E111: 头条目声明的字符集“BIG5”无法识别；可用的字符集是 "
      "UTF-8、GBK（GB2312、CP936、GB18030）、ASCII 和 ISO-8859-1"}},
    {"bytes that are not UTF-8",
     utf8_header + "msgid \"a\"\nmsgstr \"\xB4\xF2\"\n",
     "",
     {"zh.po(6): 错误 E112: 字符串中的字节 0xB4 不是合法的 UTF-8（头条目声明的字符集是 UTF-8）"}},
    {"a GB18030 character outside GBK",
     "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=GB18030\\n\"\n\nmsgid \"a\"\nmsgstr "
     "\"\x81\x30\x81\x30\"\n",
     "",
     {"zh.po(5): 错误 E112: 字符串中的字节 0x81 不是 GBK 中的字符"}},
    {"a second empty msgid",
     utf8_header + "msgid \"\"\nmsgstr \"x\"\n",
     "",
     {"zh.po(5): 错误 E110: msgid 为空；只有文件开头的头条目可以没有原文"}},
};

class Refusals : public ::testing::TestWithParam<Case> {};

TEST_P(Refusals, NameTheLineAndGiveNoWordList) {
    const Imported r = import(GetParam().po);
    EXPECT_GT(r.errors, 0u);
    EXPECT_EQ(r.word_list, "");
    EXPECT_EQ(r.messages, GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(Po, Refusals, ::testing::ValuesIn(refusals), case_name);

// An 8 MB line: read through, and a message about it quotes none of it.
TEST(PoLimits, EightMegabyteLine) {
    const std::string long_text(8 * 1024 * 1024, 'a');
    const Imported good = import("msgid \"" + long_text + "\"\nmsgstr \"b\"\n");
    EXPECT_EQ(good.errors, 0u);
    EXPECT_EQ(good.word_list.size(), long_text.size() + 4);

    const Imported bad = import("msgid \"a\"\nmsgstr \"b\"\nmsgid \"" + long_text + "\nmsgstr \"c\"\n");
    EXPECT_EQ(bad.messages, std::vector<std::string>{"zh.po(3): 错误 E110: 第 7 列：字符串缺少结束的双引号"});
    EXPECT_EQ(bad.word_list, "");
}

// A million entries with one fault near the end: the message names its line and nothing
// of the million good entries comes out.
TEST(PoLimits, MillionEntriesAndOneFault) {
    std::string po = utf8_header;
    po.reserve(30'000'000);
    for (int i = 0; i < 1'000'000; ++i) {
        po += "msgid \"k";
        po += std::to_string(i);
        po += "\"\nmsgstr \"v\"\n";
    }
    po += "msgid \"last\"\nmsgstr \"\xFF\"\n";
    const Imported r = import(po);
    EXPECT_EQ(r.messages,
              std::vector<std::string>{
                  "zh.po(2000006): 错误 E112: 字符串中的字节 0xFF 不是合法的 UTF-8（头条目声明的字符集是 UTF-8）"});
    EXPECT_EQ(r.word_list, "");
}

}  // namespace
}  // namespace lexicon
