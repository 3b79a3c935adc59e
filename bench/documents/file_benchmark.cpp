// Figures, not a test: a GBK document of a given size opened and saved in a document
// window with the program's own windows and editor: the time of each step, the
// process's private memory, whether the saved bytes equal the opened ones, and what a
// caret move at the end of the text costs. bench/documents/run_benchmark.sh runs it for
// 640 KB and 1 MB, bench/hardening/run_bench.sh for 1 MB and 10 MB.
// Usage: document_file_benchmark [BYTES[xRUNS]]...   (default: 655360x3 1048576)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/batadd.h"
#include "bench/support/stopwatch.h"
#include "documents/batchild.h"
#include "tests/documents/document_fixture.h"
#include "tests/hardening/fault_support.h"

namespace {

struct Size {
    std::size_t bytes;
    int runs;
};

unsigned long PrivateKb() { return static_cast<unsigned long>(faults::PrivateBytes() >> 10); }

void PumpAll(app::Application& application) {
    for (int i = 0; i < 5; ++i) application.PumpPending();
}

void Measure(app::Application& application, const std::string& folder, std::size_t bytes, int runs) {
    const std::string text = doctest::LargeGbkText(bytes);
    const std::string path = folder + "bench-" + std::to_string(bytes) + ".txt";
    for (int run = 0; run < runs; ++run) {
        doctest::WriteBytes(path, text);
        const unsigned long before = PrivateKb();
        // Open: what Open does once the dialog has returned, up to the painted window.
        const double start = bench::Seconds();
        auto* doc = documents::TMdiChild::Create(*application.MainForm());
        doc->SetCaption(path);
        doc->Editor().SetMode(documents::TextMode::Plain);
        doc->Editor().LoadFromFile(path);
        doc->Editor().SetModified(false);
        ::UpdateWindow(doc->hwnd());
        PumpAll(application);
        const double opened = bench::Seconds();
        const unsigned long loaded = PrivateKb();
        const bool whole = doc->Editor().TextLength() == static_cast<int>(text.size());
        // The file is emptied first, so that only a save that really wrote brings the bytes back.
        doctest::WriteBytes(path, "");
        const double saveStart = bench::Seconds();
        doc->Editor().SaveToFile(path);
        const double saved = bench::Seconds();
        const std::string back = doctest::ReadBytes(path);
        // What every caret move at the end of the text costs in byte positions.
        doc->Editor().SetSelection(-1);
        const double caretStart = bench::Seconds();
        const int end = doc->Editor().Selection().start;
        const std::string tail = doc->Editor().TextRange(end - 10, end);
        const double caretEnd = bench::Seconds();
        const char* verdict = !whole || back.size() < text.size() ? "TRUNCATED"
                              : back != text || tail != text.substr(text.size() - 10)
                                  ? "SAVED BYTES DIFFER"
                                  : "saved bytes equal the opened ones";
        std::printf(
            "%9zu bytes, %6d lines: open %6.2f s, save %5.2f s, selection and range at the end %.3f s, private memory "
            "%lu KB -> %lu KB (%+ld KB); %s\n",
            text.size(), static_cast<int>(::SendMessageA(doc->Editor().hwnd(), EM_GETLINECOUNT, 0, 0)) - 1,
            opened - start, saved - saveStart, caretEnd - caretStart, before, loaded,
            static_cast<long>(loaded) - static_cast<long>(before), verdict);
        std::fflush(stdout);
        ::SendMessageA(application.MainForm()->DocumentArea(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(doc->hwnd()), 0);
        PumpAll(application);
    }
    ::DeleteFileA(path.c_str());
}

std::vector<Size> SizesFrom(int argc, char** argv) {
    std::vector<Size> sizes;
    for (int i = 1; i < argc; ++i) {
        char* rest = nullptr;
        const unsigned long bytes = std::strtoul(argv[i], &rest, 10);
        const int runs = rest && *rest == 'x' ? std::atoi(rest + 1) : 1;
        if (bytes > 0 && runs > 0) sizes.push_back({bytes, runs});
    }
    if (sizes.empty()) sizes = {{640 * 1024, 3}, {1024 * 1024, 1}};
    return sizes;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<Size> sizes = SizesFrom(argc, argv);
    app::Application application;
    application.Start();
    PumpAll(application);
    doctest::ScratchFolder folder;
    std::printf("Velmora under this system: opening and saving a plain GBK document\n");
    for (const Size& size : sizes) Measure(application, folder.path(), size.bytes, size.runs);
    ::DestroyWindow(application.MainForm()->hwnd());
    PumpAll(application);
    return 0;
}
