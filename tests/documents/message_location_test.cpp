// Which place of the document a message row leads to.
#include <gtest/gtest.h>

#include "documents/message_location.h"

namespace documents {
namespace {

TEST(MessageLocation, ReadsLineAndColumnOfTheCompilersMessages) {
    const struct {
        const char* message;
        std::optional<MessageLocation> expected;
    } cases[] = {
        {"temp.trs(12): 错误 E103: ...", MessageLocation{12, 0}},
        {"temp.trs(12,7): 警告 W212: 译文第 3 个字符(甲)", MessageLocation{12, 7}},
        {"temp.trs: 警告 W207: 源文件中没有任何条目", std::nullopt},
        {"Mervik: 错误 E002: 找不到源文件", std::nullopt},
        {"(12): x", std::nullopt},
        {"temp.trs(0): x", std::nullopt},
        {"temp.trs(3,): x", std::nullopt},
        {"temp.trs(3) x", std::nullopt},
        {"temp.trs(99999999999): x", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseMessageLocation(c.message), c.expected) << c.message;
}

// Lines end as the compiler counts them (CR LF, lone CR, lone LF); a column never
// lands inside a Chinese character or past its line.
TEST(MessageLocation, FindsTheByteOfALineAndColumn) {
    const std::string text = "ab=甲乙\r\nc=d\re=f\n文件,x=文件,保存";
    const struct {
        MessageLocation at;
        int offset;
    } cases[] = {
        {{1, 0}, 0},  {{1, 4}, 3},  {{1, 5}, 3},  {{1, 6}, 5},   {{1, 99}, 7},  {{2, 1}, 9},
        {{3, 2}, 14}, {{4, 0}, 17}, {{4, 5}, 21}, {{4, 16}, 31}, {{4, 15}, 31}, {{9, 3}, 33},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ByteOffsetOf(text, c.at), c.offset) << c.at.line << "," << c.at.column;
    }
}

}  // namespace
}  // namespace documents
