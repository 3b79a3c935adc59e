#include "widgets/clock_text.h"

#include <cstdio>

#include "lexicon/base/gbk.h"

namespace widgets {

namespace {

std::string TwoDigits(int value) {
    char text[4];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    return text;
}

int CharacterCount(std::string_view text) {
    int count = 0;
    for (std::size_t i = 0; i < text.size(); i += lexicon::gbk::walk_length(text, i)) ++count;
    return count;
}

}  // namespace

std::string ClockText(const TimeOfDay& t, std::string_view separator) {
    std::string sep(separator);
    return TwoDigits(t.hour) + sep + TwoDigits(t.minute) + sep + TwoDigits(t.second);
}

std::vector<std::string> ClockCells(const TimeOfDay& t, std::string_view separator) {
    std::string text = ClockText(t, separator);
    std::vector<std::string> cells;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = lexicon::gbk::walk_length(text, i);
        cells.push_back(text.substr(i, n));
        i += n;
    }
    return cells;
}

int FirstChangedCell(const TimeOfDay& before, const TimeOfDay& after, std::string_view separator) {
    int sep = CharacterCount(separator);
    if (before.hour != after.hour) return 0;
    if (before.minute != after.minute) return 2 + sep;
    if (before.second != after.second) return 4 + 2 * sep;
    return 6 + 2 * sep;
}

}  // namespace widgets
