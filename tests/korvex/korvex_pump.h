#pragma once
// The library editor's tests pump messages as KORVEX's own loop does: wide, so that
// characters typed into its Unicode filter box reach it as they are.
#include <windows.h>

namespace korvex {

inline void Pump(int ms = 0) {
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(ms);
    MSG msg;
    do {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (ms > 0) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (ms > 0 && static_cast<int>(end - ::GetTickCount()) > 0);
}

}  // namespace korvex
