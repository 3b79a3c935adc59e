#pragma once
// Timing a generation run the way a user starts one, and the compiler alone on the same
// input: the two benchmarks that put them side by side share these.
#include <windows.h>

#include <string>
#include <utility>

#include "bench/support/stopwatch.h"
#include "generation/confirm1.h"
#include "tests/support/gui_harness.h"
#include "win/handles.h"

namespace bench {

// The command line the editor gives the compiler for the library "bench".
inline const char* const kBenchCompilerCommandLine = "Mervik.exe   temp.trs \"LIB\\bench\"  \"性能测试\"";

// Mervik.exe started and waited for: wall milliseconds, or 0 when it did not start.
inline double RunCompilerAlone(const std::string& commandLine = kBenchCompilerCommandLine) {
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    double start = Milliseconds();
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return 0;
    win::KernelHandle process(info.hProcess), thread(info.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    return Milliseconds() - start;
}

// One run: `generate` starts it, the properties dialog is answered with the description
// "性能测试" and the name "bench", and `shown` brings the result to the screen. Wall
// milliseconds from the press of OK to the end of `shown`.
template <typename Generate, typename Shown>
double TimeGenerationRun(Generate&& generate, Shown&& shown) {
    double okPressed = 0;
    harness::ModalAnswerer answerer;
    answerer.Then([&](HWND dialog) {
        ::SetDlgItemTextA(dialog, generation::TConfirm::kEdit1, "性能测试");
        ::SetDlgItemTextA(dialog, generation::TConfirm::kEdit2, "bench");
        okPressed = Milliseconds();
        ::SendMessageA(::GetDlgItem(dialog, generation::TConfirm::kButton1), BM_CLICK, 0, 0);
    });
    std::forward<Generate>(generate)();
    std::forward<Shown>(shown)();
    return Milliseconds() - okPressed;
}

}  // namespace bench
