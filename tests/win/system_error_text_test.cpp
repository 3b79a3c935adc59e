// The system's own words for the codes the program has none of its own for: the text
// without its line break and full stop, then the code; the code alone where the system
// has no text.
#include "win/system_error_text.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemErrorText, OtherCodesGiveTheSystemsTextAndTheCode) {
    const std::string text = win::SystemErrorText(ERROR_NOT_ENOUGH_MEMORY);
    const std::string suffix = "（错误代码 8）";
    ASSERT_GT(text.size(), suffix.size()) << text;
    EXPECT_EQ(text.substr(text.size() - suffix.size()), suffix);
    const char last = text[text.size() - suffix.size() - 1];
    EXPECT_TRUE(last != '\n' && last != '\r' && last != '.' && last != ' ') << text;
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
}

TEST(SystemErrorText, ACodeWithoutTextGivesTheCode) {
    EXPECT_EQ(win::SystemErrorText(0x2000ABCD), "错误代码 536914893");
}

}  // namespace
