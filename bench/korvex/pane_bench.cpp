// KORVEX's suggestion pane over a big memory, under Wine: the real window opens one
// library of a folder of many, and rows are selected one after another; each time is
// from the selection to the pane painted with its suggestions (the memory checked for
// changed files, the look-up, the rows filled and drawn). The first selection builds
// the index and is shown apart. Figures only; nothing is asserted.
//   korvex_pane_bench.exe LIBRARY [SELECTIONS]
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/support/stopwatch.h"
#include "korvex/concordance_window.h"
#include "korvex/korvex_form.h"
#include "korvex/resource_ids.h"
#include "korvex/suggestion_pane.h"
#include "win/gbk.h"

namespace {

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

double At(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const std::size_t rank = static_cast<std::size_t>(share * static_cast<double>(values.size()) + 0.999999);
    return values[std::min(values.size(), std::max<std::size_t>(rank, 1)) - 1];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: korvex_pane_bench LIBRARY [SELECTIONS]\n");
        return 2;
    }
    const int selections = argc > 2 ? std::atoi(argv[2]) : 300;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    korvex::TKorvexForm form;
    form.Create();
    ::ShowWindow(form.hwnd(), SW_SHOW);
    Pump();
    if (!form.OpenFile(argv[1])) return 1;
    Pump();
    HWND list = form.List();
    HWND pane = form.Suggestions().List();
    const int rows = ListView_GetItemCount(list);
    if (rows == 0) return 1;

    // As a click on another row: the row selected before loses its selection, the new
    // one gains it (each a notification to the window), and the pane paints. A row is
    // clicked where it is seen, so the list is first scrolled to it (not timed): the
    // focused row out of view makes the list scroll, and that is timed apart below.
    std::vector<double> deselecting, selecting, painting;
    int previous = -1;
    bool inView = true;
    const auto select = [&](int row) {
        if (inView) {
            ListView_EnsureVisible(list, row, FALSE);
            Pump();
        }
        const double start = bench::Milliseconds();
        if (previous >= 0) ListView_SetItemState(list, previous, 0, LVIS_SELECTED | LVIS_FOCUSED);
        const double deselected = bench::Milliseconds();
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        const double filled = bench::Milliseconds();
        ::UpdateWindow(pane);
        const double elapsed = bench::Milliseconds() - start;
        deselecting.push_back(deselected - start);
        selecting.push_back(filled - deselected);
        painting.push_back(start + elapsed - filled);
        previous = row;
        Pump();
        return elapsed;
    };
    const double first = select(0);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    std::printf("first selection (reads every library and builds the index): %.0f ms, working set %zu MB\n", first,
                static_cast<std::size_t>(counters.WorkingSetSize >> 20));

    std::vector<double> wall, lookup;
    std::size_t shown = 0, withSuggestions = 0;
    // Rows spread over the whole library, in a fixed order that jumps about.
    for (int i = 1; i <= selections; ++i) {
        const int row = static_cast<int>((static_cast<long long>(i) * 7919) % rows);
        wall.push_back(select(row));
        lookup.push_back(form.Suggestions().LastLookupMs());
        const int n = ListView_GetItemCount(pane);
        shown += static_cast<std::size_t>(n);
        withSuggestions += n > 0;
    }
    std::printf(
        "%d selections in a library of %d entries: selection to pane painted median %.1f ms, 95%% %.1f ms, "
        "max %.1f ms\n",
        selections, rows, At(wall, 0.5), At(wall, 0.95), At(wall, 1.0));
    std::printf("  of which the memory (changed files checked, look-up): median %.1f ms, 95%% %.1f ms, max %.1f ms\n",
                At(lookup, 0.5), At(lookup, 0.95), At(lookup, 1.0));
    std::vector<double> rest;
    for (std::size_t i = 0; i < wall.size(); ++i) rest.push_back(wall[i] - lookup[i]);
    std::printf("  the rest (the lists' own work, the pane filled and painted): median %.1f ms, 95%% %.1f ms\n",
                At(rest, 0.5), At(rest, 0.95));
    std::printf(
        "  the previous row deselected: median %.1f ms; the new row selected and the pane filled: median %.1f ms; "
        "the pane painted: median %.1f ms\n",
        At(deselecting, 0.5), At(selecting, 0.5), At(painting, 0.5));
    std::printf("  selections with suggestions: %zu, %.1f rows on average; goal: within 50 ms\n", withSuggestions,
                static_cast<double>(shown) / selections);

    // A row out of view selected (as after a jump from elsewhere): the list scrolls to it
    // before the pane is filled.
    inView = false;
    std::vector<double> jumps;
    const int jumpCount = std::max(1, selections / 3);
    for (int i = 1; i <= jumpCount; ++i) {
        jumps.push_back(select(static_cast<int>((static_cast<long long>(i) * 7919 + 4001) % rows)));
    }
    std::printf(
        "%d selections of rows out of view (the list scrolls to them): median %.1f ms, 95%% %.1f ms, max %.1f ms\n",
        jumpCount, At(jumps, 0.5), At(jumps, 0.95), At(jumps, 1.0));

    // 查找词语 over the same memory: the whole search as the window runs it (changed
    // files checked, every entry matched, the best 1,000 kept and shown).
    ::SendMessageW(form.hwnd(), WM_COMMAND, IDM_CONCORDANCE, 0);
    Pump();
    korvex::TConcordanceWindow* concordance = form.Concordance();
    if (concordance) {
        const wchar_t* words[] = {L"file", L"\u6587\u4ef6", L"save as", L"xyzzy"};  // 文件
        const char* scopes[] = {"originals and translations", "originals", "translations"};
        const int scopeIds[] = {IDC_CONCORDANCE_BOTH, IDC_CONCORDANCE_ORIGINALS, IDC_CONCORDANCE_TRANSLATIONS};
        for (int s = 0; s < 3; ++s) {
            ::CheckRadioButton(concordance->hwnd(), IDC_CONCORDANCE_ORIGINALS, IDC_CONCORDANCE_BOTH, scopeIds[s]);
            for (const wchar_t* word : words) {
                ::SetWindowTextW(concordance->WordBox(), word);
                const std::string shown = win::WideToGbk(word);
                std::vector<double> times;
                for (int i = 0; i < 5; ++i) {
                    const double start = bench::Milliseconds();
                    concordance->Search();
                    ::UpdateWindow(concordance->List());
                    times.push_back(bench::Milliseconds() - start);
                    Pump();
                }
                std::printf("concordance in the %s, \"%s\": %zu entries found, median %.0f ms of 5\n", scopes[s],
                            shown.c_str(), concordance->Result().total, At(times, 0.5));
            }
        }
    }
    ::DestroyWindow(form.hwnd());
    Pump();
    return 0;
}
