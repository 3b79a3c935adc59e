// New, Open, Save and Save As through the real dialogs, and what they leave on disk.
#include <windows.h>
#include <richedit.h>

#include <cstdlib>
#include <functional>
#include <utility>

#include "documents/document_rules.h"
#include "tests/documents/document_fixture.h"

namespace {

using doctest::ChooseFile;
using doctest::DocumentTest;
using doctest::FileExists;
using doctest::ReadBytes;
using doctest::WriteBytes;
using documents::TextMode;
using harness::ModalAnswerer;

const char* const kPlainGbk = "词库条目一\r\n乤ab\t第二行\r\n";

// ---- New --------------------------------------------------------------------------

TEST_F(DocumentTest, NewNumbersByTheWindowsOpenAndCaptionsCanRepeat) {
    EXPECT_EQ(NewDocument()->Caption(), "NONAME0");
    auto* second = NewDocument();
    EXPECT_EQ(second->Caption(), "NONAME1");
    EXPECT_EQ(second->Editor().Mode(), TextMode::Rich);
    EXPECT_FALSE(second->IsModified());
    // Close NONAME0; the next New counts one window besides itself again.
    for (auto* doc : Main().Documents())
        if (doc->Caption() == "NONAME0") ::SendMessageA(doc->hwnd(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(NewDocument()->Caption(), "NONAME1");
    int named = 0;
    for (auto* doc : Main().Documents()) named += doc->Caption() == "NONAME1";
    EXPECT_EQ(named, 2);
}

TEST_F(DocumentTest, NewBesideAnOpenedFileIsNoname1) {
    WriteBytes(folder_ / "a.txt", "a");
    ModalAnswerer answerer;
    OpenThroughDialog(answerer, folder_ / "a.txt", 1);
    EXPECT_EQ(NewDocument()->Caption(), "NONAME1");
}

// ---- Open -------------------------------------------------------------------------

TEST_F(DocumentTest, OpenAddsTheExtensionOfTheChosenTypeOnlyWithoutAFullStop) {
    ::CreateDirectoryA((folder_ / "MY.DIR").c_str(), nullptr);
    ::CreateDirectoryA((folder_ / "LEX").c_str(), nullptr);
    WriteBytes(folder_ / "abc.TXT", "text file");
    WriteBytes(folder_ / "abc.RTF", "{\\rtf1\\ansi rich file}");
    WriteBytes(folder_ / "MY.DIR\\abc", "no extension");
    WriteBytes(folder_ / "LEX\\LIST", "never read");
    struct Case {
        std::string typed;
        int type;
        std::string caption;
        TextMode mode;
        std::string text;
    } cases[] = {
        {folder_ / "abc", 1, folder_ / "abc.TXT", TextMode::Plain, "text file"},
        {folder_ / "abc", 2, folder_ / "abc.RTF", TextMode::Rich, "rich file"},
        {folder_ / "MY.DIR\\abc", 1, folder_ / "MY.DIR\\abc", TextMode::Plain, "no extension"},
    };
    for (const auto& c : cases) {
        ModalAnswerer answerer;
        auto* doc = OpenThroughDialog(answerer, c.typed, c.type);
        ASSERT_NE(doc, nullptr) << c.typed;
        EXPECT_EQ(doc->Caption(), c.caption);
        EXPECT_EQ(doc->Editor().Mode(), c.mode) << c.typed;
        EXPECT_EQ(doc->Editor().Text(), c.text) << c.typed;
        EXPECT_FALSE(doc->IsModified()) << c.typed;
        EXPECT_EQ(answerer.Seen().size(), 1u) << c.typed;
    }
}

TEST_F(DocumentTest, OpenOfAFileWithoutExtensionLooksForTheTxtAndFailsVisibly) {
    ::CreateDirectoryA((folder_ / "LEX").c_str(), nullptr);
    WriteBytes(folder_ / "LEX\\LIST", "never read");
    std::string expected = folder_ / "LEX\\LIST.TXT";
    ModalAnswerer answerer;
    answerer.Then(ChooseFile(folder_ / "LEX\\LIST", 1)).Press(IDOK);
    Run(app::Command::Open);
    Pump();
    ASSERT_EQ(answerer.Seen().size(), 2u);
    EXPECT_EQ(answerer.Seen()[1].caption, "词库生成系统");
    EXPECT_EQ(answerer.Seen()[1].text, "Cannot open file " + expected + ".");
    EXPECT_EQ(answerer.Seen()[1].icon, ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_HAND)));
    // The window stays: the path as its caption, empty, unmodified.
    auto* doc = Main().ActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Caption(), expected);
    EXPECT_EQ(doc->Editor().TextLength(), 0);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(DocumentTest, TheOpenDialogRemembersTypeAndNameWithTheAddedExtension) {
    WriteBytes(folder_ / "abc.RTF", "{\\rtf1 x}");
    ModalAnswerer answerer;
    doctest::FileDialogState first, second;
    answerer.Then(doctest::ReadFileDialog(first, ChooseFile(folder_ / "abc", 2)));
    answerer.Then(doctest::ReadFileDialog(second, doctest::CancelDialog()));
    Run(app::Command::Open);
    Pump();
    Run(app::Command::Open);
    Pump();
    EXPECT_EQ(first.caption, "打开");
    EXPECT_EQ(first.type, 1);  // text files first
    EXPECT_EQ(first.name, "");
    EXPECT_EQ(second.type, 2);
    EXPECT_EQ(second.name.substr(second.name.rfind('\\') + 1), "abc.RTF");
    EXPECT_EQ(Main().Documents().size(), 1u);  // the cancelled Open created nothing
}

TEST_F(DocumentTest, AnRtfFileOpenedAsTextShowsItsMarkupAndSavesItBackAsText) {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg936 \\'d6\\'d0\\'ce\\'c4abc\\par\r\n}";
    WriteBytes(folder_ / "r.rtf", rtf);
    ModalAnswerer answerer;
    auto* doc = OpenThroughDialog(answerer, folder_ / "r.rtf", 1);
    EXPECT_EQ(doc->Editor().Mode(), TextMode::Plain);
    EXPECT_EQ(doc->Editor().Text(), rtf);
    doc->Editor().SetSelection(-1);
    doc->Editor().ReplaceSelection("x", false);
    Run(app::Command::Save);
    EXPECT_EQ(ReadBytes(folder_ / "r.rtf"), rtf + "x");
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(DocumentTest, AnRtfModeLoadOfAFileThatIsNotRtfReadsItAsText) {
    for (std::string content : {std::string("纯文本\r\nplain"), std::string("{不是RTF}"), std::string("")}) {
        WriteBytes(folder_ / "p.rtf", content);
        ModalAnswerer answerer;
        auto* doc = OpenThroughDialog(answerer, folder_ / "p.rtf", 2);
        EXPECT_EQ(doc->Editor().Mode(), TextMode::Rich);
        EXPECT_EQ(doc->Editor().Text(), content);
        EXPECT_FALSE(doc->IsModified());
        EXPECT_EQ(answerer.Seen().size(), 1u) << content;
    }
}

TEST_F(DocumentTest, APlainGbkFileIsWrittenBackByteForByte) {
    std::string text = kPlainGbk + std::string("\x80\xFF tail\r\n\r\nlone LF\nlone CR\r") + std::string("\0nul", 4);
    WriteBytes(folder_ / "same.txt", text);
    ModalAnswerer answerer;
    auto* doc = OpenThroughDialog(answerer, folder_ / "same.txt", 1);
    EXPECT_EQ(doc->Editor().Text(), text);
    Run(app::Command::Save);
    EXPECT_EQ(ReadBytes(folder_ / "same.txt"), text);
    EXPECT_EQ(answerer.Seen().size(), 1u);  // no warning: every byte is GBK
}

TEST_F(DocumentTest, AMegabyteFileLoadsAndSavesWhole) {
    std::string text = doctest::LargeGbkText(1024 * 1024);
    ASSERT_GT(text.size(), 655360u * 3 / 2);
    WriteBytes(folder_ / "big.txt", text);
    ModalAnswerer answerer;
    auto* doc = OpenThroughDialog(answerer, folder_ / "big.txt", 1);
    EXPECT_EQ(doc->Editor().TextLength(), static_cast<int>(text.size()));
    EXPECT_EQ(doc->Editor().TextRange(static_cast<int>(text.size()) - 10, static_cast<int>(text.size())),
              text.substr(text.size() - 10));
    EXPECT_FALSE(doc->IsModified());
    Run(app::Command::Save);
    EXPECT_TRUE(ReadBytes(folder_ / "big.txt") == text);
}

TEST_F(DocumentTest, AFileThatIsNotGbkOpensWithAWarning) {
    // Bytes that are neither GBK nor UTF-8: a lead byte before a line feed cannot be
    // held at all. (A UTF-8 file is asked about instead, see utf8_open_test.cpp.)
    std::string bytes = "\xB4\xF2\xD3\xA1\n\xB4\n";
    WriteBytes(folder_ / "notgbk.txt", bytes);
    ModalAnswerer answerer;
    answerer.Then(ChooseFile(folder_ / "notgbk.txt", 1)).Press(IDOK);
    Run(app::Command::Open);
    Pump();
    auto* doc = Main().ActiveDocument();
    ASSERT_EQ(answerer.Seen().size(), 2u);
    const auto& box = answerer.Seen()[1];
    EXPECT_EQ(box.caption, "词库生成系统");
    EXPECT_EQ(box.text, documents::NotGbkWarning(folder_ / "notgbk.txt"));
    EXPECT_EQ(box.icon, ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_ASTERISK)));
    EXPECT_EQ(box.buttons, std::vector<std::string>{"确定"});
    // Opened anyway, unmodified.
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Caption(), folder_ / "notgbk.txt");
    EXPECT_GT(doc->Editor().TextLength(), 0);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(DocumentTest, AUtf8FileWithAByteOrderMarkKeptOnNoIsReadAsGbk) {
    std::string bom =
        "\xEF\xBB\xBF"
        "abc\xE4\xB8\xAD\r\n";
    WriteBytes(folder_ / "bom.txt", bom);
    ModalAnswerer answerer;
    answerer.Then(ChooseFile(folder_ / "bom.txt", 1)).Press(IDNO);
    Run(app::Command::Open);
    Pump();
    auto* doc = Main().ActiveDocument();
    EXPECT_EQ(answerer.Seen().size(), 2u);
    // Answered No, the bytes are read as GBK, the mark and all.
    EXPECT_EQ(doc->Editor().TextRange(0, 2), "\xEF\xBB");
}

// ---- Save ---------------------------------------------------------------------------

TEST_F(DocumentTest, SaveWritesPlainGbkOrRtfByTheDocumentsMode) {
    WriteBytes(folder_ / "plain.txt", "old");
    WriteBytes(folder_ / "rich.rtf", "{\\rtf1\\ansi old}");
    ModalAnswerer answerer;
    auto* plain = OpenThroughDialog(answerer, folder_ / "plain.txt", 1);
    ::SendMessageA(plain->Editor().hwnd(), EM_SETSEL, 0, -1);
    plain->Editor().ReplaceSelection(kPlainGbk, false);
    Run(app::Command::Save);
    EXPECT_EQ(ReadBytes(folder_ / "plain.txt"), kPlainGbk);
    EXPECT_FALSE(plain->IsModified());

    auto* rich = OpenThroughDialog(answerer, folder_ / "rich.rtf", 2);
    ::SendMessageA(rich->Editor().hwnd(), EM_SETSEL, 0, -1);
    rich->Editor().ReplaceSelection("中文abc", false);
    Run(app::Command::Save);
    std::string saved = ReadBytes(folder_ / "rich.rtf");
    EXPECT_EQ(saved.rfind("{\\rtf", 0), 0u) << saved;
    EXPECT_NE(saved.find("\\'d6\\'d0\\'ce\\'c4abc"), std::string::npos) << saved;
    EXPECT_FALSE(rich->IsModified());
    // Read back in rich-text mode: the same text.
    auto* again = OpenThroughDialog(answerer, folder_ / "rich.rtf", 2);
    EXPECT_EQ(again->Editor().Text().substr(0, 7), "中文abc");
}

TEST_F(DocumentTest, SaveWithoutChangesStillWritesTheFile) {
    WriteBytes(folder_ / "same.txt", "keep");
    ModalAnswerer answerer;
    OpenThroughDialog(answerer, folder_ / "same.txt", 1);
    ::DeleteFileA((folder_ / "same.txt").c_str());
    Run(app::Command::Save);
    EXPECT_EQ(ReadBytes(folder_ / "same.txt"), "keep");
}

TEST_F(DocumentTest, SaveOfAnyCaptionWithNonameGoesThroughTheSaveDialog) {
    auto* doc = NewDocument();
    doc->SetFilePath(folder_ / "NONAME\\A.TXT");  // a real file: Save still asks
    doc->Editor().ReplaceSelection("x", false);
    ModalAnswerer answerer;
    doctest::FileDialogState dialog;
    answerer.Then(doctest::ReadFileDialog(dialog, ChooseFile(folder_ / "named")));
    Run(app::Command::Save);
    Pump();
    EXPECT_EQ(dialog.caption, "另存为");
    EXPECT_EQ(doc->Caption(), folder_ / "named");
    EXPECT_TRUE(FileExists(folder_ / "named"));
    EXPECT_FALSE(doc->IsModified());
    // Now a plain Save writes there without a dialog.
    doc->Editor().ReplaceSelection("y", false);
    Run(app::Command::Save);
    EXPECT_EQ(answerer.Seen().size(), 1u);
}

// ---- Save As ---------------------------------------------------------------------------

TEST_F(DocumentTest, SaveAsWritesExactlyTheReturnedPathAndAsksBeforeReplacing) {
    WriteBytes(folder_ / "target", "older contents, longer than the new ones");
    WriteBytes(folder_ / "src.txt", "new");
    ModalAnswerer answerer;
    auto* doc = OpenThroughDialog(answerer, folder_ / "src.txt", 1);
    doc->Editor().ReplaceSelection("更", false);
    doctest::FileDialogState dialog;
    answerer.Then(doctest::ReadFileDialog(dialog, ChooseFile(folder_ / "target"))).Press(IDYES);
    Run(app::Command::SaveAs);
    Pump();
    ASSERT_EQ(answerer.Seen().size(), 3u);              // the platform asked before replacing
    EXPECT_EQ(answerer.Seen()[2].buttons.size(), 2u);   // Yes and No
    EXPECT_EQ(dialog.name, "");                         // the save dialog offers nothing the first time
    EXPECT_EQ(ReadBytes(folder_ / "target"), "更new");  // plain text under any name
    EXPECT_FALSE(FileExists(folder_ / "target.TXT"));
    EXPECT_EQ(doc->Caption(), folder_ / "target");
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(ReadBytes(folder_ / "src.txt"), "new");
    // The next Save As offers the name chosen last.
    doctest::FileDialogState next;
    answerer.Then(doctest::ReadFileDialog(next, doctest::CancelDialog()));
    Run(app::Command::SaveAs);
    Pump();
    EXPECT_EQ(next.name.substr(next.name.rfind('\\') + 1), "target");
}

// The loss first reported: the save dialog offers the file of an earlier document, and
// Enter used to replace it. Now the platform asks; No goes back to the dialog, where
// another name can be chosen, and the first file stays as it was.
std::function<void()> laterStep;
void CALLBACK RunLaterStep(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    if (auto step = std::exchange(laterStep, nullptr)) step();
}

TEST_F(DocumentTest, SaveAsOfANewListAsksBeforeReplacingTheFileItOffers) {
    const std::string first = folder_ / "新词表 测试.txt";
    ModalAnswerer answerer;
    NewDocument()->Editor().ReplaceSelection("第一个词表", false);
    answerer.Then(ChooseFile(first));
    Run(app::Command::SaveAs);
    Pump();
    ASSERT_EQ(answerer.Seen().size(), 1u);  // a new file: nothing to ask
    const std::string firstBytes = ReadBytes(first);
    ASSERT_FALSE(firstBytes.empty());

    auto* second = NewDocument();
    second->Editor().ReplaceSelection("第二个", false);
    doctest::FileDialogState offered;
    HWND saveDialog = nullptr;
    bool backInTheDialog = false;
    // Enter in the dialog as it comes: it offers the first file's name.
    answerer.Then(doctest::ReadFileDialog(offered, [&](HWND dialog) {
        saveDialog = dialog;
        ::PostMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    }));
    answerer.Then([&](HWND question) {
        ::PostMessageA(::GetDlgItem(question, IDNO), BM_CLICK, 0, 0);
        // Once the question is gone the dialog takes input again: another name.
        laterStep = [&] {
            backInTheDialog = ::IsWindow(saveDialog) && ::IsWindowEnabled(saveDialog);
            ChooseFile(folder_ / "第二个.txt")(saveDialog);
        };
        ::SetTimer(nullptr, 0, 500, RunLaterStep);
    });
    Run(app::Command::SaveAs);
    Pump(100);
    ASSERT_EQ(answerer.Seen().size(), 3u);
    EXPECT_EQ(offered.name, "新词表 测试.txt");        // the folder is the dialog's
    EXPECT_EQ(answerer.Seen()[2].buttons.size(), 2u);  // the platform's question: Yes, No
    EXPECT_TRUE(backInTheDialog);
    EXPECT_EQ(ReadBytes(first), firstBytes);
    EXPECT_EQ(second->Caption(), folder_ / "第二个.txt");
    EXPECT_FALSE(ReadBytes(folder_ / "第二个.txt").empty());
}

// A 50 MB list is more than the 32-bit editor's address space holds: it is refused
// before anything is loaded, with the size, the need and the limit, and the document
// of another window keeps its unsaved text.
TEST_F(DocumentTest, AListTooLargeForTheAddressSpaceIsRefusedAndNothingElseIsLost) {
    if (sizeof(void*) == 8) GTEST_SKIP() << "a 64-bit editor has the room";
    auto* other = NewDocument();
    other->Editor().ReplaceSelection("未存盘的文字", true);
    const std::size_t kSize = 50u * 1024 * 1024;
    std::string big;
    big.reserve(kSize + 64);
    while (big.size() < kSize) big += "Open the file=打开文件\r\n";
    WriteBytes(folder_ / "big.txt", big);
    big.clear();
    big.shrink_to_fit();
    ModalAnswerer answerer;
    answerer.Then(ChooseFile(folder_ / "big.txt", 1)).Press(IDOK);
    Run(app::Command::Open);
    Pump();
    ASSERT_EQ(answerer.Seen().size(), 2u);
    const std::string& refusal = answerer.Seen()[1].text;
    for (const char* part : {"big.txt", "50.0 MB", "GB", "Mervik"})
        EXPECT_NE(refusal.find(part), std::string::npos) << part << "\n" << refusal;
    EXPECT_EQ(Main().Documents().size(), 1u);
    EXPECT_EQ(other->Editor().Text(), "未存盘的文字");
    EXPECT_TRUE(other->IsModified());
}

TEST_F(DocumentTest, SaveAsCancelledChangesNothing) {
    WriteBytes(folder_ / "a.txt", "a");
    ModalAnswerer answerer;
    auto* doc = OpenThroughDialog(answerer, folder_ / "a.txt", 1);
    doc->Editor().ReplaceSelection("b", false);
    answerer.Then(doctest::CancelDialog());
    Run(app::Command::SaveAs);
    Pump();
    EXPECT_EQ(doc->Caption(), folder_ / "a.txt");
    EXPECT_EQ(ReadBytes(folder_ / "a.txt"), "a");
    EXPECT_TRUE(doc->IsModified());
}

// ---- failed saves leave the file on disk as it was --------------------------------------

class SaveFailureTest : public DocumentTest {
protected:
    // Makes the document longer, saves it and expects `message` naming the file and
    // `cause`, with the file as it was.
    void ExpectFailedSaveKeepsOriginal(ModalAnswerer& answerer, documents::TMdiChild* doc, const std::string& path,
                                       const std::string& original, const std::string& message,
                                       const std::string& cause) {
        answerer.Press(IDOK);
        doc->Editor().SetSelection(-1);
        std::string more;
        for (int i = 0; i < 4000; ++i) more += "追加的一行文字，让文件比磁盘大\r\n";
        doc->Editor().ReplaceSelection(more, false);
        Run(app::Command::Save);
        Pump();
        ASSERT_EQ(answerer.Seen().size(), 2u);
        EXPECT_EQ(answerer.Seen()[1].caption, "词库生成系统");
        EXPECT_EQ(answerer.Seen()[1].text, message + ".\n文件：" + path + "\n原因：" + cause + "。");
        EXPECT_TRUE(ReadBytes(path) == original);
        EXPECT_EQ(doc->Caption(), path);
        EXPECT_TRUE(doc->IsModified());
        // No temporary file is left behind.
        std::string folder = path.substr(0, path.rfind('\\') + 1);
        for (const auto& name : doctest::FolderEntries(folder)) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
    }
};

TEST_F(SaveFailureTest, ASaveOverAReadOnlyFileFailsAndKeepsIt) {
    std::string path = folder_ / "locked.txt";
    WriteBytes(path, kPlainGbk);
    ModalAnswerer answerer;
    auto* doc = OpenThroughDialog(answerer, path, 1);
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    ExpectFailedSaveKeepsOriginal(answerer, doc, path, kPlainGbk, documents::CannotCreateFile(path), "文件是只读的");
}

// The two below need small file systems that the test script mounts where it runs as
// root; without them they are skipped.
TEST_F(SaveFailureTest, DiskSaveOnAFullDiskFailsAndKeepsTheOriginal) {
    const char* full = std::getenv("VELMORA_FULL_DISK");
    if (!full || !*full) GTEST_SKIP() << "no small full file system mounted (VELMORA_FULL_DISK)";
    std::string path = doctest::WindowsPathOf(full) + "\\doc.txt";
    std::string original = doctest::LargeGbkText(20000);
    WriteBytes(path, original);
    ModalAnswerer answerer;
    auto* doc = OpenThroughDialog(answerer, path, 1);
    ExpectFailedSaveKeepsOriginal(answerer, doc, path, original, documents::kFailedToSaveStream, "磁盘已满");
}

TEST_F(SaveFailureTest, DiskSaveOnAReadOnlyDiskFailsAndKeepsTheOriginal) {
    const char* readOnly = std::getenv("VELMORA_READONLY_DISK");
    if (!readOnly || !*readOnly) GTEST_SKIP() << "no read-only file system mounted (VELMORA_READONLY_DISK)";
    std::string path = doctest::WindowsPathOf(readOnly) + "\\doc.txt";
    std::string original = ReadBytes(path);
    ASSERT_NE(original, "<missing>");
    ModalAnswerer answerer;
    auto* doc = OpenThroughDialog(answerer, path, 1);
    ExpectFailedSaveKeepsOriginal(answerer, doc, path, original, documents::CannotCreateFile(path),
                                  "拒绝访问：没有写入权限，或者文件、文件夹或磁盘是只读的");
}

}  // namespace
