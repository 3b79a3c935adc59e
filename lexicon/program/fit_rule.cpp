#include "lexicon/program/fit_rule.h"

namespace lexicon {

namespace {

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (upper(a[i]) != upper(b[i])) return false;
    }
    return true;
}

// Button styles.
constexpr std::uint32_t bs_type_mask = 0xF, bs_icon = 0x40, bs_bitmap = 0x80, bs_multiline = 0x2000;
constexpr std::uint32_t bs_push_button = 0, bs_def_push_button = 1, bs_check_box = 2, bs_auto_check_box = 3,
                        bs_radio_button = 4, bs_3state = 5, bs_auto_3state = 6, bs_group_box = 7,
                        bs_auto_radio_button = 9;
// Static styles.
constexpr std::uint32_t ss_type_mask = 0x1F, ss_left = 0, ss_center = 1, ss_right = 2, ss_simple = 0xB,
                        ss_left_no_word_wrap = 0xC, ss_no_prefix = 0x80;

}  // namespace

FitRule fit_rule(std::string_view class_name, std::uint32_t style) {
    FitRule rule;
    if (equal_ignoring_case(class_name, "BUTTON")) {
        if ((style & (bs_icon | bs_bitmap)) != 0) return rule;
        switch (style & bs_type_mask) {
        case bs_push_button:
        case bs_def_push_button:
            rule.margin = 6;  // the button's edges and focus rectangle
            break;
        case bs_check_box:
        case bs_auto_check_box:
        case bs_radio_button:
        case bs_3state:
        case bs_auto_3state:
        case bs_auto_radio_button:
            rule.margin = 17;  // the box and the gap after it
            break;
        case bs_group_box:
            rule.margin = 16;  // the frame's corner before the text and after it
            break;
        default:
            return rule;
        }
        rule.measured = true;
        rule.wraps = (style & bs_multiline) != 0;
        return rule;
    }
    if (equal_ignoring_case(class_name, "STATIC")) {
        const std::uint32_t kind = style & ss_type_mask;
        if (kind == ss_left || kind == ss_center || kind == ss_right) {
            rule.wraps = true;
        } else if (kind != ss_simple && kind != ss_left_no_word_wrap) {
            return rule;
        }
        rule.measured = true;
        rule.no_prefix = (style & ss_no_prefix) != 0;
    }
    return rule;
}

}  // namespace lexicon
