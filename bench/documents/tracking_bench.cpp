// Prints the cost of a typed character and of a caret move at the end of a large
// document beside a small one, and the time of Clear on the large one. Not a test.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/application.h"
#include "app/batadd.h"
#include "bench/support/stopwatch.h"
#include "documents/batchild.h"

namespace {

struct Costs {
    double typed, moved;
};

Costs Measure(app::Application& application, documents::TMdiChild& doc, int rounds) {
    HWND editor = doc.Editor().hwnd();
    doc.Editor().SetSelection(-1);
    application.PumpPending();
    double start = bench::Seconds();
    for (int i = 0; i < rounds; ++i) {
        ::SendMessageA(editor, WM_CHAR, 'x', 0);
        application.PumpPending();
    }
    double typed = (bench::Seconds() - start) / rounds;
    start = bench::Seconds();
    for (int i = 0; i < rounds; ++i) {
        ::SendMessageA(editor, WM_KEYDOWN, (i % 2) ? VK_RIGHT : VK_LEFT, 0);
        application.PumpPending();
    }
    double moved = (bench::Seconds() - start) / rounds;
    return {typed, moved};
}

}  // namespace

int main() {
    app::Application application;
    application.Start();
    application.PumpPending();
    auto& form = *application.MainForm();

    form.New1Click();
    auto* small = form.ActiveDocument();
    small->Editor().ReplaceSelection(std::string(48, 'a') + "\r\n" + std::string(48, 'b') + "\r\n", false);

    form.New1Click();
    auto* large = form.ActiveDocument();
    std::string text;
    while (text.size() + 33 <= 655360 - 33) text += "0123456789abcdefghijklmnopqrstu\r\n";
    text.resize(655360 - 2, 'z');
    text += "\r\n";
    large->Editor().ReplaceSelection(text, false);
    application.PumpPending();

    const int rounds = 200;
    Costs s = Measure(application, *small, rounds);
    Costs l = Measure(application, *large, rounds);
    std::printf("typed character: small %.3f ms, large %.3f ms, ratio %.2f\n", s.typed * 1e3, l.typed * 1e3,
                l.typed / s.typed);
    std::printf("caret move:      small %.3f ms, large %.3f ms, ratio %.2f\n", s.moved * 1e3, l.moved * 1e3,
                l.moved / s.moved);

    ::SendMessageA(form.DocumentArea(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(large->hwnd()), 0);
    application.PumpPending();
    double start = bench::Seconds();
    form.l1Click();
    application.PumpPending();
    std::printf("Clear of the %zu-byte, 20,000-line document: %.3f s\n", text.size(), bench::Seconds() - start);
    ::DestroyWindow(form.hwnd());
    return 0;
}
