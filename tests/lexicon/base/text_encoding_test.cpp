// The one rule that tells a word list's encoding: the editor, the compiler and the
// library editor all ask it.
#include <gtest/gtest.h>

#include <string>

#include "lexicon/base/text_encoding.h"

namespace lexicon {
namespace {

TEST(TextEncoding, MarksDecideAtOnceAndUtf8OnlyWhenTheWholeFileIsUtf8AndNotGbk) {
    using E = TextEncoding;
    struct Case {
        const char* what;
        std::string bytes;
        E encoding;
        bool mark;
        std::uint32_t line;
    } cases[] = {
        {"empty", "", E::Gbk, false, 0},
        {"ASCII", "Open=打开 is GBK\r\n", E::Gbk, false, 0},
        {"GBK", "\xB4\xF2\xBF\xAA=Open\r\n", E::Gbk, false, 0},
        {"UTF-16LE", std::string("\xFF\xFEO\0=\0", 6), E::Utf16Le, true, 0},
        {"UTF-16BE", std::string("\xFE\xFF\0O\0=", 6), E::Utf16Be, true, 0},
        {"UTF-8 with its mark",
         "\xEF\xBB\xBF"
         "a=b\r\n",
         E::Utf8, true, 1},
        {"RTF", "{\\rtf1\\ansi x}", E::Rtf, false, 0},
        {"a brace that is no RTF", "{x}=y", E::Gbk, false, 0},
        // 打开文件吗 in UTF-8: line 2 cannot be GBK.
        {"UTF-8 on line 2", "; x\r\nOpen=\xE6\x89\x93\xE5\xBC\x80\xE6\x96\x87\xE4\xBB\xB6\xE5\x90\x97\r\n", E::Utf8,
         false, 2},
        {"UTF-8 that pairs up as GBK throughout", "\xE4\xB8\xAD\xE6\x96\x87\n", E::Gbk, false, 0},
        // A line of UTF-8, then a line of GBK: neither whole, so nothing is converted away.
        {"mixed lines",
         "a=\xE6\x89\x93\xE5\xBC\x80\xE6\x96\x87\xE4\xBB\xB6\xE5\x90\x97\r\n"
         "b=\xB4\xF2\xBF\xAA\r\n",
         E::Gbk, false, 0},
        {"Latin-1", "caf\xE9=x", E::Gbk, false, 0},
        {"a bare CR counts as a line end", "a\rb\r\xE5\x90\x97\n", E::Utf8, false, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const EncodingFinding found = detect_text_encoding(c.bytes);
        EXPECT_EQ(found.encoding, c.encoding);
        EXPECT_EQ(found.byte_order_mark, c.mark);
        EXPECT_EQ(found.evidence_line, c.line);
    }
}

TEST(TextEncoding, Names) {
    EXPECT_STREQ(encoding_name(TextEncoding::Utf16Le), "UTF-16LE");
    EXPECT_STREQ(encoding_name(TextEncoding::Utf16Be), "UTF-16BE");
    EXPECT_STREQ(encoding_name(TextEncoding::Utf8), "UTF-8");
    EXPECT_STREQ(encoding_name(TextEncoding::Rtf), "RTF");
    EXPECT_STREQ(encoding_name(TextEncoding::Gbk), "GBK");
}

}  // namespace
}  // namespace lexicon
