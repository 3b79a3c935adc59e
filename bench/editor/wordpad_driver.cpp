#include "bench/editor/wordpad_driver.h"

#include <vector>

#include "bench/support/stopwatch.h"

namespace bench {

namespace {

const char* const kWordPad = "C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe";
const int kFileNameBox = 0x47C;  // the explorer-style dialog's file name box

struct Search {
    DWORD pid;
    const char* className;  // null: any visible top-level window without owner
    HWND found = nullptr;
};

std::string ClassOf(HWND hwnd) {
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
}

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || !::IsWindowVisible(hwnd)) return TRUE;
    if (search->className ? ClassOf(hwnd) == search->className : ::GetWindow(hwnd, GW_OWNER) == nullptr) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindRichEdit(HWND hwnd, LPARAM param) {
    if (ClassOf(hwnd).find("RichEdit") != std::string::npos || ClassOf(hwnd) == "RICHEDIT") {
        *reinterpret_cast<HWND*>(param) = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(DWORD pid, const char* className, int timeoutMs) {
    for (double end = Milliseconds() + timeoutMs; Milliseconds() < end; ::Sleep(20)) {
        Search search{pid, className};
        ::EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
    }
    return nullptr;
}

// The File menu's "Open" item: the second item of the first drop-down. Under Wine
// a menu is not read from another process (its items come back as 0 or -1): then
// the command of Wine's WordPad for it.
UINT OpenCommand(HWND frame) {
    const UINT kWordPadFileOpen = 1001;
    HMENU file = ::GetSubMenu(::GetMenu(frame), 0);
    UINT id = file ? ::GetMenuItemID(file, 1) : 0;
    return id == 0 || id == static_cast<UINT>(-1) ? kWordPadFileOpen : id;
}

double ProcessCpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    auto ticks = [](FILETIME t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e4;
}

}  // namespace

WordPadOpen OpenInWordPad(const std::string& path, int minimumUnits) {
    WordPadOpen result;
    std::string commandLine = std::string("\"") + kWordPad + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        result.failure = "WordPad did not start";
        return result;
    }
    ::WaitForInputIdle(info.hProcess, 30000);
    HWND frame = WaitForWindow(info.dwProcessId, nullptr, 30000);
    HWND editor = nullptr;
    if (frame) ::EnumChildWindows(frame, FindRichEdit, reinterpret_cast<LPARAM>(&editor));
    UINT open = frame ? OpenCommand(frame) : 0;
    HWND dialog = nullptr;
    if (editor && open) {
        ::PostMessageA(frame, WM_COMMAND, open, 0);
        dialog = WaitForWindow(info.dwProcessId, "#32770", 30000);
    }
    if (!dialog) {
        result.failure = !frame    ? "WordPad's window did not appear"
                         : !editor ? "WordPad's editor was not found"
                                   : "WordPad's open dialog did not appear";
    } else {
        ::Sleep(300);  // the dialog fills its lists
        ::SendMessageA(::GetDlgItem(dialog, kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        double cpu = ProcessCpuMs(info.hProcess);
        double start = Milliseconds();
        ::PostMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        // The editor answers once the load is over: a message sent meanwhile waits.
        for (;;) {
            DWORD_PTR units = 0;
            if (::SendMessageTimeoutA(editor, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 120000, &units) &&
                static_cast<int>(units) >= minimumUnits) {
                DWORD_PTR ignored;
                ::SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &ignored);
                result.ms = Milliseconds() - start;
                result.cpuMs = ProcessCpuMs(info.hProcess) - cpu;
                result.ok = true;
                break;
            }
            if (Milliseconds() - start > 180000) {
                result.failure = "WordPad did not load the file within 3 minutes";
                break;
            }
            ::Sleep(5);
        }
    }
    ::PostMessageA(frame, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) ::TerminateProcess(info.hProcess, 1);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return result;
}

}  // namespace bench
