#pragma once
// Digital clock "hh:mm:ss" with the system's time separator. Each character sits
// centred in a cell as wide as the digit 8, so the text never shifts; a tick repaints
// only the cells that changed. The window text always holds the time shown, for
// automation. WM_SETTINGCHANGE reaches top-level windows only: the owner passes it on.
#include <string>

#include "widgets/clock_text.h"
#include "win/window.h"

namespace widgets {

class Clock : public win::Window {
public:
    Clock(HWND parent, RECT bounds, HFONT font);
    // Shows the given time (the timer calls it with the time of day).
    void Show(const TimeOfDay& now);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    // Takes the system's time separator again and repaints the whole clock.
    void ReadTimeFormat();
    RECT CellRect(int cell) const;
    int CellWidth() const;

    HFONT font_;
    TimeOfDay shown_{-1, -1, -1};
    std::string separator_;
};

}  // namespace widgets
