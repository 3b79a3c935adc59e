#pragma once
// The digital clock's text and which of its character cells a tick must repaint.
#include <string>

namespace widgets {

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

// "hh:mm:ss", 24-hour, leading zeros: 8 characters.
std::string ClockText(const TimeOfDay& t);

// Cells [first, 8) change from `before` to `after`: seconds repaint cells 6-7,
// minutes 3-7, and an hour change the whole clock. 8 means nothing to repaint.
int FirstChangedCell(const TimeOfDay& before, const TimeOfDay& after);

}  // namespace widgets
