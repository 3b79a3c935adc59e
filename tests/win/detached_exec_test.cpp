// Starting a program from a thread of its own: the caller never waits, and a program
// that cannot be started is reported back to the caller's window instead of vanishing.
#include "win/detached_exec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr UINT kFailed = WM_APP + 7;

// Waits up to `ms` for kFailed on this thread's queue; its wParam, or -1.
long long WaitForFailure(HWND window, DWORD ms) {
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (::GetTickCount() - start < ms) {
        if (::PeekMessageA(&msg, window, kFailed, kFailed, PM_REMOVE)) return static_cast<long long>(msg.wParam);
        ::Sleep(10);
    }
    return -1;
}

struct MessageWindow {
    HWND hwnd = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ~MessageWindow() { ::DestroyWindow(hwnd); }
};

TEST(WinExecDetached, ReportsAProgramThatCannotStartToTheWindow) {
    MessageWindow window;
    ASSERT_NE(window.hwnd, nullptr);
    ASSERT_TRUE(win::WinExecDetached({"velmora_no_such_viewer_1.exe", "velmora_no_such_viewer_2.exe x"}, SW_HIDE,
                                     window.hwnd, kFailed));
    const long long result = WaitForFailure(window.hwnd, 20000);
    EXPECT_EQ(result, ERROR_FILE_NOT_FOUND);
    const std::string why = win::WinExecFailureText(static_cast<UINT>(result));
    EXPECT_NE(why.find("文件"), std::string::npos) << why;
}

TEST(WinExecDetached, TriesTheNextCommandLineAndSaysNothingWhenOneStarts) {
    MessageWindow window;
    // cmd.exe is on every system; /c exit ends it at once.
    ASSERT_TRUE(win::WinExecDetached({"velmora_no_such_viewer.exe", "cmd.exe /c exit"}, SW_HIDE, window.hwnd, kFailed));
    EXPECT_EQ(WaitForFailure(window.hwnd, 3000), -1);
}

TEST(WinExecFailureText, NamesTheCommonCausesInChinese) {
    EXPECT_EQ(win::WinExecFailureText(0), "系统内存或资源不足");
    EXPECT_EQ(win::WinExecFailureText(ERROR_BAD_FORMAT), "程序文件无效，或不是本系统能运行的程序");
    EXPECT_FALSE(win::WinExecFailureText(ERROR_PATH_NOT_FOUND).empty());
}

}  // namespace
