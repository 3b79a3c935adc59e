// Closing while the compiler runs: the program, the run's document window and the end
// of the Windows session each ask before they stop the compiler; No keeps everything
// running, Yes stops the compiler and cleans up as "终止" does, and no Velmora process
// is ever left without a window. The compiler is the stand-in that hangs on purpose.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/batadd.h"
#include "generation/compiler_wait_box.h"
#include "generation/confirm1.h"
#include "tests/generation/generation_fixture.h"
#include "tests/hardening/stand_in_compiler_test.h"
#include "win/handles.h"

namespace {

const char* const kProgramQuestion = "词库编译器正在运行。\r\n要终止它并退出词库生成系统吗？";
const char* const kDocumentQuestion = "词库编译器正在为此文件运行。\r\n要终止它并关闭此窗口吗？";

bool ProcessRuns(DWORD pid) {
    win::KernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    return process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

using faults::CompilerProcesses;
using faults::TemporaryFilesIn;

DWORD CompilerPid(const std::string& folder) {
    std::string text = gentest::ReadFileBytes(folder + "stand-in-pid.txt");
    return text.empty() ? 0 : static_cast<DWORD>(std::stoul(text));
}

// ---- in this process: the document window and the end of the session ----------

class CloseWhileCompilingTest : public faults::StandInCompilerTest {
protected:
    void SetUp() override {
        faults::StandInCompilerTest::SetUp();
        gentest::WriteFileBytes(InProgramDir("stand-in-hang"), "");
    }
    void ExpectNothingLeft() {
        EXPECT_EQ(CompilerProcesses(), 0);
        EXPECT_EQ(TemporaryFilesIn(InProgramDir("LIB\\")), std::vector<std::string>{});
        EXPECT_EQ(TemporaryFilesIn(ProgramDir()), std::vector<std::string>{});
    }
};

TEST_F(CloseWhileCompilingTest, ClosingTheRunsDocumentAsksAndNoKeepsItYesStopsAndClosesIt) {
    auto& document = NewDocument("文件=File\r\n");
    document.Editor().SetModified(false);  // closing it then asks about nothing else
    HWND window = document.hwnd();
    bool runningAtSecondQuestion = false;
    harness::ModalAnswerer answerer;
    answerer.Then(gentest::ConfirmWith("说明", "abc"))
        .Then([&](HWND) { ::PostMessageA(window, WM_CLOSE, 0, 0); })  // the wait box is up
        .Then([&](HWND box) {
            ::PostMessageA(::GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
            ::PostMessageA(window, WM_CLOSE, 0, 0);  // reaches the window once No is taken
        })
        .Then([&](HWND box) {
            runningAtSecondQuestion = ::IsWindow(window) && ProcessRuns(CompilerPid(ProgramDir()));
            ::PostMessageA(::GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
        });
    Generate();
    ASSERT_EQ(answerer.Seen().size(), 4u);
    EXPECT_EQ(answerer.Seen()[1].text, "词库编译器正在运行……");
    for (std::size_t i : {2u, 3u}) {
        EXPECT_EQ(answerer.Seen()[i].text, kDocumentQuestion);
        EXPECT_EQ(answerer.Seen()[i].buttons, (std::vector<std::string>{"是(&Y)", "否(&N)"}));
    }
    EXPECT_TRUE(runningAtSecondQuestion) << "No must keep the compiler and the window";
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(window); }, 5000)) << "Yes must close the window";
    ExpectNothingLeft();
    // Only that window went; the program goes on, no longer modal.
    EXPECT_TRUE(::IsWindowVisible(Main().hwnd()));
    EXPECT_TRUE(::IsWindowEnabled(Main().hwnd()));
}

TEST_F(CloseWhileCompilingTest, ClosingTheRunsDocumentDuringThePropertiesDialogGivesTheRunUpAndClosesIt) {
    auto& document = NewDocument("文件=File\r\n");
    document.Editor().SetModified(false);
    HWND window = document.hwnd();
    bool keptDuringDialog = false;
    harness::ModalAnswerer answerer;
    answerer.Then([&](HWND) {
        ::SendMessageA(window, WM_CLOSE, 0, 0);
        keptDuringDialog = ::IsWindow(window) != FALSE;
    });
    Generate();  // returns once the dialog has been given up
    EXPECT_EQ(answerer.Seen().size(), 1u);
    EXPECT_TRUE(keptDuringDialog) << "the run's window went while the run used it";
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(window); }, 5000));
    EXPECT_EQ(CompilerPid(ProgramDir()), 0u) << "the compiler was started";
    EXPECT_TRUE(::IsWindowEnabled(Main().hwnd()));
}

TEST_F(CloseWhileCompilingTest, ClosingAnotherDocumentDuringTheRunAsksNothing) {
    auto& other = NewDocument("其他=Other\r\n");
    other.Editor().SetModified(false);
    HWND otherWindow = other.hwnd();
    NewDocument("文件=File\r\n");
    harness::ModalAnswerer answerer;
    answerer.Then(gentest::ConfirmWith("说明", "abc")).Then([&](HWND box) {
        ::SendMessageA(otherWindow, WM_CLOSE, 0, 0);
        ::PostMessageA(::GetDlgItem(box, generation::CompilerWaitBox::kStopButton), BM_CLICK, 0, 0);
    });
    Generate();
    EXPECT_EQ(answerer.Seen().size(), 2u);
    EXPECT_FALSE(::IsWindow(otherWindow));
    ExpectNothingLeft();
}

TEST_F(CloseWhileCompilingTest, TheEndOfTheSessionAsksAndYesStopsTheCompilerBeforeAgreeing) {
    NewDocument("文件=File\r\n");
    LRESULT firstAnswer = -1, secondAnswer = -1;
    bool runningAfterNo = false, runningAfterYes = true;
    harness::ModalAnswerer answerer;
    answerer.Then(gentest::ConfirmWith("说明", "abc"))
        .Then([&](HWND) {
            // Sent as the system sends it; the question's box runs inside the send.
            firstAnswer = ::SendMessageA(Main().hwnd(), WM_QUERYENDSESSION, 0, 0);
            runningAfterNo = ProcessRuns(CompilerPid(ProgramDir()));
            secondAnswer = ::SendMessageA(Main().hwnd(), WM_QUERYENDSESSION, 0, 0);
            runningAfterYes = CompilerProcesses() > 0;
        })
        .Press(IDNO)
        .Press(IDYES);
    Generate();
    ASSERT_EQ(answerer.Seen().size(), 4u);
    EXPECT_EQ(answerer.Seen()[2].text, kProgramQuestion);
    EXPECT_EQ(firstAnswer, FALSE);
    EXPECT_TRUE(runningAfterNo);
    EXPECT_EQ(secondAnswer, TRUE);
    EXPECT_FALSE(runningAfterYes);
    ExpectNothingLeft();
}

// ---- Velmora.exe as a process: closing the main window ------------------------------

std::string ThisFolder() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string self(path);
    return self.substr(0, self.rfind('\\') + 1);
}

struct Search {
    DWORD pid;
    std::string className;
    std::string text;  // a message box's message, when not empty
    HWND found = nullptr;
};

BOOL CALLBACK FindWindowOf(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    if (pid != s->pid || s->className != name || !::IsWindowVisible(hwnd)) return TRUE;
    if (!s->text.empty()) {
        char text[512] = {};
        ::GetWindowTextA(::GetDlgItem(hwnd, 0xFFFF), text, sizeof text);
        if (s->text != text) return TRUE;
    }
    s->found = hwnd;
    return FALSE;
}

HWND WaitForWindow(DWORD pid, const std::string& className, const std::string& text = {}, DWORD ms = 20000) {
    DWORD started = ::GetTickCount();
    do {
        Search s{pid, className, text};
        ::EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        ::Sleep(50);
    } while (::GetTickCount() - started < ms);
    return nullptr;
}

class VelmoraProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "velmora-close-" + std::to_string(::GetCurrentProcessId()) + "\\";
        gentest::RemoveTree(folder_);
        ASSERT_TRUE(::CreateDirectoryA(folder_.c_str(), nullptr));
        ASSERT_TRUE(::CopyFileA((ThisFolder() + "..\\..\\program\\Velmora.exe").c_str(),
                                (folder_ + "Velmora.exe").c_str(), FALSE));
        ASSERT_TRUE(
            ::CopyFileA((ThisFolder() + "stand-in\\Mervik.exe").c_str(), (folder_ + "Mervik.exe").c_str(), FALSE));
        gentest::WriteFileBytes(folder_ + "stand-in-hang", "");
    }
    void TearDown() override {
        if (velmora_ && ::WaitForSingleObject(velmora_.get(), 0) == WAIT_TIMEOUT) ::TerminateProcess(velmora_.get(), 1);
        if (DWORD pid = CompilerPid(folder_)) {
            win::KernelHandle compiler(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
            if (compiler) ::TerminateProcess(compiler.get(), 1), ::WaitForSingleObject(compiler.get(), 5000);
        }
        if (velmora_) ::WaitForSingleObject(velmora_.get(), 5000);
        gentest::RemoveTree(folder_);
    }
    // Starts Velmora.exe in the folder, opens a new document and starts a generation
    // run; returns the properties dialog.
    HWND StartRun() {
        std::string command = "\"" + folder_ + "Velmora.exe\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &si, &pi))
            return nullptr;
        velmora_ = win::KernelHandle(pi.hProcess);
        win::KernelHandle thread(pi.hThread);
        pid_ = pi.dwProcessId;
        main_ = WaitForWindow(pid_, "TMDIForm");
        if (!main_) return nullptr;
        auto commandOf = [](app::Element e) { return MAKEWPARAM(app::TMDIForm::ElementId(e), 0); };
        ::PostMessageA(main_, WM_COMMAND, commandOf(app::Element::New1), 0);
        ::PostMessageA(main_, WM_COMMAND, commandOf(app::Element::BeginTransfer), 0);
        HWND properties = WaitForWindow(pid_, "#32770");
        return properties && ::GetDlgItem(properties, generation::TConfirm::kEdit2) ? properties : nullptr;
    }
    bool Ended(DWORD ms) { return ::WaitForSingleObject(velmora_.get(), ms) == WAIT_OBJECT_0; }
    DWORD ExitCode() {
        DWORD code = 1;
        ::GetExitCodeProcess(velmora_.get(), &code);
        return code;
    }

    std::string folder_;
    win::KernelHandle velmora_;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
};

TEST_F(VelmoraProcessTest, ClosingTheMainWindowDuringThePropertiesDialogGivesTheRunUpAndEnds) {
    ASSERT_NE(StartRun(), nullptr);
    ::PostMessageA(main_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Ended(20000)) << "Velmora.exe stayed";
    EXPECT_EQ(ExitCode(), 0u);
    EXPECT_EQ(CompilerPid(folder_), 0u) << "the compiler was started";
}

TEST_F(VelmoraProcessTest, ClosingTheMainWindowAsksAndNoKeepsRunningYesStopsTheCompilerAndEnds) {
    HWND properties = StartRun();
    ASSERT_NE(properties, nullptr);
    const DWORD pid = pid_;
    HWND main = main_;
    ::SetDlgItemTextA(properties, generation::TConfirm::kEdit1, "说明");
    ::SetDlgItemTextA(properties, generation::TConfirm::kEdit2, "abc");
    ::PostMessageA(::GetDlgItem(properties, generation::TConfirm::kButton1), BM_CLICK, 0, 0);

    DWORD started = ::GetTickCount();
    while (CompilerPid(folder_) == 0 && ::GetTickCount() - started < 20000) ::Sleep(50);
    const DWORD compilerPid = CompilerPid(folder_);
    ASSERT_NE(compilerPid, 0u) << "the compiler did not start";
    win::KernelHandle compiler(::OpenProcess(SYNCHRONIZE, FALSE, compilerPid));
    ASSERT_TRUE(compiler);

    // No: nothing closes.
    ::PostMessageA(main, WM_CLOSE, 0, 0);
    HWND question = WaitForWindow(pid, "#32770", kProgramQuestion);
    ASSERT_NE(question, nullptr) << "no question";
    ::PostMessageA(::GetDlgItem(question, IDNO), BM_CLICK, 0, 0);
    started = ::GetTickCount();
    while (::IsWindow(question) && ::GetTickCount() - started < 5000) ::Sleep(50);
    ::Sleep(500);
    EXPECT_EQ(::WaitForSingleObject(velmora_.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(::IsWindowVisible(main));
    EXPECT_EQ(::WaitForSingleObject(compiler.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(TemporaryFilesIn(folder_).size() + TemporaryFilesIn(folder_ + "LIB\\").size(), 2u)
        << "the stand-in had not started its files";

    // Yes: the compiler goes, its files go, and so does Velmora.
    ::PostMessageA(main, WM_CLOSE, 0, 0);
    question = WaitForWindow(pid, "#32770", kProgramQuestion);
    ASSERT_NE(question, nullptr) << "no second question";
    ::PostMessageA(::GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(compiler.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(Ended(20000)) << "Velmora.exe stayed without its window";
    EXPECT_EQ(ExitCode(), 0u);
    EXPECT_EQ(TemporaryFilesIn(folder_), std::vector<std::string>{});
    EXPECT_EQ(TemporaryFilesIn(folder_ + "LIB\\"), std::vector<std::string>{});
}

}  // namespace
