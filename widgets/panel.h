#pragma once
// A plain container with beveled edges (the tool bar and the status area). It hands
// its children's notifications on to its parent, so the main window sees them.
#include <vector>

#include "win/window.h"

namespace widgets {

enum class Bevel { None, Raised, Lowered };

class Panel : public win::Window {
public:
    struct LeftLine {  // a separator drawn as a lowered vertical line
        int x, y, height;
    };

    Panel(HWND parent, const char* name, Bevel inner, Bevel outer);
    void AddLeftLine(LeftLine line) { lines_.push_back(line); }
    // Width of the frame the bevels take on each side.
    int BorderWidth() const;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    Bevel inner_;
    Bevel outer_;
    std::vector<LeftLine> lines_;
};

}  // namespace widgets
