// Figures for find and replace, printed, never asserted (run with bench/search/run_bench.sh):
//  1. Find Next from the start of a 655,360-byte document to its only hit, in its
//     last line;
//  2. Replace All over 10,000 occurrences in a 655,360-byte document, pressed in the
//     real dialog, the Undo that takes it back, and where the time of Replace All
//     goes: reading the text, the walk over it, and putting the result into the
//     editor, in place or as a fresh text.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/support/stopwatch.h"
#include "documents/batchild.h"
#include "search/text_search.h"
#include "tests/support/gui_harness.h"

namespace {

const std::size_t kDocumentBytes = 655360;
const int kHits = 10000;
const int kRounds = 3;

double Time(const std::function<void()>& work) {
    double start = bench::Milliseconds();
    work();
    return bench::Milliseconds() - start;
}

// A word list of exactly kDocumentBytes: lines of `lineBytes` (CR LF included), the
// first `hits` of them holding "旧词" once, the rest filled with Chinese and ASCII.
std::string WordList(std::size_t lineBytes, int hits) {
    std::string text;
    for (int line = 0; text.size() + 2 * lineBytes <= kDocumentBytes; ++line) {
        std::string entry = std::to_string(line) + (line < hits ? " 旧词 " : " 词条 ");
        while (entry.size() + 4 <= lineBytes) entry += entry.size() % 3 ? "文" : "x";
        entry.resize(lineBytes - 2, 'x');
        text += entry + "\r\n";
    }
    // The last line, ASCII, makes up the size.
    text += std::string(kDocumentBytes - text.size() - 2, 'x') + "\r\n";
    return text;
}

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

struct OwnedDialog {
    HWND owner;
    const char* caption;
    HWND found = nullptr;
};

BOOL CALLBACK FindOwnedDialog(HWND hwnd, LPARAM param) {
    auto* query = reinterpret_cast<OwnedDialog*>(param);
    if (::GetWindow(hwnd, GW_OWNER) == query->owner && harness::WindowText(hwnd) == query->caption) {
        query->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

class FindReplaceBench : public harness::AppTest {
protected:
    void SetUp() override {
        std::setvbuf(stdout, nullptr, _IONBF, 0);  // each figure as soon as it is known
        harness::AppTest::SetUp();
    }
    documents::TMdiChild* Document(const std::string& text) {
        if (!document_) {
            Main().New1Click();
            Pump();
            document_ = Main().ActiveDocument();
        }
        document_->Editor().Clear();
        document_->Editor().ReplaceSelection(text, false);
        document_->Editor().SetSelection(0, 0);
        Pump();
        return document_;
    }
    HWND Dialog(const char* caption) {
        OwnedDialog query{Main().hwnd(), caption};
        ::EnumThreadWindows(::GetCurrentThreadId(), FindOwnedDialog, reinterpret_cast<LPARAM>(&query));
        return query.found;
    }
    double Press(HWND dialog, int id) {
        HWND button = ::GetDlgItem(dialog, id);
        double ms = Time([&] { ::SendMessageA(button, BM_CLICK, 0, 0); });
        Pump();
        return ms;
    }

    documents::TMdiChild* document_ = nullptr;
};

TEST_F(FindReplaceBench, FindNextToAHitAtTheEnd) {
    std::string text = WordList(64, 0);
    text.replace(text.size() - 8, 6, "目标xx");  // the last line ends in ASCII
    auto* doc = Document(text);
    Main().findBtnClick();
    Pump();
    HWND dialog = Dialog("查找");
    ASSERT_NE(dialog, nullptr);
    ::SetDlgItemTextA(dialog, 0x480, "目标");
    harness::ModalAnswerer answerer;  // a box nobody expected is closed and reported
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        doc->Editor().SetSelection(0, 0);
        times.push_back(Press(dialog, IDOK));
        ASSERT_EQ(doc->Editor().Selection().start, static_cast<int>(text.size() - 8));
    }
    std::printf("Find Next, start of %zu bytes (%zu lines) to the hit at its end: %.0f ms (median of %d)\n",
                text.size(), Lines(text), bench::Median(times), kRounds);
}

TEST_F(FindReplaceBench, ReplaceAllTenThousandOccurrences) {
    for (std::size_t lineBytes : {64u, 32u}) {
        std::string text = WordList(lineBytes, kHits);
        auto expected = search::ReplaceAll(text, "旧词", "新的词", {});
        ASSERT_EQ(expected.count, static_cast<std::size_t>(kHits));
        std::printf("%zu bytes, %zu lines of %zu bytes, %d occurrences:\n", text.size(), Lines(text), lineBytes, kHits);

        harness::ModalAnswerer answerer;
        std::vector<double> presses, undos;
        for (int round = 0; round < kRounds; ++round) {
            auto* doc = Document(text);
            Main().ReplaceClick();
            Pump();
            HWND dialog = Dialog("替换");
            ASSERT_NE(dialog, nullptr);
            ::SetDlgItemTextA(dialog, 0x480, "旧词");
            ::SetDlgItemTextA(dialog, 0x481, "新的词");
            presses.push_back(Press(dialog, 0x401));
            ASSERT_EQ(doc->Editor().Selection().start, static_cast<int>(expected.start + expected.newText.size()));
            undos.push_back(Time([&] { Main().Undo1Click(); }));
            Pump();
            ASSERT_EQ(doc->Editor().TextLength(), static_cast<int>(text.size()));
        }
        std::printf("  Replace All, pressed in the dialog: %.0f ms (median of %d)\n", bench::Median(presses), kRounds);
        std::printf("  Undo of it:                         %.0f ms (median of %d)\n", bench::Median(undos), kRounds);

        auto* doc = Document(text);
        std::string read;
        std::printf("    reading the text:                %.0f ms\n", Time([&] { read = doc->Editor().Text(); }));
        search::ReplaceAllResult walked;
        std::printf("    the walk over it:                %.0f ms\n",
                    Time([&] { walked = search::ReplaceAll(read, "旧词", "新的词", {}); }));
        std::string rebuilt = read.substr(0, walked.start) + walked.newText +
                              read.substr(walked.start + walked.oldLength);
        std::printf("    a fresh text in the editor:      %.0f ms\n", Time([&] {
                        doc->Editor().Clear();
                        doc->Editor().ReplaceSelection(rebuilt, false);
                        doc->Editor().SetSelection(static_cast<int>(walked.start + walked.newText.size()));
                    }));
        if (lineBytes != 64) continue;  // in place it takes minutes over more lines
        doc = Document(text);
        std::printf("    the changed stretch in place:    %.0f ms\n", Time([&] {
                        doc->Editor().SetSelection(static_cast<int>(walked.start), static_cast<int>(walked.oldLength));
                        doc->Editor().ReplaceSelection(walked.newText, false);
                    }));
        ASSERT_EQ(doc->Editor().Text(), rebuilt);
    }
}

}  // namespace
