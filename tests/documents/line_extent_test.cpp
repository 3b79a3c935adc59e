#include "documents/line_extent.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// ASCII 5 pixels, everything else (Chinese) 10.
int Width(char16_t c) { return c < 0x80 ? 5 : 10; }

TEST(LineExtent, LinesAndTheWidestLineAsTheControlBreaksThem) {
    struct Case {
        const char* what;
        std::u16string text;
        int lines;
        long long widest;
        std::u16string widestLine;
    };
    const Case cases[] = {
        {"empty", u"", 1, 0, u""},
        {"one line", u"abc", 1, 15, u"abc"},
        {"CR LF is one break", u"ab\r\ncdef\r\n", 3, 20, u"cdef"},
        {"bare LF and bare CR each break", u"a\nbb\rccc", 3, 15, u"ccc"},
        {"CR CR LF is two breaks", u"ab\r\r\ncd", 3, 10, u"ab"},
        {"Chinese is wider", u"ab\r\n中文x", 2, 25, u"中文x"},
        {"a tab goes to the next stop", u"a\tb\r\n\t\tc", 2, 85, u"\t\tc"},
        {"a tab on a stop goes a whole stop", u"aaaaaaaa\tb", 1, 85, u"aaaaaaaa\tb"},
    };
    for (const Case& c : cases) {
        documents::LineExtent extent = documents::MeasureLines(c.text, Width, 40);
        EXPECT_EQ(extent.lines, c.lines) << c.what;
        EXPECT_EQ(extent.widest, c.widest) << c.what;
        EXPECT_EQ(c.text.substr(extent.widestStart, extent.widestEnd - extent.widestStart), c.widestLine) << c.what;
    }
}

}  // namespace
