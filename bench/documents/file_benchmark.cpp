// Figures, not a test: how long a document window takes to open and to save a GBK
// file of 640 KB (and of 1 MB), with the program's own windows and editor.
// bench/documents/run_benchmark.sh builds and runs it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/application.h"
#include "app/batadd.h"
#include "bench/support/stopwatch.h"
#include "documents/batchild.h"
#include "tests/documents/document_fixture.h"

namespace {

void PumpAll(app::Application& application) {
    for (int i = 0; i < 5; ++i) application.PumpPending();
}

void Measure(app::Application& application, const std::string& folder, std::size_t bytes, int runs) {
    std::string text = doctest::LargeGbkText(bytes);
    std::string path = folder + "bench-" + std::to_string(bytes) + ".txt";
    doctest::WriteBytes(path, text);
    for (int run = 0; run < runs; ++run) {
        // Open: what Open does once the dialog has returned, up to the painted window.
        double start = bench::Seconds();
        auto* doc = documents::TMdiChild::Create(*application.MainForm());
        doc->SetCaption(path);
        doc->Editor().SetMode(documents::TextMode::Plain);
        doc->Editor().LoadFromFile(path);
        doc->Editor().SetModified(false);
        ::UpdateWindow(doc->hwnd());
        PumpAll(application);
        double opened = bench::Seconds();
        doc->Editor().SaveToFile(path);
        double saved = bench::Seconds();
        bool same = doctest::ReadBytes(path) == text;
        // What every caret move at the end of the text costs in byte positions.
        doc->Editor().SetSelection(-1);
        double before = bench::Seconds();
        int end = doc->Editor().Selection().start;
        std::string tail = doc->Editor().TextRange(end - 10, end);
        double after = bench::Seconds();
        std::printf("%7zu bytes, %5d lines: open %.2f s, save %.2f s; selection and range at the end %.3f s%s\n",
                    text.size(), static_cast<int>(::SendMessageA(doc->Editor().hwnd(), EM_GETLINECOUNT, 0, 0)) - 1,
                    opened - start, saved - opened, after - before,
                    same && tail == text.substr(text.size() - 10) ? "" : "  (TEXT DIFFERS)");
        std::fflush(stdout);
        ::SendMessageA(application.MainForm()->DocumentArea(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(doc->hwnd()), 0);
        PumpAll(application);
    }
    ::DeleteFileA(path.c_str());
}

}  // namespace

int main() {
    app::Application application;
    application.Start();
    PumpAll(application);
    doctest::ScratchFolder folder;
    std::printf("Velmora under this system: opening and saving a plain GBK document\n");
    Measure(application, folder.path(), 640 * 1024, 3);
    Measure(application, folder.path(), 1024 * 1024, 1);
    ::DestroyWindow(application.MainForm()->hwnd());
    PumpAll(application);
    return 0;
}
