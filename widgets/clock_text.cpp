#include "widgets/clock_text.h"

#include <cstdio>

namespace widgets {

std::string ClockText(const TimeOfDay& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour % 100, t.minute % 100, t.second % 100);
    return text;
}

int FirstChangedCell(const TimeOfDay& before, const TimeOfDay& after) {
    if (before.hour != after.hour) return 0;
    if (before.minute != after.minute) return 3;
    if (before.second != after.second) return 6;
    return 8;
}

}  // namespace widgets
