#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <exception>

#include "korvex/korvex_form.h"
#include "korvex/korvex_messages.h"
#include "korvex/resource_ids.h"
#include "win/gbk.h"

// KORVEX.EXE [library]: opens the library named on the command line, if any.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    try {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&controls);
        korvex::TKorvexForm form;
        form.Create();
        ::ShowWindow(form.hwnd(), showCommand);
        ::UpdateWindow(form.hwnd());

        int count = 0;
        LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
        if (arguments) {
            if (count > 1) form.OpenFile(win::WideToGbk(arguments[1]));
            ::LocalFree(arguments);
        }

        HACCEL keys = ::LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_KORVEX_KEYS));
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (::TranslateAcceleratorA(form.hwnd(), keys, &msg)) continue;
            if (::IsDialogMessageA(form.hwnd(), &msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    } catch (const std::exception& e) {
        ::MessageBoxA(nullptr, e.what(), korvex::kProgramTitle, MB_OK | MB_ICONSTOP);
    }
    return 0;
}
