#pragma once
// Which dialog controls the fit check measures, and how: shared by the compiler, which
// measures a text with its dialog's font, and the library editor's preview, which
// measures the live control. Window-free: the style bits are Windows' own values.
#include <cstdint>
#include <string_view>

namespace lexicon {

struct FitRule {
    bool measured = false;   // false: the control shows no text of its own to measure
    bool wraps = false;      // the text wraps at the control's width (compared by height)
    bool no_prefix = false;  // '&' is shown as it is, not as an access key
    int margin = 0;          // pixels of the control's width that the text cannot use
};

// The rule for a control of the window class `class_name` (compared case-blind:
// "Button", "BUTTON") with the window style `style`: push buttons, check boxes, radio
// buttons and group boxes, and text statics; icons, bitmaps, owner-drawn controls and
// other classes are not measured.
FitRule fit_rule(std::string_view class_name, std::uint32_t style);

}  // namespace lexicon
