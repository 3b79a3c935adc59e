// KORVEX.EXE as a process: a library named on its command line opens; the editor's
// "编辑" tool button and its 词库编辑器 menu item start it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lexicon/base/byte_sink.h"
#include "lexicon/library/library_writer.h"
#include "lexicon/wordlist/word_list.h"
#include "tests/support/gui_harness.h"
#include "win/handles.h"

namespace {

std::string ProgramDir() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string self(path);
    // Tests live in <build>\tests\korvex, the programs in <build>\program.
    return self.substr(0, self.rfind('\\')) + "\\..\\..\\program\\";
}

struct Search {
    std::string className;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (::IsWindowVisible(hwnd) && harness::ClassName(hwnd) == search->className) search->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> VisibleWindows(const char* className) {
    Search search{className, {}};
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits for a KORVEX window that was not there before; pumps this thread meanwhile.
HWND WaitForKorvex(const std::vector<HWND>& before, app::Application* application = nullptr) {
    const DWORD started = ::GetTickCount();
    while (::GetTickCount() - started < 20000) {
        for (HWND w : VisibleWindows("TKorvexForm")) {
            bool old = false;
            for (HWND b : before) old |= b == w;
            if (!old) return w;
        }
        if (application) {
            harness::Pump(*application, 50);
        } else {
            ::Sleep(50);
        }
    }
    return nullptr;
}

// Closes a KORVEX window of another process and waits until its process has ended.
void CloseKorvex(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    win::KernelHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid));
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    if (process) {
        EXPECT_EQ(::WaitForSingleObject(process.get(), 20000), WAIT_OBJECT_0);
    }
}

win::KernelHandle Start(const std::string& command, DWORD* pid = nullptr) {
    STARTUPINFOA si{sizeof si};
    PROCESS_INFORMATION pi{};
    std::string line = command;
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start " << command;
        return win::KernelHandle();
    }
    ::CloseHandle(pi.hThread);
    if (pid) *pid = pi.dwProcessId;
    return win::KernelHandle(pi.hProcess);
}

TEST(KorvexProcess, OpensTheLibraryNamedOnItsCommandLine) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "korvex_cmdline_" + std::to_string(::GetCurrentProcessId()) + ".LIB";
    {
        lexicon::Diagnostics diagnostics;
        const lexicon::WordList list = lexicon::compile_word_list("Open=打开\r\n", diagnostics);
        lexicon::StringSink sink;
        lexicon::write_library(list, "", sink);
        win::FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ::WriteFile(file.get(), sink.bytes.data(), static_cast<DWORD>(sink.bytes.size()), &written, nullptr);
    }
    const auto before = VisibleWindows("TKorvexForm");
    win::KernelHandle process = Start("\"" + ProgramDir() + "KORVEX.EXE\" \"" + path + "\"");
    HWND window = WaitForKorvex(before);
    ASSERT_NE(window, nullptr);
    // The caption follows the opening of the file; give it a moment after the window shows.
    std::string caption;
    for (int i = 0; i < 100 && caption.find(".LIB") == std::string::npos; ++i) {
        ::Sleep(50);
        caption = harness::WindowText(window);
    }
    EXPECT_EQ(caption, "词库编辑器 - korvex_cmdline_" + std::to_string(::GetCurrentProcessId()) + ".LIB");
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(::WaitForSingleObject(process.get(), 20000), WAIT_OBJECT_0);
    DWORD exitCode = 1234;
    ::GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    ::DeleteFileA(path.c_str());
}

TEST(KorvexProcess, TheEditorsLexiconEditorMenuItemStartsIt) {
    const auto before = VisibleWindows("TKorvexForm");
    DWORD pid = 0;
    win::KernelHandle velmora = Start("\"" + ProgramDir() + "Velmora.exe\"", &pid);
    HWND main = nullptr;
    for (DWORD started = ::GetTickCount(); !main && ::GetTickCount() - started < 20000;) {
        ::Sleep(50);
        for (HWND w : VisibleWindows("TMDIForm")) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(w, &owner);
            if (owner == pid) main = w;
        }
    }
    ASSERT_NE(main, nullptr);
    // What the 工具 menu's 词库编辑器 item sends when it is chosen.
    ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(app::TMDIForm::ElementId(app::Element::S1), 0), 0);
    HWND korvex = WaitForKorvex(before);
    EXPECT_NE(korvex, nullptr) << "no KORVEX window";
    if (korvex) CloseKorvex(korvex);
    ::PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(velmora.get(), 20000), WAIT_OBJECT_0);
}

// The editor in this process, as the other window tests run it; KORVEX.EXE is found in
// the current folder, as WinExec finds a program by its bare name.
class EditButton : public harness::AppTest {};

TEST_F(EditButton, StartsKorvex) {
    char saved[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, saved);
    ::SetCurrentDirectoryA(ProgramDir().c_str());
    const auto before = VisibleWindows("TKorvexForm");
    HWND button = Button(app::Element::LibMan);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(harness::WindowText(button), "编辑");
    ::SendMessageA(button, BM_CLICK, 0, 0);
    HWND korvex = WaitForKorvex(before, &App());
    ::SetCurrentDirectoryA(saved);
    ASSERT_NE(korvex, nullptr) << "no KORVEX window";
    EXPECT_EQ(harness::WindowText(korvex), "词库编辑器 - 未命名");
    CloseKorvex(korvex);
}

}  // namespace
