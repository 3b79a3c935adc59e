// Runs Velmora's main job through the real editor, from another process, as a user
// would: start Velmora.exe, open a word list with 文件 → 打开, press 开始转换, fill in
// the properties dialog, wait for the compiler, then print the message pane's lines
// and the library's path. Used by scripts/start.sh on a machine without a display and
// by the distribution tests on the installed and the unpacked program.
//
//   velmora_main_job --editor EXE --workdir DIR --open FILE --name NAME --description TEXT
//                    [--leave-open]
//   velmora_main_job --close             closes a Velmora left open by --leave-open
//   velmora_main_job --shortcut LNK      prints a shortcut's target and working folder
//
// Output (GBK, one line each): "主窗口：" and its caption, "文档：" and the document
// window's caption, "消息：" and a pane line, for every line of the pane, then
// "词库：" and the library's full path. Exit code 0 when every step worked; otherwise 1
// with the step that failed on standard error.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/batadd.h"

namespace {

constexpr const char* kMainCaption = "Velmora—词库生成系统";
constexpr const char* kConfirmCaption = "确认";
// The properties dialog's fields and its OK button (generation/confirm1.h).
constexpr int kDescriptionField = 102, kFileNameField = 104, kConfirmButton = 106;
// The explorer-style open dialog's file-name box.
constexpr int kOpenFileNameBox = 0x47C;
constexpr DWORD kStepTimeoutMs = 60000;
constexpr DWORD kCompileTimeoutMs = 180000;

struct Failure {
    std::string step;
};

std::string Narrow(const std::wstring& text, UINT codePage = 936) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                        nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string WindowTextA(HWND hwnd) {
    char buffer[1024] = {};
    ::GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

std::string ClassOf(HWND hwnd) {
    char buffer[256] = {};
    ::GetClassNameA(hwnd, buffer, sizeof buffer);
    return buffer;
}

void Say(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Polls `found` every 100 ms until it gives a window or the time is up.
HWND WaitFor(const std::function<HWND()>& found, DWORD timeoutMs, const std::string& what) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND hwnd = found()) return hwnd;
        if (::GetTickCount64() > end) throw Failure{"等待超时：" + what};
        ::Sleep(100);
    }
}

struct TopSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopWindow(HWND hwnd, LPARAM lParam) {
    auto* s = reinterpret_cast<TopSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner == s->pid && ::IsWindowVisible(hwnd)) s->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopWindowsOf(DWORD pid) {
    TopSearch search{pid, {}};
    ::EnumWindows(&CollectTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND TopWindowWithCaption(DWORD pid, std::string_view caption) {
    for (HWND hwnd : TopWindowsOf(pid))
        if (WindowTextA(hwnd) == caption) return hwnd;
    return nullptr;
}

struct ChildSearch {
    const std::function<bool(HWND)>* match;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND hwnd, LPARAM lParam) {
    auto* s = reinterpret_cast<ChildSearch*>(lParam);
    if (!(*s->match)(hwnd)) return TRUE;
    s->found = hwnd;
    return FALSE;
}

HWND FindChild(HWND parent, const std::function<bool(HWND)>& match) {
    ChildSearch search{&match, nullptr};
    ::EnumChildWindows(parent, &MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A message box (an OK button and a text static) of the editor: the editor reports a
// failure; its text says which. The compiler's wait box has no OK button.
std::optional<std::string> ErrorBoxOf(DWORD pid) {
    for (HWND hwnd : TopWindowsOf(pid)) {
        HWND text = ::GetDlgItem(hwnd, 0xFFFF);
        HWND ok = ::GetDlgItem(hwnd, IDOK);
        if (ClassOf(hwnd) == "#32770" && text && ok && !::GetDlgItem(hwnd, kOpenFileNameBox))
            return WindowTextA(hwnd) + "：" + WindowTextA(text);
    }
    return std::nullopt;
}

void FailOnErrorBox(DWORD pid) {
    if (auto box = ErrorBoxOf(pid)) throw Failure{"编辑器报告错误（" + *box + "）"};
}

// The command id the main window gives a menu item. Menus cannot be read from another
// process under Wine, so the id comes from the main window's own numbering.
WPARAM CommandId(app::Element element) { return static_cast<WPARAM>(app::TMDIForm::ElementId(element)); }

void SetText(HWND hwnd, const std::wstring& text) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 10000,
                          &result);
}

void Press(HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// The message pane's lines, read from the editor's list view through memory of the
// editor's own process (a list view's item text cannot be asked for across processes
// in any other way).
std::vector<std::string> PaneLines(HANDLE process, HWND list) {
    const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    constexpr SIZE_T kTextBytes = 8192;
    void* remote = ::VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + kTextBytes, MEM_COMMIT, PAGE_READWRITE);
    if (!remote) throw Failure{"无法读取消息窗格（VirtualAllocEx）"};
    std::vector<std::string> lines;
    char* remoteText = static_cast<char*>(remote) + sizeof(LVITEMA);
    for (int i = 0; i < count; ++i) {
        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = remoteText;
        item.cchTextMax = kTextBytes;
        std::string text(kTextBytes, '\0');
        SIZE_T moved = 0;
        ::WriteProcessMemory(process, remote, &item, sizeof item, &moved);
        const LRESULT n = ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i),
                                         reinterpret_cast<LPARAM>(remote));
        ::ReadProcessMemory(process, remoteText, text.data(), kTextBytes, &moved);
        text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        lines.push_back(text);
    }
    ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return lines;
}

struct JobOptions {
    std::wstring editor, workdir, open, name, description;
    bool leaveOpen = false;
};

int RunJob(const JobOptions& o) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION pi{};
    std::wstring commandLine = L"\"" + o.editor + L"\"";
    if (!::CreateProcessW(o.editor.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, o.workdir.c_str(),
                          &startup, &pi))
        throw Failure{"无法启动 " + Narrow(o.editor) + "（错误 " + std::to_string(::GetLastError()) + "）"};
    ::CloseHandle(pi.hThread);
    const DWORD pid = pi.dwProcessId;
    HANDLE process = pi.hProcess;

    HWND main = WaitFor([&] { return TopWindowWithCaption(pid, kMainCaption); }, kStepTimeoutMs, "主窗口");
    Say(std::string("主窗口：") + kMainCaption);

    // 文件 → 打开, then the file's full path into the open dialog.
    ::PostMessageA(main, WM_COMMAND, CommandId(app::Element::Open1), 0);
    HWND openDialog = WaitFor(
        [&]() -> HWND {
            FailOnErrorBox(pid);
            for (HWND hwnd : TopWindowsOf(pid))
                if (::GetDlgItem(hwnd, kOpenFileNameBox)) return hwnd;
            return nullptr;
        },
        kStepTimeoutMs, "打开文件的对话框");
    // First into the file's folder, then the file by its name, as a user picks a file: the
    // dialog makes the chosen folder the editor's current directory (Wine's dialog leaves
    // its start folder current when a full path is typed at once).
    const std::size_t slash = o.open.find_last_of(L'\\');
    if (slash != std::wstring::npos) {
        SetText(::GetDlgItem(openDialog, kOpenFileNameBox), o.open.substr(0, slash + 1));
        Press(openDialog, IDOK);
        ::Sleep(500);
    }
    SetText(::GetDlgItem(openDialog, kOpenFileNameBox),
            slash == std::wstring::npos ? o.open : o.open.substr(slash + 1));
    Press(openDialog, IDOK);
    HWND client = FindChild(main, [](HWND h) { return ClassOf(h) == "MDIClient"; });
    if (!client) throw Failure{"主窗口没有文档区"};
    HWND document = WaitFor(
        [&]() -> HWND {
            FailOnErrorBox(pid);
            return ::GetWindow(client, GW_CHILD);
        },
        kStepTimeoutMs, "文档窗口");

    // 开始转换, then the description and the file name, then 确认.
    ::PostMessageA(main, WM_COMMAND, CommandId(app::Element::Transfer), 0);
    HWND confirm = WaitFor(
        [&] {
            FailOnErrorBox(pid);
            return TopWindowWithCaption(pid, kConfirmCaption);
        },
        kStepTimeoutMs, "词库属性对话框“确认”");
    SetText(::GetDlgItem(confirm, kDescriptionField), o.description);
    SetText(::GetDlgItem(confirm, kFileNameField), o.name);
    Press(confirm, kConfirmButton);

    // The run has ended when the pane is shown, the dialog is gone and the main window
    // takes commands again.
    HWND list = WaitFor(
        [&]() -> HWND {
            FailOnErrorBox(pid);
            if (TopWindowWithCaption(pid, kConfirmCaption) || !::IsWindowEnabled(main)) return nullptr;
            HWND pane = FindChild(document, [](HWND h) { return ClassOf(h) == "SysListView32"; });
            return pane && ::IsWindowVisible(pane) ? pane : nullptr;
        },
        kCompileTimeoutMs, "编译器结束、消息窗格出现");
    Say("文档：" + WindowTextA(document));
    for (const std::string& line : PaneLines(process, list)) Say("消息：" + line);

    std::wstring library = o.workdir;
    if (!library.empty() && library.back() != L'\\') library += L'\\';
    library += L"LIB\\" + o.name;
    if (o.name.find(L'.') == std::wstring::npos) library += L".LIB";
    if (::GetFileAttributesW(library.c_str()) == INVALID_FILE_ATTRIBUTES)
        throw Failure{"没有生成词库文件 " + Narrow(library)};
    Say("词库：" + Narrow(library));

    if (!o.leaveOpen) {
        ::PostMessageA(main, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(process, kStepTimeoutMs) != WAIT_OBJECT_0) throw Failure{"编辑器没有退出"};
    }
    ::CloseHandle(process);
    return 0;
}

int CloseEditor() {
    HWND main = ::FindWindowA(nullptr, kMainCaption);
    if (!main) return 0;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(main, &pid);
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    ::PostMessageA(main, WM_CLOSE, 0, 0);
    const bool ended = !process || ::WaitForSingleObject(process, kStepTimeoutMs) == WAIT_OBJECT_0;
    if (process) ::CloseHandle(process);
    if (!ended) throw Failure{"编辑器没有退出"};
    return 0;
}

int PrintShortcut(const std::wstring& path) {
    ::CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link))))
        throw Failure{"无法读取快捷方式"};
    IPersistFile* file = nullptr;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (!file || FAILED(file->Load(path.c_str(), STGM_READ))) throw Failure{"无法打开快捷方式 " + Narrow(path)};
    wchar_t target[MAX_PATH] = {}, folder[MAX_PATH] = {}, arguments[MAX_PATH] = {};
    link->GetPath(target, MAX_PATH, nullptr, 0);
    link->GetWorkingDirectory(folder, MAX_PATH);
    link->GetArguments(arguments, MAX_PATH);
    Say("目标：" + Narrow(target));
    Say("参数：" + Narrow(arguments));
    Say("工作文件夹：" + Narrow(folder));
    file->Release();
    link->Release();
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Lines end in LF alone, as the scripts that read them expect.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    try {
        JobOptions job;
        for (int i = 1; i < argc; ++i) {
            const std::wstring arg = argv[i];
            auto value = [&]() -> std::wstring {
                if (i + 1 >= argc) throw Failure{"选项 " + Narrow(arg) + " 缺少值"};
                return argv[++i];
            };
            if (arg == L"--close") return CloseEditor();
            if (arg == L"--shortcut") return PrintShortcut(value());
            if (arg == L"--editor")
                job.editor = value();
            else if (arg == L"--workdir")
                job.workdir = value();
            else if (arg == L"--open")
                job.open = value();
            else if (arg == L"--name")
                job.name = value();
            else if (arg == L"--description")
                job.description = value();
            else if (arg == L"--leave-open")
                job.leaveOpen = true;
            else
                throw Failure{"未知的选项 " + Narrow(arg)};
        }
        if (job.editor.empty() || job.workdir.empty() || job.open.empty() || job.name.empty())
            throw Failure{
                "用法：velmora_main_job --editor EXE --workdir DIR --open FILE --name NAME --description TEXT"};
        return RunJob(job);
    } catch (const Failure& failure) {
        const std::string text = "失败：" + failure.step + "\n";
        std::fwrite(text.data(), 1, text.size(), stderr);
        return 1;
    }
}
