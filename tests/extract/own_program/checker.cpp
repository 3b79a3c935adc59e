// Starts a program, waits for its windows and prints what they show, one "key=value"
// line each in UTF-8: the main window's title, its menu bar's items (which the program
// writes for us), the dialog's caption
// and each control's text and width in pixels. Then ends the program it started.
// usage: checker.exe PROGRAM [SCREENSHOT.bmp]
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

struct Found {
    DWORD process;
    HWND main = nullptr, dialog = nullptr;
};

BOOL CALLBACK each_window(HWND window, LPARAM data) {
    Found& found = *reinterpret_cast<Found*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != found.process || !IsWindowVisible(window)) return TRUE;
    wchar_t name[64];
    GetClassNameW(window, name, 64);
    if (lstrcmpW(name, L"ApplyTarget") == 0) found.main = window;
    if (lstrcmpW(name, L"#32770") == 0) found.dialog = window;
    return TRUE;
}

// The window's picture as a 24-bit BMP file.
void save_bitmap(HWND window, const wchar_t* path) {
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info{sizeof info, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD stride = (w * 3 + 3) & ~3;
    std::string pixels(stride * h, '\0');
    GetDIBits(memory, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof info + pixels.size()), 0, 0,
                          sizeof(BITMAPFILEHEADER) + sizeof info};
    HANDLE out = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(out, &file, sizeof file, &written, nullptr);
    WriteFile(out, &info, sizeof info, &written, nullptr);
    WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    CloseHandle(out);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION started{};
    std::wstring line = L"\"" + std::wstring(argv[1]) + L"\"";
    if (!CreateProcessW(argv[1], line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        std::printf("error=cannot start (%lu)\n", GetLastError());
        return 1;
    }
    WaitForInputIdle(started.hProcess, 10000);
    Found found{started.dwProcessId};
    for (int i = 0; i < 100 && (found.main == nullptr || found.dialog == nullptr); ++i) {
        Sleep(100);
        EnumWindows(each_window, reinterpret_cast<LPARAM>(&found));
    }
    wchar_t text[256];
    if (found.main != nullptr) {
        GetWindowTextW(found.main, text, 256);
        std::printf("title=%s\n", utf8(text).c_str());
        // The program writes its own menu bar (see target.cpp) into its folder, ours.
        DeleteFileW(L"menu.txt");
        SendMessageW(found.main, WM_APP, 0, 0);
        HANDLE file = CreateFileW(L"menu.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            char bytes[4096];
            DWORD read = 0;
            ReadFile(file, bytes, sizeof bytes - 1, &read, nullptr);
            bytes[read] = 0;
            std::printf("%s", bytes);
            CloseHandle(file);
        }
    }
    if (found.dialog != nullptr) {
        GetWindowTextW(found.dialog, text, 256);
        RECT r;
        GetWindowRect(found.dialog, &r);
        std::printf("dialog=%s\ndialog.width=%ld\n", utf8(text).c_str(), r.right - r.left);
        for (HWND c = GetWindow(found.dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
            GetWindowTextW(c, text, 256);
            GetWindowRect(c, &r);
            std::printf("control%d=%s\ncontrol%d.width=%ld\n", GetDlgCtrlID(c), utf8(text).c_str(), GetDlgCtrlID(c),
                        r.right - r.left);
        }
        if (argc > 2) {
            SetForegroundWindow(found.dialog);
            RedrawWindow(found.dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            Sleep(500);
            save_bitmap(found.dialog, argv[2]);
        }
    }
    std::fflush(stdout);
    TerminateProcess(started.hProcess, 0);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return found.main != nullptr && found.dialog != nullptr ? 0 : 1;
}
