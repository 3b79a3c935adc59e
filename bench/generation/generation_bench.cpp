// Figures for the generation run, printed, never asserted (run with run_bench.sh):
//  1. from the dialog's OK to the pane shown, for a 640 KB document, beside Mervik.exe
//     run by itself on the same temp.trs;
//  2. filling the message pane with 100,000 messages.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/support/generation_timing.h"
#include "bench/support/stopwatch.h"
#include "documents/batchild.h"
#include "generation/confirm1.h"
#include "tests/generation/generation_fixture.h"
#include "win/handles.h"

namespace {

using gentest::GenerationTest;

const int kRounds = 5;

std::string WordList(std::size_t bytes) {
    std::string text;
    char line[160];
    for (int i = 0; text.size() < bytes; ++i) {
        std::snprintf(line, sizeof line, "原文条目%06d的文字=Translation number %06d of the entry\r\n", i, i);
        text += line;
    }
    return text;
}

TEST_F(GenerationTest, RunOf640KilobyteDocumentBesideTheCompilerAlone) {
    InstallRealCompiler();
    const std::string path = InProgramDir("bench-source.txt");
    gentest::WriteFileBytes(path, WordList(640 * 1024));
    Main().Execute(app::Command::New);
    documents::TMdiChild& document = *Main().ActiveDocument();
    document.Editor().SetMode(documents::TextMode::Plain);
    document.Editor().LoadFromFile(path);
    ::DeleteFileA(path.c_str());
    Pump(100);

    std::vector<double> runs, alone;
    std::size_t messages = 0;
    for (int round = 0; round < kRounds; ++round) {
        runs.push_back(bench::TimeGenerationRun(
            [&] { Generate(); },
            [&] { ::RedrawWindow(document.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }));
        messages = PaneRows(document).size();
        alone.push_back(bench::RunCompilerAlone());
        EXPECT_GT(alone.back(), 0) << "Mervik.exe did not start";
    }
    std::string source = gentest::ReadFileBytes(InProgramDir("temp.trs"));
    double run = bench::Median(runs), compiler = bench::Median(alone);
    std::printf("\n640 KB document (%zu bytes of temp.trs, %zu messages), %d runs:\n", source.size(), messages,
                kRounds);
    std::printf("  OK pressed -> pane shown, each run:");
    for (double ms : runs) std::printf(" %.1f", ms);
    std::printf(" ms\n  (the first run also shows the pane for the first time: the editor is laid out anew)\n");
    std::printf("  OK pressed -> pane shown, median:   %8.1f ms\n", run);
    std::printf("  Mervik.exe alone, same input:       %8.1f ms (median)\n", compiler);
    std::printf("  the run adds:                       %8.1f ms (%.1f%% of the compiler's time; goal < 20%%)\n\n",
                run - compiler, (run - compiler) * 100.0 / compiler);
}

TEST_F(GenerationTest, FillingThePaneWithAHundredThousandMessages) {
    Main().Execute(app::Command::New);
    documents::TMdiChild& document = *Main().ActiveDocument();
    std::vector<std::string> lines;
    for (int i = 0; i < 100000; ++i)
        lines.push_back("temp.trs(" + std::to_string(i + 1) +
                        "): 警告 W201: 与第 1 行的条目完全相同，这一行不会再次写入词库：“文件”");
    std::vector<double> fills;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::string> copy = lines;
        double start = bench::Milliseconds();
        document.ErrorList().SetLines(std::move(copy));
        document.ShowErrorList();
        ::RedrawWindow(document.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        fills.push_back(bench::Milliseconds() - start);
        Pump(20);
    }
    std::printf("\nFilling the pane with 100,000 messages and showing it, median of %d: %.1f ms (goal < 100 ms)\n\n",
                kRounds, bench::Median(fills));
}

}  // namespace
