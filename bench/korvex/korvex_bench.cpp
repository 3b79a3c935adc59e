// KORVEX with the compiler benchmark's entries, under Wine: open to the list shown, one
// filter keystroke, save, and peak memory, each beside Mervik.exe's own compile time of
// the same entries in the same run; then the same entries as a word list to translate:
// opening it, F8 to the next untranslated entry with the edit pane shown, and
// F8 over a list with nothing left to translate. Figures only; nothing is asserted.
//   korvex_bench.exe WORDS.trs MERVIK.exe
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "bench/support/stopwatch.h"
#include "korvex/korvex_form.h"
#include "korvex/resource_ids.h"
#include "win/handles.h"

namespace {

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
    // Its report goes to Mervik.ERR; what it also prints is not for this table.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    win::FileHandle nul(::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOA si{sizeof si};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = nul.get();
    si.hStdError = nul.get();
    PROCESS_INFORMATION pi{};
    const double start = bench::Milliseconds();
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return -1;
    win::KernelHandle process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    const double elapsed = bench::Milliseconds() - start;
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

    // Best of the runs, wall time and this thread's processor time.
    struct Figure {
        double wall = 1e30;
        double cpu = 1e30;
    };
    auto measure = [](Figure& figure, auto&& work) {
        const double wall = bench::Milliseconds(), cpu = bench::ThreadCpuMs();
        work();
        figure.wall = std::min(figure.wall, bench::Milliseconds() - wall);
        figure.cpu = std::min(figure.cpu, bench::ThreadCpuMs() - cpu);
    };
    Figure open, keystroke, narrowing, filterOnly, save, f8Nothing;
    std::size_t baseline = 0, peak = 0, entries = 0, shown = 0;
    for (int i = 0; i < runs; ++i) {
        korvex::TKorvexForm form;
        form.Create();
        ::ShowWindow(form.hwnd(), SW_SHOW);
        ::UpdateWindow(form.hwnd());
        Pump();
        // The first run's growth over the empty window is the editor's own cost; the
        // process's peak only grows, so later runs cannot be told apart in it.
        if (i == 0) baseline = Memory().WorkingSetSize;

        bool opened = false;
        measure(open, [&] {
            opened = form.OpenFile(library);
            ::UpdateWindow(form.List());
        });
        if (!opened) return 1;
        entries = form.Table().size();

        // The first keystroke looks at every entry; the next one only at the rows shown.
        measure(keystroke, [&] { TypeFilter(form, L"文"); });
        measure(narrowing, [&] { TypeFilter(form, L"文件"); });
        shown = form.View().size();
        TypeFilter(form, L"");
        {
            korvex::EntryView view(form.Table());
            measure(filterOnly, [&] { view.SetFilter("文"); });
        }

        // F8 where no entry waits: every row is looked at.
        measure(f8Nothing, [&] { ::SendMessageA(form.hwnd(), WM_COMMAND, IDM_NEXT_PENDING, 0); });

        // 保存 over the file just opened.
        measure(save, [&] { ::SendMessageA(form.hwnd(), WM_COMMAND, IDM_SAVE, 0); });
        Pump();
        if (i == 0) peak = Memory().PeakWorkingSetSize;
        ::DestroyWindow(form.hwnd());
        Pump();
    }

    // The word list itself. No library lies beside it: the memory's look-up has its own
    // benchmark over a memory of real texts (run_pane_bench.sh); a memory of these
    // generated entries, thousands alike but for a number, would measure only that.
    Figure openList, f8;
    std::size_t listEntries = 0;
    constexpr int presses = 20;
    for (int i = 0; i < runs; ++i) {
        korvex::TKorvexForm form;
        form.Create();
        ::ShowWindow(form.hwnd(), SW_SHOW);
        ::UpdateWindow(form.hwnd());
        Pump();
        bool opened = false;
        measure(openList, [&] {
            opened = form.OpenFile(words);
            ::UpdateWindow(form.List());
        });
        if (!opened) return 1;
        listEntries = form.Table().size();
        // The first move reads the memory.
        ::SendMessageA(form.hwnd(), WM_COMMAND, IDM_NEXT_PENDING, 0);
        Pump();
        Figure each;
        measure(each, [&] {
            for (int k = 0; k < presses; ++k) {
                ::SendMessageA(form.hwnd(), WM_COMMAND, IDM_NEXT_PENDING, 0);
                ::UpdateWindow(form.hwnd());
                ::UpdateWindow(form.List());
                ::UpdateWindow(form.Suggestions().List());
            }
        });
        f8.wall = std::min(f8.wall, each.wall / presses);
        f8.cpu = std::min(f8.cpu, each.cpu / presses);
        ::DestroyWindow(form.hwnd());
        Pump();
    }

    const double mb = 1024.0 * 1024.0;
    std::printf("entries: %zu   library %.1f MB   (best of %d; wall ms, with this thread's processor ms)\n", entries,
                librarySize / mb, runs);
    std::printf("Mervik.exe compile (same entries, this run): %8.1f ms\n", compile);
    auto line = [&](const char* what, const Figure& f, const char* goal) {
        std::printf("%-24s: %8.1f ms  (cpu %6.1f)  %-16s %.2f x the compile\n", what, f.wall, f.cpu, goal,
                    f.wall / compile);
    };
    line("open to list shown", open, "goal 500 ms");
    line("filter keystroke \"文\"", keystroke, "goal 50 ms");
    line("  of which the filter", filterOnly, "");
    line("next keystroke \"文件\"", narrowing, "");
    std::printf("  (%zu rows shown after it)\n", shown);
    line("save", save, "goal 500 ms");
    line("F8 with nothing to do", f8Nothing, "goal 16 ms");
    std::printf("word list: %zu entries, every tenth untranslated and every twentieth waiting for review\n",
                listEntries);
    line("open word list", openList, "goal 1.5 x");
    line("F8 with the pane shown", f8, "goal 16 ms");
    const double extra = static_cast<double>(peak - baseline);
    std::printf("peak memory             : %8.1f MB working set over the empty window (%.2f x the library, goal 3)\n",
                extra / mb, extra / static_cast<double>(librarySize));
    std::printf("                          %8.1f MB peak working set of the whole process under Wine\n", peak / mb);
    return 0;
}
