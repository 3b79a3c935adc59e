#include "generation/compiler_wait_box.h"

#include <memory>

#include "generation/modal_support.h"
#include "generation/running_compiler.h"
#include "win/dpi.h"
#include "win/error_display.h"

namespace generation {

namespace {
const DWORD kStyle = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_3DLOOK;
// Design sizes at 120 dpi.
const int kClientWidth = 300, kClientHeight = 110;
const RECT kText{20, 18, 280, 44};
const RECT kButton{105, 60, 195, 94};

RECT Scaled(const RECT& r) {
    return {win::Scale(r.left), win::Scale(r.top), win::Scale(r.right), win::Scale(r.bottom)};
}
}  // namespace

CompilerWaitBox::CompilerWaitBox(HWND owner) : font_(win::MakeFont({"MS Sans Serif", 17})) {
    CreateBlankDialog(owner, kStyle, &CompilerWaitBox::DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd_) return;
    Build(owner);
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetFocus(::GetDlgItem(hwnd_, kStopButton));
}

CompilerWaitBox::~CompilerWaitBox() {
    if (hwnd_ && ::IsWindow(hwnd_)) {
        ::SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
        ::DestroyWindow(hwnd_);
    }
}

void CompilerWaitBox::Build(HWND owner) {
    ::SetWindowTextA(hwnd_, win::kApplicationTitle);
    RECT frame{0, 0, win::Scale(kClientWidth), win::Scale(kClientHeight)};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, static_cast<DWORD>(::GetWindowLongA(hwnd_, GWL_EXSTYLE)));
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT ownerRect{};
    ::GetWindowRect(owner, &ownerRect);
    ::SetWindowPos(hwnd_, nullptr, (ownerRect.left + ownerRect.right - width) / 2,
                   (ownerRect.top + ownerRect.bottom - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    RECT text = Scaled(kText), button = Scaled(kButton);
    HWND message = ::CreateWindowExA(0, "STATIC", "词库编译器正在运行……",
                                     WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX, text.left, text.top,
                                     text.right - text.left, text.bottom - text.top, hwnd_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), instance, nullptr);
    HWND stop = ::CreateWindowExA(0, "BUTTON", "终止", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, button.left,
                                  button.top, button.right - button.left, button.bottom - button.top, hwnd_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStopButton)), instance, nullptr);
    for (HWND control : {message, stop})
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

INT_PTR CALLBACK CompilerWaitBox::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        reinterpret_cast<CompilerWaitBox*>(lParam)->hwnd_ = hwnd;
        return FALSE;
    }
    auto* self = reinterpret_cast<CompilerWaitBox*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;
    switch (msg) {
    case WM_COMMAND:
        // Only the button stops the compiler: Esc or a stray Enter in a sudden box must not.
        if (LOWORD(wParam) == kStopButton && HIWORD(wParam) == BN_CLICKED) self->stopPressed_ = true;
        return TRUE;
    case WM_CLOSE:
        return TRUE;
    case WM_NCDESTROY:
        self->hwnd_ = nullptr;
        return FALSE;
    }
    return FALSE;
}

CompilerEnd WaitForCompiler(HWND owner, RunningCompiler& compiler) {
    HANDLE process = compiler.Process();
    ModalScope scope;
    const DWORD started = ::GetTickCount();
    std::unique_ptr<CompilerWaitBox> box;
    bool quit = false;
    int quitCode = 0;
    for (;;) {
        DWORD timeout = INFINITE;
        if (!box) {
            DWORD elapsed = ::GetTickCount() - started;
            timeout = elapsed >= CompilerWaitBox::kDelayMs ? 0 : CompilerWaitBox::kDelayMs - elapsed;
        }
        DWORD woke = ::MsgWaitForMultipleObjects(1, &process, FALSE, timeout, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
        if (woke == WAIT_TIMEOUT) {
            if (!box) box = std::make_unique<CompilerWaitBox>(owner);
            continue;
        }
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = static_cast<int>(msg.wParam);
                continue;
            }
            bool forBox = box && box->Owns(msg.hwnd);
            if (IsUserInput(msg) && !forBox) continue;
            if (forBox && ::IsDialogMessageA(box->hwnd(), &msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        // The main window is gone once the loop has ended: nobody would see the run end.
        if ((box && box->StopPressed()) || quit) compiler.Stop();
        if (compiler.Stopped()) break;
    }
    box.reset();
    scope.Release();
    if (quit) ::PostQuitMessage(quitCode);
    // Stopped also when the close's question was answered after the compiler had ended.
    return compiler.Stopped() ? CompilerEnd::Stopped : CompilerEnd::Finished;
}

}  // namespace generation
