// The recovery copy's header: written and read back, and bytes that are no copy.
#include <gtest/gtest.h>

#include <string>

#include "documents/recovery_record.h"

namespace {

using namespace documents;

TEST(RecoveryRecord, AHeaderReadsBackAndTheTextFollowsItUntouched) {
    struct Case {
        const char* what;
        RecoveryHeader header;
        std::string text;
    } cases[] = {
        {"a new rich document", {"NONAME0", "", true, "2026-12-11 13:40:05"}, "{\\rtf1\\ansi \\'d6\\'d0}"},
        {"an opened file",
         {"C:\\词库\\新词表 测试.txt", "C:\\词库\\新词表 测试.txt", false, "2026-01-02 03:04:05"},
         "File=文件\r\n\r\n\r\n"},  // empty lines in the text are the text's
        {"an empty text", {"C:\\a=b.txt", "C:\\a=b.txt", false, ""}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = RecoveryHeaderBytes(c.header) + c.text;
        auto copy = ReadRecoveryHeader(bytes);
        ASSERT_TRUE(copy.has_value());
        EXPECT_EQ(copy->header.caption, c.header.caption);
        EXPECT_EQ(copy->header.file, c.header.file);
        EXPECT_EQ(copy->header.rich, c.header.rich);
        EXPECT_EQ(copy->header.time, c.header.time);
        EXPECT_EQ(bytes.substr(copy->textOffset), c.text);
    }
}

TEST(RecoveryRecord, ALineBreakInAFieldCannotEndTheHeader) {
    RecoveryHeader header{"a\r\nformat=rtf", "b\nc", false, "t"};
    auto copy = ReadRecoveryHeader(RecoveryHeaderBytes(header) + "text");
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(copy->header.caption, "a  format=rtf");
    EXPECT_EQ(copy->header.file, "b c");
    EXPECT_FALSE(copy->header.rich);
}

TEST(RecoveryRecord, BytesThatAreNoCopyAreRefused) {
    std::string whole = RecoveryHeaderBytes({"NONAME0", "", true, "t"});
    for (const std::string& bytes : {std::string(), std::string("词条=译文\r\n\r\n"), whole.substr(0, whole.size() - 2),
                                     std::string("Velmora recovery copy 1\r\nformat=doc\r\n\r\n"),
                                     std::string("Velmora recovery copy 1\r\ncaption=x\r\n\r\n")})
        EXPECT_FALSE(ReadRecoveryHeader(bytes).has_value()) << bytes;
}

TEST(RecoveryRecord, TimeText) { EXPECT_EQ(RecoveryTimeText(2026, 12, 1, 9, 5, 7), "2026-12-01 09:05:07"); }

}  // namespace
