// The generation run in the real program: the real dialog, editor, list view and
// message boxes, real files, and a small stand-in compiler started as a real process
// (it records what it was given and answers as each test tells it).
#include <windows.h>

#include <string>
#include <vector>

#include "documents/batchild.h"
#include "generation/compiler_wait_box.h"
#include "generation/confirm1.h"
#include "tests/generation/generation_fixture.h"
#include "win/handles.h"

namespace {

using gentest::FileExists;
using gentest::GenerationTest;
using gentest::ReadFileBytes;
using gentest::WriteFileBytes;
using Rows = std::vector<std::string>;
using namespace std::string_literals;

TEST_F(GenerationTest, TheCompilerReceivesTheCommandLineByteForByte) {
    InstallFakeCompiler();
    FakeReplies("完成\r\n");
    struct Case {
        const char* name;
        const char* description;
        const char* fileName;
        const char* expected;
    } cases[] = {
        {"plain name", "测试", "abc", "Mervik.exe   temp.trs \"LIB\\abc\"  \"测试\""},
        {"name with a full stop", "x", "ab.c", "Mervik.exe   temp.trs \"LIB\\ab.c.LIB\"  \"x\""},
        {"empty file name", "说明", "", "Mervik.exe   temp.trs \"LIB\\\"  \"说明\""},
        {"empty description", "", "abc", "Mervik.exe   temp.trs \"LIB\\abc\"  \"\""},
        {"Chinese description", "中文的词库说明", "词库", "Mervik.exe   temp.trs \"LIB\\词库\"  \"中文的词库说明\""},
        {"blanks, colons, backslashes", "C:\\LEX dir: a\\b  c", "a",
         "Mervik.exe   temp.trs \"LIB\\a\"  \"C:\\LEX dir: a\\b  c\""},
        {"description ending in a backslash", "ends in \\", "a", "Mervik.exe   temp.trs \"LIB\\a\"  \"ends in \\\""},
    };
    NewDocument("文件=File\r\n");
    for (const Case& c : cases) {
        gentest::RemoveTree(InProgramDir("fake-command-line.txt"));
        harness::ModalAnswerer answerer;
        answerer.Then(gentest::ConfirmWith(c.description, c.fileName));
        Generate();
        EXPECT_EQ(ReadFileBytes(InProgramDir("fake-command-line.txt")), c.expected) << c.name;
        EXPECT_EQ(answerer.Unanswered(), 0u) << c.name;
    }
}

TEST_F(GenerationTest, ThePaneListsTheMessageFileLineByLine) {
    InstallFakeCompiler();
    struct Case {
        const char* name;
        std::string messageFile;
        Rows rows;
    } cases[] = {
        {"every kind of line break",
         "第一条\r\n第二条\n\r\n第四条\r第五条\0以后不算\r\n"s,
         {"第一条", "第二条", "", "第四条", "第五条"}},
        {"a last line without a break",
         "temp.trs(1): 警告 W203: 未翻译\r\n共有 0 个错误，1 个警告。",
         {"temp.trs(1): 警告 W203: 未翻译", "共有 0 个错误，1 个警告。"}},
        {"a zero-byte file empties the pane", "", {}},
    };
    auto& document = NewDocument("文件=File\r\n");
    EXPECT_FALSE(document.ErrorList().IsShown());
    for (const Case& c : cases) {
        FakeReplies(c.messageFile);
        harness::ModalAnswerer answerer;
        answerer.Then(gentest::ConfirmWith("说明", "abc"));
        Generate();
        EXPECT_EQ(PaneRows(document), c.rows) << c.name;
        EXPECT_TRUE(document.ErrorList().IsShown()) << c.name;
        EXPECT_TRUE(GenerateButtonEnabled()) << c.name;
    }
}

TEST_F(GenerationTest, TheSourceFileIsTheEditorsPlainText) {
    InstallFakeCompiler();
    FakeReplies("完成\r\n");
    struct Case {
        const char* name;
        std::string text;
    } cases[] = {
        {"a word list", "文件=File\r\n编辑=Edit\r\n保存=&Save"},
        {"an empty document", ""},
    };
    for (const Case& c : cases) {
        gentest::RemoveTree(InProgramDir("fake-source.trs"));
        gentest::RemoveTree(InProgramDir("fake-command-line.txt"));
        NewDocument(c.text);
        harness::ModalAnswerer answerer;
        answerer.Then(gentest::ConfirmWith("说明", "abc"));
        Generate();
        ASSERT_TRUE(FileExists(InProgramDir("temp.trs"))) << c.name;
        EXPECT_EQ(ReadFileBytes(InProgramDir("temp.trs")), c.text) << c.name;
        // The compiler was started and found the file in its current directory.
        EXPECT_TRUE(FileExists(InProgramDir("fake-command-line.txt"))) << c.name;
        EXPECT_TRUE(FileExists(InProgramDir("fake-source.trs"))) << c.name;
        EXPECT_EQ(ReadFileBytes(InProgramDir("fake-source.trs")), c.text) << c.name;
    }
}

TEST_F(GenerationTest, ADocumentOpenedAsRichTextGivesPlainTextAndStaysRichText) {
    InstallFakeCompiler();
    FakeReplies("完成\r\n");
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}"
        "\\f0\\b \\'b4\\'d6\\'cc\\'e5=Bold\\b0\\par \\i \\'ce\\'c4\\'bc\\'fe=File\\i0}";
    WriteFileBytes(InProgramDir("work.rtf"), rtf);
    auto& document = NewDocument("");
    document.Editor().SetMode(documents::TextMode::Rich);
    document.Editor().LoadFromFile(InProgramDir("work.rtf"));
    ::DeleteFileA(InProgramDir("work.rtf").c_str());

    harness::ModalAnswerer answerer;
    answerer.Then(gentest::ConfirmWith("说明", "abc"));
    Generate();

    EXPECT_EQ(ReadFileBytes(InProgramDir("temp.trs")), "粗体=Bold\r\n文件=File");
    EXPECT_EQ(document.Editor().Mode(), documents::TextMode::Rich);
    document.Editor().SaveToFile(InProgramDir("saved.rtf"));
    std::string saved = ReadFileBytes(InProgramDir("saved.rtf"));
    ::DeleteFileA(InProgramDir("saved.rtf").c_str());
    EXPECT_EQ(saved.rfind("{\\rtf", 0), 0u) << saved;
}

TEST_F(GenerationTest, EveryRunAsksWithAFreshDialogAndTheLastRunFillsThePane) {
    InstallFakeCompiler();
    auto& document = NewDocument("文件=File\r\n");
    FakeReplies("第一次的消息\r\n第一次的第二行\r\n第一次的第三行\r\n");
    {
        harness::ModalAnswerer answerer;
        answerer.Then(gentest::ConfirmWith("第一次", "one"));
        Generate();
    }
    ASSERT_EQ(PaneRows(document).size(), 3u);

    FakeReplies("第二次的消息\r\n");
    std::string description = "?", fileName = "?";
    harness::ModalAnswerer answerer;
    answerer.Then([&](HWND dialog) {
        description = harness::WindowText(::GetDlgItem(dialog, generation::TConfirm::kEdit1));
        fileName = harness::WindowText(::GetDlgItem(dialog, generation::TConfirm::kEdit2));
        gentest::ConfirmWith("第二次", "two")(dialog);
    });
    Generate();
    EXPECT_EQ(description, "");
    EXPECT_EQ(fileName, "");
    EXPECT_EQ(ReadFileBytes(InProgramDir("fake-command-line.txt")), "Mervik.exe   temp.trs \"LIB\\two\"  \"第二次\"");
    EXPECT_EQ(PaneRows(document), Rows{"第二次的消息"});
    ASSERT_NE(Main().Properties().Current(), nullptr);
    EXPECT_EQ(Main().Properties().Current()->Description(), "第二次");
}

// A run that ends early changes nothing in the pane, whatever the pane showed.
TEST_F(GenerationTest, ACancelledDialogAMissingCompilerOrAMissingMessageFileLeaveThePaneAlone) {
    enum class Failure { Cancelled, NoCompiler, NoMessageFile };
    struct Case {
        const char* name;
        Failure failure;
        const char* boxCaption;  // after the dialog; null: none
        std::string boxText;
        bool boxHasIcon;
        bool sourceWritten;
        bool compilerStarted;
    } cases[] = {
        {"cancelled dialog", Failure::Cancelled, nullptr, "", false, false, false},
        {"missing compiler", Failure::NoCompiler, "错误", "无法创建新的进程", false, true, false},
        {"missing message file", Failure::NoMessageFile, "词库生成系统",
         "Cannot open file " + InProgramDir("Mervik.ERR") + ".", true, true, true},
    };
    for (const Case& c : cases) {
        for (bool paneShown : {false, true}) {
            std::string name = std::string(c.name) + (paneShown ? ", pane shown" : ", pane hidden");
            for (const char* file : {"Mervik.exe", "Mervik.ERR", "temp.trs", "fake-command-line.txt", "fake-reply.ERR"})
                gentest::RemoveTree(InProgramDir(file));
            if (c.failure != Failure::NoCompiler) InstallFakeCompiler();
            if (c.failure == Failure::Cancelled) FakeReplies("不该出现\r\n");

            auto& document = NewDocument("文件=File\r\n");
            Rows before;
            if (paneShown) {
                before = {"上一次的消息", "上一次的第二条"};
                document.ErrorList().SetLines(before);
                document.ShowErrorList();
            }
            harness::ModalAnswerer answerer;
            answerer.Then(c.failure == Failure::Cancelled ? gentest::GiveUp() : gentest::ConfirmWith("说明", "abc"));
            if (c.boxCaption) answerer.Press(IDOK);
            Generate();

            ASSERT_EQ(answerer.Seen().size(), c.boxCaption ? 2u : 1u) << name;
            if (c.boxCaption) {
                const harness::SeenBox& box = answerer.Seen()[1];
                EXPECT_EQ(box.caption, c.boxCaption) << name;
                EXPECT_EQ(box.text, c.boxText) << name;
                EXPECT_EQ(box.hasIcon, c.boxHasIcon) << name;
                EXPECT_EQ(box.buttons, std::vector<std::string>{"确定"}) << name;
            }
            EXPECT_EQ(PaneRows(document), before) << name;
            EXPECT_EQ(document.ErrorList().IsShown(), paneShown) << name;
            EXPECT_EQ(FileExists(InProgramDir("temp.trs")), c.sourceWritten) << name;
            EXPECT_EQ(FileExists(InProgramDir("fake-command-line.txt")), c.compilerStarted) << name;
            // Step 11 ran: the editor's mode is back and the button is enabled.
            EXPECT_EQ(document.Editor().Mode(), documents::TextMode::Rich) << name;
            EXPECT_TRUE(GenerateButtonEnabled()) << name;
        }
    }
}

TEST_F(GenerationTest, TheSourceGoesToTheCurrentFolderAndTheMessagesComeFromTheProgramFolder) {
    InstallFakeCompiler();
    FakeReplies("从程序目录读到的消息\r\n");
    const std::string work = InProgramDir("work-folder");
    ASSERT_TRUE(::CreateDirectoryA(work.c_str(), nullptr));
    WriteFileBytes(work + "\\Mervik.ERR", "当前目录里的旧消息\r\n");
    ASSERT_TRUE(::SetCurrentDirectoryA(work.c_str()));

    auto& document = NewDocument("文件=File\r\n");
    harness::ModalAnswerer answerer;
    answerer.Then(gentest::ConfirmWith("说明", "abc"));
    Generate();

    EXPECT_EQ(ReadFileBytes(work + "\\temp.trs"), "文件=File\r\n");
    EXPECT_FALSE(FileExists(InProgramDir("temp.trs")));
    EXPECT_EQ(ReadFileBytes(InProgramDir("fake-current-dir.txt")), work);
    EXPECT_EQ(ReadFileBytes(InProgramDir("fake-source.trs")), "文件=File\r\n");
    EXPECT_EQ(PaneRows(document), Rows{"从程序目录读到的消息"});
}

TEST_F(GenerationTest, ASourceFileThatCannotBeCreatedEndsTheRunBeforeTheCompiler) {
    InstallFakeCompiler();
    FakeReplies("不该出现\r\n");
    const std::string work = InProgramDir("work-folder");
    ASSERT_TRUE(::CreateDirectoryA(work.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((work + "\\temp.trs").c_str(), nullptr));  // in the way of the file
    ASSERT_TRUE(::SetCurrentDirectoryA(work.c_str()));

    auto& document = NewDocument("文件=File\r\n");
    harness::ModalAnswerer answerer;
    answerer.Then(gentest::ConfirmWith("说明", "abc")).Press(IDOK);
    Generate();

    ASSERT_EQ(answerer.Seen().size(), 2u);
    EXPECT_EQ(answerer.Seen()[1].caption, "词库生成系统");
    EXPECT_EQ(answerer.Seen()[1].text, "Cannot create file temp.trs.");
    EXPECT_EQ(answerer.Seen()[1].icon, ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_HAND)));
    EXPECT_FALSE(FileExists(InProgramDir("fake-command-line.txt")));
    EXPECT_FALSE(document.ErrorList().IsShown());
    EXPECT_EQ(document.Editor().Mode(), documents::TextMode::Rich);
    EXPECT_TRUE(GenerateButtonEnabled());
}

TEST_F(GenerationTest, NoDocumentNoRun) {
    InstallFakeCompiler();
    harness::ModalAnswerer answerer;  // any box would be unexpected
    Generate();
    EXPECT_FALSE(FileExists(InProgramDir("temp.trs")));
    EXPECT_FALSE(FileExists(InProgramDir("fake-command-line.txt")));
}

// ---- waiting for the compiler ----------------------------------------------------

HWND FindClock(HWND statusBar) {
    for (HWND h = ::GetWindow(::GetParent(statusBar), GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        if (harness::ClassName(h) == "TRxClock") return h;
    return nullptr;
}

bool HasPendingPaint(HWND hwnd) {
    RECT dirty{};
    return ::GetUpdateRect(hwnd, &dirty, FALSE) != FALSE;
}

TEST_F(GenerationTest, AHangingCompilerIsEndedWithStopAndTheProgramKeepsPaintingMeanwhile) {
    InstallFakeCompiler();
    WriteFileBytes(InProgramDir("fake-hang"), "");
    WriteFileBytes(InProgramDir("Mervik.ERR"), "上次运行留下的消息\r\n");  // not read after a stop
    auto& document = NewDocument("文件=File\r\n");
    document.ErrorList().SetLines({"原有的消息"});
    document.ShowErrorList();
    const std::string text = document.Editor().Text();
    const std::size_t documents = Main().Documents().size();
    HWND clock = FindClock(Main().StatusBar());
    ASSERT_NE(clock, nullptr);

    HWND waitBox = nullptr;
    DWORD compilerSeenAt = 0, boxSeenAt = 0;
    std::string clockBefore;
    bool mainDisabled = false, repainted = false, clockRan = false;
    harness::ModalAnswerer answerer;
    answerer.Then(gentest::ConfirmWith("说明", "hang")).Then([&](HWND box) {
        waitBox = box;
        boxSeenAt = ::GetTickCount();
    });
    gentest::Timeline timeline;
    timeline.WaitUntil([&] { return FileExists(InProgramDir("fake-pid.txt")); })
        .Do([&] {
            compilerSeenAt = ::GetTickCount();
            clockBefore = harness::WindowText(clock);
            ::RedrawWindow(Main().hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            ::RedrawWindow(document.ErrorList().hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
            gentest::SendKey('N', true);  // New: no command may be given meanwhile
            gentest::SendKey('X');
        })
        .Wait(1200)
        .Do([&] {
            mainDisabled = !::IsWindowEnabled(Main().hwnd());
            repainted = !HasPendingPaint(Main().hwnd()) && !HasPendingPaint(Main().ToolBar()) &&
                        !HasPendingPaint(Main().StatusBar()) && !HasPendingPaint(document.ErrorList().hwnd());
            clockRan = harness::WindowText(clock) != clockBefore;
        })
        .WaitUntil([&] { return waitBox != nullptr; })
        .Do([&] {
            // On a loaded machine the clock's timer may come late; by the time the wait
            // box shows, the compiler has run for two seconds.
            clockRan = clockRan || harness::WindowText(clock) != clockBefore;
            harness::SeenBox box = harness::ReadBox(waitBox);
            EXPECT_EQ(box.caption, "词库生成系统");
            EXPECT_EQ(box.text, "词库编译器正在运行……");
            EXPECT_EQ(box.buttons, std::vector<std::string>{"终止"});
            ::PostMessageA(::GetDlgItem(waitBox, generation::CompilerWaitBox::kStopButton), BM_CLICK, 0, 0);
        });
    Generate();

    EXPECT_TRUE(timeline.Finished());
    EXPECT_TRUE(mainDisabled);
    EXPECT_TRUE(repainted);
    EXPECT_TRUE(clockRan);
    EXPECT_GE(boxSeenAt - compilerSeenAt, 1000u) << "the box comes after the compiler has run a while";
    EXPECT_EQ(Main().Documents().size(), documents);
    EXPECT_EQ(document.Editor().Text(), text);
    // The compiler is gone, its messages were not read, and the run was wound up.
    std::string pid = ReadFileBytes(InProgramDir("fake-pid.txt"));
    win::KernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::stoul(pid))));
    if (process) {
        EXPECT_EQ(::WaitForSingleObject(process.get(), 0), WAIT_OBJECT_0);
    }
    EXPECT_EQ(PaneRows(document), Rows{"原有的消息"});
    EXPECT_FALSE(::IsWindow(waitBox));
    EXPECT_TRUE(::IsWindowEnabled(Main().hwnd()));
    EXPECT_EQ(document.Editor().Mode(), documents::TextMode::Rich);
    EXPECT_TRUE(GenerateButtonEnabled());
}

TEST_F(GenerationTest, ACompilerThatEndsByItselfClosesTheWaitBoxAndTheRunGoesOn) {
    InstallFakeCompiler();
    FakeReplies("慢慢完成\r\n");
    WriteFileBytes(InProgramDir("fake-sleep.txt"), "3000");
    auto& document = NewDocument("文件=File\r\n");
    HWND waitBox = nullptr;
    harness::ModalAnswerer answerer;
    answerer.Then(gentest::ConfirmWith("说明", "slow")).Then([&](HWND box) { waitBox = box; });
    Generate();
    ASSERT_NE(waitBox, nullptr);
    EXPECT_FALSE(::IsWindow(waitBox));
    EXPECT_EQ(PaneRows(document), Rows{"慢慢完成"});
}

TEST_F(GenerationTest, ACompilerEndingWithinTwoSecondsShowsNoWaitBox) {
    InstallFakeCompiler();
    FakeReplies("很快完成\r\n");
    WriteFileBytes(InProgramDir("fake-sleep.txt"), "500");
    auto& document = NewDocument("文件=File\r\n");
    harness::ModalAnswerer answerer;  // a wait box would be an unexpected one
    answerer.Then(gentest::ConfirmWith("说明", "quick"));
    Generate();
    EXPECT_EQ(answerer.Seen().size(), 1u);
    EXPECT_EQ(PaneRows(document), Rows{"很快完成"});
}

}  // namespace
