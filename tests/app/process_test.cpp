// Velmora.exe as a process: it starts with its main window, takes no arguments,
// and returns 0 when the main window is closed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "win/handles.h"

namespace {

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string self(path);
    // Tests live in <build>\tests\app, the program in <build>\program.
    return self.substr(0, self.rfind('\\')) + "\\..\\..\\program\\Velmora.exe";
}

struct Found {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM param) {
    auto* found = reinterpret_cast<Found*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    if (pid == found->processId && std::string(name) == "TMDIForm" && ::IsWindowVisible(hwnd)) {
        found->window = hwnd;
        return FALSE;
    }
    return TRUE;
}

TEST(Process, StartsShowsItsWindowAndReturnsZeroWhenClosed) {
    std::string command = "\"" + ProgramPath() + "\" ignored arguments";
    STARTUPINFOA si{sizeof si};
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << ProgramPath();
    win::KernelHandle process(pi.hProcess), thread(pi.hThread);

    DWORD started = ::GetTickCount();
    Found found{pi.dwProcessId, nullptr};
    while (!found.window && ::GetTickCount() - started < 20000) {
        ::Sleep(20);
        ::EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&found));
    }
    ASSERT_NE(found.window, nullptr) << "no main window";
    std::printf("main window shown after %lu ms\n", static_cast<unsigned long>(::GetTickCount() - started));

    char caption[128] = {};
    ::GetWindowTextA(found.window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Velmora—词库生成系统");

    ::PostMessageA(found.window, WM_CLOSE, 0, 0);
    ASSERT_EQ(::WaitForSingleObject(process.get(), 20000), WAIT_OBJECT_0);
    DWORD exitCode = 1234;
    ::GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
