// The program the apply test localises: its main window takes its title from the string
// table and its menu bar from the menu, and it shows the dialog beside it.
#include <windows.h>

namespace {

// The menu bar as this program shows it, written to menu.txt (UTF-8) when the checker
// asks: menu handles belong to their process under Wine, so the checker cannot read them.
void write_menu(HWND window) {
    HANDLE file = CreateFileW(L"menu.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const auto line = [file](const char* key, const wchar_t* text) {
        char utf8[512];
        const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
        DWORD written = 0;
        WriteFile(file, key, lstrlenA(key), &written, nullptr);
        WriteFile(file, "=", 1, &written, nullptr);
        if (n > 1) WriteFile(file, utf8, n - 1, &written, nullptr);
        WriteFile(file, "\n", 1, &written, nullptr);
    };
    HMENU bar = GetMenu(window);
    wchar_t text[256];
    char key[32];
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        GetMenuStringW(bar, i, text, 256, MF_BYPOSITION);
        wsprintfA(key, "menu%d", i);
        line(key, text);
        HMENU popup = GetSubMenu(bar, i);
        for (int k = 0; popup != nullptr && k < GetMenuItemCount(popup); ++k) {
            GetMenuStringW(popup, k, text, 256, MF_BYPOSITION);
            wsprintfA(key, "menu%d.%d", i, k);
            line(key, text);
        }
    }
    CloseHandle(file);
}

LRESULT CALLBACK main_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_APP) {
        write_menu(window);
        return 1;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

INT_PTR CALLBACK dialog_procedure(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = main_procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = L"ApplyTarget";
    RegisterClassW(&window_class);
    wchar_t title[100] = L"";
    LoadStringW(instance, 100, title, 100);
    HWND window = CreateWindowW(L"ApplyTarget", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 400, 300, nullptr,
                                LoadMenuW(instance, MAKEINTRESOURCEW(1)), instance, nullptr);
    HWND dialog = CreateDialogW(instance, MAKEINTRESOURCEW(200), window, dialog_procedure);
    SetWindowPos(dialog, HWND_TOP, 60, 120, 0, 0, SWP_NOSIZE);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return 0;
}
