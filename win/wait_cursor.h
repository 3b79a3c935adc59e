#pragma once
// The hourglass for work that keeps the message loop busy for a noticeable time
// (opening or saving a long file, Replace All, the start of a generation run).
#include <windows.h>

namespace win {

// Shows the wait cursor from construction to destruction, then the cursor that was
// there before. Nothing repaints the cursor while the work runs, since no message is
// handled; a message box in between shows its own cursor and the wait cursor is not
// brought back afterwards.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

}  // namespace win
