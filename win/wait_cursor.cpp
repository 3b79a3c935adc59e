#include "win/wait_cursor.h"

namespace win {

// A system cursor is shared and never destroyed: nothing here to release but the
// cursor shown.
WaitCursor::WaitCursor() : previous_(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}

WaitCursor::~WaitCursor() { ::SetCursor(previous_); }

}  // namespace win
