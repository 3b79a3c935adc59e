// A long session: the compiler stopped with "终止" again and again leaves no process
// and no temporary file behind and the next run works; many generation runs and many
// documents opened and closed give back every GDI and USER object. The counts default
// to a few for the test command; run_bench.sh runs them in full (20 stops, 1,000 runs,
// 1,000 open/close cycles) and prints the figures.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "generation/compiler_wait_box.h"
#include "tests/documents/document_fixture.h"
#include "tests/generation/generation_fixture.h"
#include "tests/hardening/fault_support.h"
#include "tests/hardening/stand_in_compiler_test.h"

namespace {

using Rows = std::vector<std::string>;

int Count(const char* variable, int fallback) {
    const char* value = std::getenv(variable);
    return value && *value ? std::atoi(value) : fallback;
}

using faults::CompilerProcesses;
using faults::TemporaryFilesIn;

// What the process holds: GDI and USER objects and private memory.
struct Holdings {
    DWORD gdi = 0, user = 0;
    SIZE_T privateBytes = 0;
};

// Where the system does not count the objects (Wine answers GetGuiResources with 0),
// they are counted here: GDI objects by asking every handle slot for its type (a slot
// number alone stands for the handle whatever its generation), USER objects as the
// windows of this process's threads (message-only ones too) and the menus, found the
// same way as the GDI objects.
DWORD ProbeGdiObjects() {
    DWORD count = 0;
    for (UINT_PTR slot = 1; slot < 0x10000; ++slot) count += ::GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0;
    return count;
}

BOOL CALLBACK CountOne(HWND, LPARAM counter) {
    ++*reinterpret_cast<DWORD*>(counter);
    return TRUE;
}

// A window and all its descendants (EnumChildWindows walks them all).
BOOL CALLBACK CountWindow(HWND window, LPARAM counter) {
    CountOne(window, counter);
    ::EnumChildWindows(window, CountOne, counter);
    return TRUE;
}

DWORD ProbeUserObjects() {
    DWORD count = 0;
    const DWORD self = ::GetCurrentProcessId();
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 thread{};
    thread.dwSize = sizeof thread;
    for (BOOL more = ::Thread32First(snapshot, &thread); more; more = ::Thread32Next(snapshot, &thread))
        if (thread.th32OwnerProcessID == self)
            ::EnumThreadWindows(thread.th32ThreadID, CountWindow, reinterpret_cast<LPARAM>(&count));
    ::CloseHandle(snapshot);
    for (HWND window = nullptr; (window = ::FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr));) {
        DWORD owner = 0;
        if (::GetWindowThreadProcessId(window, &owner) && owner == self)
            CountWindow(window, reinterpret_cast<LPARAM>(&count));
    }
    for (UINT_PTR slot = 0x20; slot < 0x10000; slot += 2) count += ::IsMenu(reinterpret_cast<HMENU>(slot)) != FALSE;
    return count;
}

const char* g_countedBy = "GetGuiResources";

Holdings Measure() {
    Holdings h;
    h.gdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    h.user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    if (h.gdi == 0 || h.user == 0) {
        g_countedBy = "handle slots and windows";
        h.gdi = ProbeGdiObjects();
        h.user = ProbeUserObjects();
    }
    h.privateBytes = faults::PrivateBytes();
    return h;
}

// The counting itself must see one more brush, window and menu, and one less after.
TEST(ObjectCounts, SeeAnObjectComeAndGo) {
    const Holdings before = Measure();
    HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    HMENU menu = ::CreateMenu();
    HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const Holdings during = Measure();
    ::DestroyWindow(window);
    ::DestroyMenu(menu);
    ::DeleteObject(brush);
    const Holdings after = Measure();
    EXPECT_EQ(during.gdi, before.gdi + 1) << g_countedBy;
    EXPECT_GE(during.user, before.user + 2) << g_countedBy;  // a window may bring a helper window along
    EXPECT_EQ(after.gdi, before.gdi) << g_countedBy;
    EXPECT_EQ(after.user, before.user) << g_countedBy;
}

void PrintHoldings(const char* what, int cycles, const Holdings& start, const Holdings& end) {
    std::printf(
        "[ figures  ] %s x%d (counted by %s): GDI objects %lu -> %lu, USER objects %lu -> %lu, private memory %lu KB "
        "-> %lu KB\n",
        what, cycles, g_countedBy, static_cast<unsigned long>(start.gdi), static_cast<unsigned long>(end.gdi),
        static_cast<unsigned long>(start.user), static_cast<unsigned long>(end.user),
        static_cast<unsigned long>(start.privateBytes >> 10), static_cast<unsigned long>(end.privateBytes >> 10));
}

// A long run also prints its figures after every hundred: growth that goes on and on
// tells a leak from a cache that fills once.
void PrintEveryHundred(const char* what, int total, int done, const Holdings& start) {
    if (total >= 200 && done % 100 == 0 && done < total) PrintHoldings(what, done, start, Measure());
}

class LongSessionTest : public faults::StandInCompilerTest {};

TEST_F(LongSessionTest, StopOnAHangingCompilerLeavesNothingBehindAndTheNextRunWorks) {
    const int stops = Count("VELMORA_HARDENING_STOPS", 3);
    auto& document = NewDocument("文件=File\r\n");
    document.ErrorList().SetLines({"原有的消息"});
    document.ShowErrorList();
    gentest::WriteFileBytes(InProgramDir("stand-in-hang"), "");
    for (int i = 0; i < stops; ++i) {
        SCOPED_TRACE("stop " + std::to_string(i + 1));
        gentest::RemoveTree(InProgramDir("stand-in-pid.txt"));
        std::vector<std::string> pending;  // the compiler's temporary files while it hangs
        harness::ModalAnswerer answerer;
        answerer.Then(gentest::ConfirmWith("说明", i % 2 ? "ab.c" : "abc")).Then([&](HWND box) {
            pending = TemporaryFilesIn(InProgramDir("LIB\\"));
            for (const auto& name : TemporaryFilesIn(ProgramDir())) pending.push_back(name);
            ::PostMessageA(::GetDlgItem(box, generation::CompilerWaitBox::kStopButton), BM_CLICK, 0, 0);
        });
        Generate();
        ASSERT_EQ(answerer.Seen().size(), 2u);
        EXPECT_EQ(answerer.Seen()[1].text, "词库编译器正在运行……");
        EXPECT_EQ(pending.size(), 2u) << "the stand-in had not started its files";
        EXPECT_EQ(CompilerProcesses(), 0);
        EXPECT_EQ(TemporaryFilesIn(InProgramDir("LIB\\")), std::vector<std::string>{});
        EXPECT_EQ(TemporaryFilesIn(ProgramDir()), std::vector<std::string>{});
        EXPECT_EQ(PaneRows(document), Rows{"原有的消息"});
        EXPECT_TRUE(GenerateButtonEnabled());
    }
    gentest::RemoveTree(InProgramDir("stand-in-hang"));
    gentest::WriteFileBytes(InProgramDir("stand-in-reply.ERR"), "这一次完成了\r\n");
    harness::ModalAnswerer answerer;
    answerer.Then(gentest::ConfirmWith("说明", "abc"));
    Generate();
    EXPECT_EQ(answerer.Seen().size(), 1u);
    EXPECT_EQ(PaneRows(document), Rows{"这一次完成了"});
}

TEST_F(LongSessionTest, ManyGenerationRunsGiveBackWhatTheyTook) {
    const int runs = Count("VELMORA_HARDENING_RUNS", 8);
    gentest::WriteFileBytes(InProgramDir("stand-in-reply.ERR"), "temp.trs(1): 警告 W201: 重复的条目\r\n完成\r\n");
    auto& document = NewDocument("文件=File\r\n");
    auto run = [&] {
        harness::ModalAnswerer answerer;
        answerer.Then(gentest::ConfirmWith("说明", "abc"));
        Generate();
        Pump();
    };
    run();  // the first run lays out the pane and loads what the dialog needs
    const Holdings start = Measure();
    for (int i = 0; i < runs; ++i) {
        run();
        PrintEveryHundred("generation runs", runs, i + 1, start);
    }
    const Holdings end = Measure();
    PrintHoldings("generation runs", runs, start, end);
    EXPECT_EQ(PaneRows(document), (Rows{"temp.trs(1): 警告 W201: 重复的条目", "完成"}));
    // A handle a run keeps shows once per run; a few may come and go with caches.
    EXPECT_LT(end.gdi, start.gdi + static_cast<DWORD>(runs / 2 + 1));
    EXPECT_LT(end.user, start.user + static_cast<DWORD>(runs / 2 + 1));
}

class LongDocumentSession : public doctest::DocumentTest {};

TEST_F(LongDocumentSession, ManyOpenAndCloseCyclesGiveBackWhatTheyTook) {
    const int cycles = Count("VELMORA_HARDENING_CYCLES", 8);
    const std::string path = folder_ / "cycle.txt";
    doctest::WriteBytes(path, doctest::LargeGbkText(20000));
    auto cycle = [&] {
        harness::ModalAnswerer answerer;
        auto* doc = OpenThroughDialog(answerer, path, 1);
        ASSERT_NE(doc, nullptr);
        ::SendMessageA(doc->hwnd(), WM_CLOSE, 0, 0);
        Pump();
        ASSERT_TRUE(Main().Documents().empty());
    };
    cycle();
    const Holdings start = Measure();
    for (int i = 0; i < cycles; ++i) {
        cycle();
        PrintEveryHundred("open/close cycles", cycles, i + 1, start);
    }
    const Holdings end = Measure();
    PrintHoldings("open/close cycles", cycles, start, end);
    EXPECT_LT(end.gdi, start.gdi + static_cast<DWORD>(cycles / 2 + 1));
    EXPECT_LT(end.user, start.user + static_cast<DWORD>(cycles / 2 + 1));
}

}  // namespace
