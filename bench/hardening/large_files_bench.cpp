// Figures, not a test: a 1 MB and a 10 MB GBK document opened and saved in a document
// window; whether the saved bytes equal the opened ones, the time of each step and the
// process's private memory. run_bench.sh builds and runs it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/application.h"
#include "app/batadd.h"
#include "bench/support/stopwatch.h"
#include "documents/batchild.h"
#include "tests/documents/document_fixture.h"
#include "tests/hardening/fault_support.h"

namespace {

unsigned long PrivateKb() { return static_cast<unsigned long>(faults::PrivateBytes() >> 10); }

void PumpAll(app::Application& application) {
    for (int i = 0; i < 5; ++i) application.PumpPending();
}

void Measure(app::Application& application, const std::string& folder, std::size_t bytes) {
    const std::string text = doctest::LargeGbkText(bytes);
    const std::string path = folder + "large-" + std::to_string(bytes) + ".txt";
    doctest::WriteBytes(path, text);
    const unsigned long before = PrivateKb();
    double start = bench::Seconds();
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
    ::DeleteFileA(path.c_str());
    doc->Editor().SaveToFile(path);
    const double saved = bench::Seconds();
    const std::string back = doctest::ReadBytes(path);
    std::printf("%9zu bytes, %6d lines: open %6.2f s, save %5.2f s, private memory %lu KB -> %lu KB (%+ld KB); %s\n",
                text.size(), static_cast<int>(::SendMessageA(doc->Editor().hwnd(), EM_GETLINECOUNT, 0, 0)) - 1,
                opened - start, saved - opened, before, loaded, static_cast<long>(loaded) - static_cast<long>(before),
                whole && back == text ? "saved bytes equal the opened ones"
                                      : (back.size() == text.size() ? "SAVED BYTES DIFFER" : "TRUNCATED"));
    std::fflush(stdout);
    ::SendMessageA(application.MainForm()->DocumentArea(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(doc->hwnd()), 0);
    PumpAll(application);
    ::DeleteFileA(path.c_str());
}

}  // namespace

int main() {
    app::Application application;
    application.Start();
    PumpAll(application);
    doctest::ScratchFolder folder;
    std::printf("Large documents opened and saved whole\n");
    Measure(application, folder.path(), 1u << 20);
    Measure(application, folder.path(), 10u << 20);
    ::DestroyWindow(application.MainForm()->hwnd());
    PumpAll(application);
    return 0;
}
