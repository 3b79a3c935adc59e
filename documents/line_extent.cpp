#include "documents/line_extent.h"

#include <algorithm>

namespace documents {

LineExtent MeasureLines(std::u16string_view text, const std::function<int(char16_t)>& width, int tabWidth) {
    LineExtent extent;
    long long x = 0;
    std::size_t lineStart = 0;
    auto endLine = [&](std::size_t end) {
        if (x > extent.widest || (end > lineStart && extent.widestEnd == 0)) {
            extent.widest = std::max(extent.widest, x);
            extent.widestStart = lineStart;
            extent.widestEnd = end;
        }
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            endLine(i);
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            x = 0;
            lineStart = i + 1;
            ++extent.lines;
        } else if (c == u'\t' && tabWidth > 0) {
            x = (x / tabWidth + 1) * tabWidth;
        } else {
            x += width(c);
        }
    }
    endLine(text.size());
    return extent;
}

}  // namespace documents
