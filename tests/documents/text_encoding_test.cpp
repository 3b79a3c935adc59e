// Reading a file's bytes for the editor: GBK decoding that loses no byte after a
// stray one, UTF-8 recognised, converted to GBK, and what the conversion lacks.
#include <gtest/gtest.h>

#include <string>

#include "documents/document_rules.h"
#include "documents/text_encoding.h"

namespace {

using namespace documents;

TEST(DecodeGbk, AByteThatStartsNoCharacterIsOneReplacementAndTheNextByteIsKept) {
    struct Case {
        const char* what;
        std::string bytes;
        std::u16string chars;
    } cases[] = {
        {"ASCII", "a=%s\t\r\n", u"a=%s\t\r\n"},
        {"valid double bytes", "\xB4\xF2\xD3\xA1=x", u"打印=x"},
        {"trail byte that is ASCII", "\x81\x40@", u"丂@"},
        {"trail byte 0x5C", "\x95\x5C\\", u"昞\\"},
        {"invalid lead before ASCII", "\xAD%s", u"\uFFFD%s"},
        {"invalid lead before a control byte", "\xE4\r\n", u"\uFFFD\r\n"},
        {"UTF-8 of 中 before %", "\xE4\xB8\xAD%", u"涓\uFFFD%"},
        {"truncated at the end", "ab\xB4", u"ab\uFFFD"},
        {"lone lead only", "\x81", u"\uFFFD"},
        {"0x80 is the euro sign", "\x80%", u"\u20AC%"},
        {"0xFF stands alone", "\xFF%", u"\uF8F5%"},
        {"0xFF is no trail byte", "\xB4\xFF", u"\uFFFD\uF8F5"},
        {"0x7F is no trail byte", "\xB4\x7F", u"\uFFFD\x7F"},
        {"two leads in a row pair up", "\xB4\xB4", u"创"},
        {"user-defined area", "\xAA\xA1\xFE\xFE\xA1\x40", u"\uE000\uE4C5\uE4C6"},
        {"unassigned pair", "\xA2\xAB", u"\uE766"},
        {"NUL kept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        {"empty", "", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeGbk(c.bytes), c.chars) << c.what;
}

TEST(Utf8, RecognisedOnlyWhenWellFormedAndNotGbk) {
    struct Case {
        const char* what;
        std::string bytes;
        bool utf8;
        bool offered;
    } cases[] = {
        {"Chinese in UTF-8", "\xE4\xB8\xAD\xE6\x96\x87\n\xE4\xB8\xAD\n", true, true},
        // Short UTF-8 may pair up as GBK throughout: it is GBK then, and opens as it is.
        {"UTF-8 that pairs up as GBK", "\xE4\xB8\xAD\xE6\x96\x87\n", true, false},
        {"with a byte-order mark",
         "\xEF\xBB\xBF"
         "a\xE4\xB8\xAD\n",
         true, true},
        {"ASCII is GBK too", "abc %s\r\n", true, false},
        {"UTF-8 that is also valid GBK", "\xC5\x9F\xC2\xA9", true, false},
        {"GBK", "\xB4\xF2\xD3\xA1\xBB\xFA", false, false},
        {"Latin-1", "caf\xE9 %d", false, false},
        {"truncated sequence", "\xE4\xB8", false, false},
        {"overlong slash", "\xC0\xAF", false, false},
        {"surrogate", "\xED\xA0\x80", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsUtf8(c.bytes), c.utf8) << c.what;
        EXPECT_EQ(LooksLikeUtf8NotGbk(c.bytes), c.offered) << c.what;
    }
}

TEST(Utf8ToGbk, ConvertsAndNamesWhatGbkLacksOnceEach) {
    // 打印机=Printer, '%s', ş (U+015F), © (U+00A9), 😀 (U+1F600), ş again.
    auto result = Utf8ToGbk(
        "\xEF\xBB\xBF\xE6\x89\x93\xE5\x8D\xB0\xE6\x9C\xBA=Printer %s\r\n"
        "\xC5\x9F"
        "ey \xC2\xA9 \xF0\x9F\x98\x80 \xC5\x9F\r\n");
    EXPECT_EQ(result.gbk, "打印机=Printer %s\r\n?ey ? ? ?\r\n");
    EXPECT_EQ(result.missing, (std::vector<char32_t>{0x15F, 0xA9, 0x1F600}));
    // The euro sign is the single byte 0x80.
    EXPECT_EQ(Utf8ToGbk("\xE2\x82\xAC").gbk, "\x80");
}

TEST(MissingCharacters, TheListIsBounded) {
    EXPECT_EQ(CodePointList({0xA9, 0x15F, 0x1F600}, 5), "U+00A9、U+015F、U+1F600");
    std::vector<char32_t> many;
    for (char32_t c = 0x100; c < 0x100 + kMissingListed + 7; ++c) many.push_back(c);
    std::string message = MissingCharactersMessage(many);
    EXPECT_NE(message.find("U+0113"), std::string::npos);  // the 20th
    EXPECT_EQ(message.find("U+0114"), std::string::npos);  // the 21st
    EXPECT_NE(message.find("另有7个"), std::string::npos);
}

}  // namespace
