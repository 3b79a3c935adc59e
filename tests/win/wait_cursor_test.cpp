// The wait cursor under Wine's real cursor handling: shown while the object lives,
// and the cursor before it back afterwards, also when the waits nest.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "win/wait_cursor.h"

namespace {

HCURSOR System(const char* id) { return ::LoadCursorA(nullptr, id); }

TEST(WaitCursor, ShowsTheHourglassAndPutsBackWhatWasThere) {
    const HCURSOR wait = System(IDC_WAIT);
    // The cursor before: the usual arrow, the text cursor of an editor, or none at all.
    for (HCURSOR before : {System(IDC_ARROW), System(IDC_IBEAM), HCURSOR{nullptr}}) {
        SCOPED_TRACE(reinterpret_cast<UINT_PTR>(before));
        ::SetCursor(before);
        {
            win::WaitCursor waiting;
            EXPECT_EQ(::GetCursor(), wait);
            {
                // A long step inside a long command: its end must not end the wait.
                win::WaitCursor inner;
                EXPECT_EQ(::GetCursor(), wait);
            }
            EXPECT_EQ(::GetCursor(), wait);
        }
        EXPECT_EQ(::GetCursor(), before);
    }
}

TEST(WaitCursor, AnErrorThatEndsTheWorkEndsTheWaitToo) {
    ::SetCursor(System(IDC_ARROW));
    try {
        win::WaitCursor waiting;
        throw std::runtime_error("the file cannot be read");
    } catch (const std::runtime_error&) {
        EXPECT_EQ(::GetCursor(), System(IDC_ARROW));
    }
}

}  // namespace
