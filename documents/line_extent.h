#pragma once
// How many lines a plain text has and how wide its widest line is, from the widths
// of its characters: enough to tell, before a long text goes into the editor, which
// scroll bars it will need.
#include <functional>
#include <string_view>

namespace documents {

struct LineExtent {
    int lines = 1;         // a text without a line break is one line
    long long widest = 0;  // pixels
    // The widest line: [widestStart, widestEnd) of the text, without its line break.
    std::size_t widestStart = 0, widestEnd = 0;
};

// `width` gives a character's advance; a tab advances to the next multiple of
// `tabWidth`. CR LF, a bare LF and a bare CR each end a line, as the control counts.
LineExtent MeasureLines(std::u16string_view text, const std::function<int(char16_t)>& width, int tabWidth);

}  // namespace documents
