// The GBK byte classes that the compiler, the editor, the search and the tracker share.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "lexicon/base/gbk.h"

namespace lexicon::gbk {
namespace {

TEST(GbkBytes, ByteClassesOverEveryByte) {
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        EXPECT_EQ(is_lead(c), b >= 0x81 && b <= 0xFE) << b;
        EXPECT_EQ(is_trail(c), (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE)) << b;
    }
}

struct LengthCase {
    std::string_view text;
    std::size_t at;
    std::size_t char_length;  // the compiler's: a trail must be a trail
    std::size_t walk_length;  // the system's: any byte after a lead
};

TEST(GbkBytes, CharacterLengths) {
    const LengthCase cases[] = {
        {"a", 0, 1, 1},        {"\xD6\xD0", 0, 2, 2},  // 中
        {"\xD6\xD0", 1, 1, 1},                         // a lead byte at the very end
        {"\x81\x40", 0, 2, 2},                         // lowest lead, lowest trail
        {"\xFE\xFE", 0, 2, 2},                         // highest lead, highest trail
        {"\x81\x7F", 0, 1, 2},                         // 0x7F never trails
        {"\x81\x3F", 0, 1, 2},                         // below the trail range
        {"\x81\x5C", 0, 2, 2},                         // a trail byte that is a backslash
        {"\x80\x40", 0, 1, 1},                         // 0x80 is a character of its own
        {"\xFF\x40", 0, 1, 1}, {"\xD6", 0, 1, 1},      // a lone lead byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(char_length(c.text, c.at), c.char_length) << testing::PrintToString(std::string(c.text));
        EXPECT_EQ(walk_length(c.text, c.at), c.walk_length) << testing::PrintToString(std::string(c.text));
    }
}

TEST(GbkBytes, StepBackFindsTheCharacterBefore) {
    // a 中 \x81\x5C b : boundaries 0, 1, 3, 5, 6
    const std::string_view text =
        "a\xD6\xD0\x81\x5C"
        "b";
    EXPECT_EQ(step_back(text, 0, 6), 5u);
    EXPECT_EQ(step_back(text, 0, 5), 3u);  // the 0x5C is a trail, not a character
    EXPECT_EQ(step_back(text, 0, 3), 1u);
    EXPECT_EQ(step_back(text, 0, 1), 0u);
    EXPECT_EQ(step_back(text, 3, 5), 3u);  // from a known boundary
}

TEST(GbkBytes, SeparatorsAndPrefixesNeverSplitACharacter) {
    EXPECT_EQ(find_last_separator("LIB\\\x81\x5C"), 3u);
    EXPECT_EQ(find_last_separator("\x81\x5C"), std::string_view::npos);
    EXPECT_EQ(prefix("a\xD6\xD0", 2), "a");
    EXPECT_EQ(prefix("a\xD6\xD0", 3), "a\xD6\xD0");
    EXPECT_EQ(find_invalid("ok\x81\x7F"), 2u);
    EXPECT_EQ(find_invalid("\xD6\xD0\x80\t"), std::string_view::npos);
}

}  // namespace
}  // namespace lexicon::gbk
