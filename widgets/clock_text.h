#pragma once
// The digital clock's text and which of its character cells a tick must repaint.
#include <string>
#include <string_view>
#include <vector>

namespace widgets {

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

// "hh:mm:ss", 24-hour, leading zeros, with the system's time separator (GBK) in
// place of each colon.
std::string ClockText(const TimeOfDay& t, std::string_view separator);

// The same text cut into the characters the clock draws one per cell; a GBK
// double-byte character is one cell.
std::vector<std::string> ClockCells(const TimeOfDay& t, std::string_view separator);

// Cells [first, count) change from `before` to `after`: the seconds' cells, the
// minutes' cells onwards, or for an hour change the whole clock. Returns the cell
// count when nothing is to repaint.
int FirstChangedCell(const TimeOfDay& before, const TimeOfDay& after, std::string_view separator);

}  // namespace widgets
