// KORVEX with the compiler benchmark's entries, under Wine: open to the list shown, one
// filter keystroke, save, and peak memory, each beside Mervik.exe's own compile time of
// the same entries in the same run. Figures only; nothing is asserted.
//   korvex_bench.exe WORDS.trs MERVIK.exe
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "korvex/korvex_form.h"
#include "korvex/resource_ids.h"
#include "win/handles.h"

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// Mervik.exe compiling the word list into a library, as the editor runs it.
double CompileMs(const std::string& mervik, const std::string& words, const std::string& output) {
    std::string line = "\"" + mervik + "\" \"" + words + "\" \"" + output + "\" \"bench\"";
    STARTUPINFOA si{sizeof si};
    PROCESS_INFORMATION pi{};
    const double start = Now();
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    win::KernelHandle process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    const double elapsed = Now() - start;
    DWORD code = 1;
    ::GetExitCodeProcess(process.get(), &code);
    return code == 0 ? elapsed : -1;
}

std::size_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return data.nFileSizeLow;
}

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

void TypeFilter(korvex::TKorvexForm& form, const wchar_t* text) {
    ::SetWindowTextW(form.FilterBox(), text);
    ::UpdateWindow(form.List());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: korvex_bench WORDS.trs MERVIK.exe\n");
        return 2;
    }
    const std::string words = argv[1];
    const std::string mervik = argv[2];
    const std::string library = "bench_out\\words.LIB";
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    constexpr int runs = 3;
    double compile = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double ms = CompileMs(mervik, words, library);
        if (ms < 0) {
            std::fprintf(stderr, "Mervik.exe failed\n");
            return 1;
        }
        compile = std::min(compile, ms);
    }
    const std::size_t librarySize = FileSize(library);

    const PROCESS_MEMORY_COUNTERS before = Memory();
    double open = 1e30, keystroke = 1e30, narrowing = 1e30, save = 1e30;
    std::size_t entries = 0, shown = 0;
    for (int i = 0; i < runs; ++i) {
        korvex::TKorvexForm form;
        form.Create();
        ::ShowWindow(form.hwnd(), SW_SHOW);
        ::UpdateWindow(form.hwnd());
        Pump();

        double start = Now();
        if (!form.OpenFile(library)) return 1;
        ::UpdateWindow(form.List());
        open = std::min(open, Now() - start);
        entries = form.Table().size();

        // The first keystroke looks at every entry; the next one only at the rows shown.
        start = Now();
        TypeFilter(form, L"文");
        keystroke = std::min(keystroke, Now() - start);
        start = Now();
        TypeFilter(form, L"文件");
        narrowing = std::min(narrowing, Now() - start);
        shown = form.View().size();
        TypeFilter(form, L"");

        // 保存 over the file just opened.
        ListView_SetItemState(form.List(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        start = Now();
        ::SendMessageA(form.hwnd(), WM_COMMAND, IDM_SAVE, 0);
        save = std::min(save, Now() - start);
        Pump();
        ::DestroyWindow(form.hwnd());
        Pump();
    }
    const PROCESS_MEMORY_COUNTERS after = Memory();

    const double mb = 1024.0 * 1024.0;
    std::printf("entries: %zu   library %.1f MB\n", entries, librarySize / mb);
    std::printf("Mervik.exe compile (same entries, this run): %8.1f ms\n", compile);
    std::printf("open to list shown      : %8.1f ms   (goal 500 ms)   %.2f x the compile\n", open, open / compile);
    std::printf("filter keystroke \"文\"   : %8.1f ms   (goal 50 ms)    %.2f x the compile\n", keystroke,
                keystroke / compile);
    std::printf("next keystroke \"文件\"   : %8.1f ms   (%zu rows shown)\n", narrowing, shown);
    std::printf("save                    : %8.1f ms   (goal 500 ms)   %.2f x the compile\n", save, save / compile);
    const double peakPrivate = static_cast<double>(after.PeakPagefileUsage) - static_cast<double>(before.PagefileUsage);
    std::printf("peak memory             : %8.1f MB private over the empty window (%.2f x the library, goal 3)\n",
                peakPrivate / mb, peakPrivate / static_cast<double>(librarySize));
    std::printf("                          %8.1f MB peak working set of the whole process (%.2f x the library)\n",
                after.PeakWorkingSetSize / mb, static_cast<double>(after.PeakWorkingSetSize) / librarySize);
    return 0;
}
