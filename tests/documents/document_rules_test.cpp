// The window-free rules of the document windows and file commands.
#include <gtest/gtest.h>

#include <string>

#include "documents/document_rules.h"
#include "documents/gbk_text.h"
#include "lexicon/base/gbk.h"
#include "widgets/splitter_geometry.h"

namespace {

using namespace documents;

TEST(NonameCaption, CountsTheOtherOpenDocuments) {
    struct Case {
        std::size_t open;
        const char* caption;
    } cases[] = {{1, "NONAME0"}, {2, "NONAME1"}, {3, "NONAME2"}, {11, "NONAME10"}};
    for (const auto& c : cases) EXPECT_EQ(NonameCaption(c.open), c.caption) << c.open;
}

TEST(NeedsSaveDialog, AnyCaptionHoldingNonameExactly) {
    struct Case {
        const char* caption;
        bool dialog;
    } cases[] = {
        {"NONAME0", true},
        {"NONAME12", true},
        {"C:\\NONAME\\A.TXT", true},
        {"C:\\LEX\\XNONAMEX", true},
        {"C:\\LEX\\A.TXT", false},
        {"noname1", false},
        {"NONAM", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(NeedsSaveDialog(c.caption), c.dialog) << c.caption;
}

TEST(CloseQueryPrompt, PathStandsBetweenTheTwoTextsWithNoBlank) {
    EXPECT_EQ(CloseQueryPrompt("C:\\LEX\\A.TXT"), "文件：C:\\LEX\\A.TXT尚未存盘，要保存吗？");
    EXPECT_EQ(CloseQueryPrompt("NONAME1"), "文件：NONAME1尚未存盘，要保存吗？");
    EXPECT_STREQ(kCloseQueryCaption, "文件尚未存盘");
}

TEST(PathToOpen, AddsTheTypesExtensionOnlyWithoutAnyFullStop) {
    struct Case {
        const char* chosen;
        FileType type;
        const char* path;
    } cases[] = {
        {"abc", FileType::Text, "abc.TXT"},
        {"abc", FileType::Rtf, "abc.RTF"},
        {"C:\\LEX\\LIST", FileType::Text, "C:\\LEX\\LIST.TXT"},
        {"C:\\MY.DIR\\abc", FileType::Text, "C:\\MY.DIR\\abc"},  // the folder's full stop counts
        {"C:\\MY.DIR\\abc", FileType::Rtf, "C:\\MY.DIR\\abc"},
        {"C:\\LEX\\a.rtf", FileType::Text, "C:\\LEX\\a.rtf"},
        {"C:\\LEX\\词库", FileType::Text, "C:\\LEX\\词库.TXT"},
        {"abc.", FileType::Rtf, "abc."},
    };
    for (const auto& c : cases) EXPECT_EQ(PathToOpen(c.chosen, c.type), c.path) << c.chosen;
}

TEST(DialogFilter, BarsBecomeZeroBytesAndTheListEndsWithTwo) {
    const char expected[] = "文本文件(*.txt)\0*.txt\0RTF文件(*.rtf)\0*.rtf\0";  // and the literal's own zero
    EXPECT_EQ(DialogFilter(kOpenFilter), std::string(expected, sizeof expected));
    // A trail byte 0x7C inside a double-byte character is not a bar.
    std::string withTrail = "\x81\x7C|x";
    EXPECT_EQ(DialogFilter(withTrail), std::string("\x81\x7C\0x\0\0", 6));
}

TEST(Messages, FileErrorsNameThePath) {
    EXPECT_EQ(CannotOpenFile("C:\\LEX\\LIST.TXT"), "Cannot open file C:\\LEX\\LIST.TXT");
    EXPECT_EQ(CannotCreateFile("C:\\LEX\\A.TXT"), "Cannot create file C:\\LEX\\A.TXT");
    EXPECT_STREQ(kFailedToLoadStream, "Failed to Load Stream");
    EXPECT_STREQ(kFailedToSaveStream, "Failed to Save Stream");
    EXPECT_STREQ(kNotGbkCaption, "词库生成系统");
    EXPECT_NE(NotGbkWarning("C:\\A.TXT").find("C:\\A.TXT"), std::string::npos);
}

TEST(EditFits, TypingAndPastingStopAtTheLimitInBytes) {
    struct Case {
        std::size_t text, removed, added;
        bool fits;
    } cases[] = {
        {0, 0, 1, true},        {655359, 0, 1, true},
        {655360, 0, 1, false},  {655359, 0, 2, false},  // a Chinese character needs two bytes
        {655360, 2, 2, true},                           // typed over a selection of the same size
        {655360, 1, 2, false},  {1000000, 0, 0, true},  // loaded beyond the limit: deleting still works
        {1000000, 5, 1, true},                          // ... and typing over a longer selection too
        {1000000, 0, 1, false},
    };
    for (const auto& c : cases) EXPECT_EQ(EditFits(c.text, c.removed, c.added), c.fits) << c.text << "+" << c.added;
}

TEST(FindNonGbk, AcceptsGbkAndPointsAtTheFirstForeignByte) {
    struct Case {
        std::string bytes;
        std::size_t bad;
    } cases[] = {
        {"", std::string::npos},
        {"abc\r\n", std::string::npos},
        {"中文\r\n第二行", std::string::npos},
        {"\x81\x40\xFE\xFE", std::string::npos},  // the corners of the double-byte range
        {"\x80\xFF", std::string::npos},          // single bytes of the code page
        {std::string("a\0b", 3), std::string::npos},
        {"ab\xD6", 2},     // a lead byte at the end
        {"\xD6\n", 0},     // a lead byte before LF eats the LF
        {"x\x81\x7F", 1},  // 0x7F is no trail byte
        {"\x81\xFF", 0},
        {"\xE4\xB8\xAD\n", 2},  // "中" in UTF-8: E4 B8 pairs, AD meets LF
    };
    for (const auto& c : cases) EXPECT_EQ(FindNonGbk(c.bytes), c.bad) << c.bytes;
}

TEST(GbkChunkEnd, NeverSplitsACharacterOrCrLf) {
    std::string text = "中乤ab\r\n第二行x\r\nend";  // 乤 is 81 61: its trail byte is 'a'
    for (std::size_t max = 1; max <= text.size() + 1; ++max) {
        std::size_t start = 0;
        std::string joined;
        while (start < text.size()) {
            std::size_t end = GbkChunkEnd(text, start, max);
            ASSERT_GT(end, start);
            ASSERT_LE(end, text.size());
            if (max >= 2) {
                ASSERT_LE(end - start, max);
                // The chunk ends on a character boundary: walking it from its start
                // never steps over its end.
                std::size_t i = start;
                while (i < end) i += lexicon::gbk::is_lead(static_cast<unsigned char>(text[i])) ? 2 : 1;
                EXPECT_EQ(i, end) << "max " << max << " start " << start;
                if (max >= 3 && end < text.size()) {
                    EXPECT_FALSE(text[end - 1] == '\r' && text[end] == '\n');
                }
            }
            joined += text.substr(start, end - start);
            start = end;
        }
        EXPECT_EQ(joined, text);
    }
}

TEST(GbkChunkEnd, ATrailByteInTheLeadRangeIsNotALead) {
    // D6 D0 is 中; its trail byte D0 lies in the lead range too.
    std::string text = "\xD6\xD0\xD6\xD0";
    EXPECT_EQ(GbkChunkEnd(text, 0, 3), 2u);
    EXPECT_EQ(GbkChunkEnd(text, 0, 4), 4u);
}

TEST(GbkChunkEnd, ACrTakenAsATrailByteStaysWithItsLead) {
    // EC 0D is one character to the walk, however ill-formed; the LF after it is the
    // next one. Backing off from the CR would end the chunk on a lone lead byte.
    std::string text = "*\r\xEC\r\nx";
    EXPECT_EQ(GbkChunkEnd(text, 0, 4), 4u);
    EXPECT_EQ(GbkChunkEnd(std::string("*\r\n"), 0, 2), 1u);  // a CR of its own still keeps its LF
}

TEST(Utf16ChunkEnd, NeverSplitsASurrogatePairOrCrLf) {
    std::u16string text = u"ab\r\ncd\U0001F600e";
    EXPECT_EQ(Utf16ChunkEnd(text, 0, 3), 2u);  // not between CR and LF
    EXPECT_EQ(Utf16ChunkEnd(text, 0, 4), 4u);
    EXPECT_EQ(Utf16ChunkEnd(text, 4, 3), 6u);  // not between the halves of U+1F600
    EXPECT_EQ(Utf16ChunkEnd(text, 4, 4), 8u);
    EXPECT_EQ(Utf16ChunkEnd(text, 8, 100), text.size());
    EXPECT_EQ(Utf16ChunkEnd(text, 2, 1), 3u);  // one unit is all there is room for
}

TEST(SplitterGeometry, TheLineStaysTwentyPixelsFromEitherEdge) {
    using widgets::ClampDragLine;
    EXPECT_EQ(ClampDragLine(100, 300).y, 100);
    EXPECT_FALSE(ClampDragLine(100, 300).clamped);
    EXPECT_EQ(ClampDragLine(5, 300).y, 20);
    EXPECT_TRUE(ClampDragLine(5, 300).clamped);
    EXPECT_EQ(ClampDragLine(-40, 300).y, 20);
    EXPECT_EQ(ClampDragLine(295, 300).y, 280);
    EXPECT_TRUE(ClampDragLine(295, 300).clamped);
    EXPECT_EQ(ClampDragLine(20, 300).y, 20);
    EXPECT_FALSE(ClampDragLine(280, 300).clamped);
}

TEST(SplitterGeometry, EndOfDragRule) {
    using widgets::PaneHeightAfterDrag;
    struct Case {
        int pane, line, barTop, client, bar, expected;
    } cases[] = {
        {71, 150, 200, 273, 2, 121},                              // released 50 above the bar: 50 taller
        {71, 230, 200, 273, 2, 41},                               // 30 below: 30 shorter
        {71, 200, 200, 273, 2, 71},                               // not moved
        {71, 271, 200, 273, 2, 1},                                // 0 or less becomes 1
        {71, 300, 200, 273, 2, 1},   {71, 20, 200, 300, 2, 251},  // up to the top limit
        {71, 20, 250, 273, 2, 268},                               // client - bar - 3 once it would fill the client
    };
    for (const auto& c : cases)
        EXPECT_EQ(PaneHeightAfterDrag(c.pane, c.line, c.barTop, c.client, c.bar), c.expected) << c.line;
    EXPECT_EQ(widgets::DragLineThickness(2), 2);
    EXPECT_EQ(widgets::DragLineThickness(6), 4);
}

}  // namespace
