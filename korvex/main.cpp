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
        // The wide loop: the filter box is a Unicode edit, and characters an input method
        // types must reach it as they are. The narrow loop would squeeze each one through
        // the ANSI code page on its way (and Wine's 64-bit loader loses them there).
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            // The memory's tool windows first: their keys are their own, not the list's.
            if (form.TranslateToolMessage(&msg)) continue;
            if (::TranslateAcceleratorW(form.hwnd(), keys, &msg)) continue;
            if (::IsDialogMessageW(form.hwnd(), &msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    } catch (const std::exception& e) {
        ::MessageBoxA(nullptr, e.what(), korvex::kProgramTitle, MB_OK | MB_ICONSTOP);
    }
    return 0;
}
