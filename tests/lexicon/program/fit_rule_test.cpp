// Which dialog controls the fit check measures: the compiler and the library editor's
// preview take the same answer from here.
#include "lexicon/program/fit_rule.h"

#include <gtest/gtest.h>

namespace {

TEST(FitRule, MeasuresTextButtonsAndStaticsWithTheirMargins) {
    const struct {
        const char* what;
        const char* class_name;
        std::uint32_t style;
        bool measured, wraps, no_prefix;
        int margin;
    } cases[] = {
        {"push button", "BUTTON", 0x0, true, false, false, 6},
        {"default push button, any case of the class", "Button", 0x1, true, false, false, 6},
        {"check box", "BUTTON", 0x3, true, false, false, 17},
        {"radio button", "button", 0x9, true, false, false, 17},
        {"group box", "BUTTON", 0x7, true, false, false, 16},
        {"multi-line push button wraps", "BUTTON", 0x2000, true, true, false, 6},
        {"icon button shows no text", "BUTTON", 0x40, false, false, false, 0},
        {"owner-drawn button", "BUTTON", 0xB, false, false, false, 0},
        {"left text wraps", "STATIC", 0x0, true, true, false, 0},
        {"simple text does not wrap", "Static", 0xB, true, false, false, 0},
        {"text without access keys", "STATIC", 0x80 | 0x1, true, true, true, 0},
        {"icon static", "STATIC", 0x3, false, false, false, 0},
        {"edit box", "EDIT", 0x0, false, false, false, 0},
        {"caption", "", 0x0, false, false, false, 0},
    };
    for (const auto& c : cases) {
        const lexicon::FitRule rule = lexicon::fit_rule(c.class_name, c.style);
        EXPECT_EQ(rule.measured, c.measured) << c.what;
        if (!c.measured) continue;
        EXPECT_EQ(rule.wraps, c.wraps) << c.what;
        EXPECT_EQ(rule.no_prefix, c.no_prefix) << c.what;
        EXPECT_EQ(rule.margin, c.margin) << c.what;
    }
}

}  // namespace
