#pragma once
// Waiting for the compiler. The program stays modal (no command can be given) but its
// windows keep painting; a compiler still running after two seconds brings up a small
// modal box, "词库编译器正在运行……", whose one button "终止" ends the compiler.
#include <windows.h>

#include "win/handles.h"

namespace generation {

class RunningCompiler;

enum class CompilerEnd { Finished, Stopped };

// Waits until the compiler ends by itself (Finished; the box, if shown, goes away) or
// is stopped (Stopped): by "终止", by a close that asked first (RunningCompiler::Stop),
// or by the end of the message loop, which must never leave the program waiting with
// no window. The box is owned by `owner`.
CompilerEnd WaitForCompiler(HWND owner, RunningCompiler& compiler);

class CompilerWaitBox {
public:
    // The message's static has the id a message box gives its text.
    static constexpr int kTextId = 0xFFFF;
    static constexpr int kStopButton = 100;
    static constexpr DWORD kDelayMs = 2000;

    explicit CompilerWaitBox(HWND owner);  // shown at once, centred on its owner
    ~CompilerWaitBox();
    CompilerWaitBox(const CompilerWaitBox&) = delete;
    CompilerWaitBox& operator=(const CompilerWaitBox&) = delete;

    HWND hwnd() const { return hwnd_; }
    bool StopPressed() const { return stopPressed_; }
    // The box itself or one of its controls.
    bool Owns(HWND hwnd) const { return hwnd_ && hwnd && (hwnd == hwnd_ || ::IsChild(hwnd_, hwnd)); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Build(HWND owner);

    HWND hwnd_ = nullptr;
    bool stopPressed_ = false;
    win::Font font_;
};

}  // namespace generation
