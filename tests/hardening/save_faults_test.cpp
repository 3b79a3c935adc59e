// Saves that fail (a full disk, a read-only file, a read-only disk, a file another
// program holds open) lose nothing: the file keeps its bytes, the document its text and
// modified flag, the message names the file and the cause; once the cause is gone, Save
// succeeds.
#include <windows.h>

#include <functional>

#include "documents/document_rules.h"
#include "tests/documents/document_fixture.h"
#include "tests/hardening/fault_support.h"

namespace {

using doctest::ReadBytes;
using harness::ModalAnswerer;

class SaveFaultTest : public doctest::DocumentTest {
protected:
    // Opens `path`, makes the text larger than the full disk can take, saves with the
    // fault in place and expects the box to show `message`, the file and `cause`; then
    // removes the fault with `remedy` and saves again.
    void ExpectNothingLost(const std::string& name, const std::string& path, const std::string& message,
                           const std::string& cause, const std::function<void()>& fault,
                           const std::function<void()>& remedy) {
        SCOPED_TRACE(name);
        const std::string original = ReadBytes(path);
        ASSERT_NE(original, "<missing>");
        ModalAnswerer answerer;
        auto* doc = OpenThroughDialog(answerer, path, 1);
        ASSERT_NE(doc, nullptr);
        doc->Editor().SetSelection(-1);
        std::string more;
        for (int i = 0; i < 3000; ++i) more += "追加的一行文字，让文件比磁盘大\r\n";
        doc->Editor().ReplaceSelection(more, false);
        const std::string text = doc->Editor().Text();

        fault();
        answerer.Press(IDOK);
        Run(app::Command::Save);
        Pump();
        ASSERT_EQ(answerer.Seen().size(), 2u);
        EXPECT_EQ(answerer.Seen()[1].caption, "词库生成系统");
        EXPECT_EQ(answerer.Seen()[1].text, message + ".\n文件：" + path + "\n原因：" + cause + "。");
        EXPECT_EQ(answerer.Seen()[1].icon, ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_HAND)));
        EXPECT_EQ(doc->Caption(), path);
        EXPECT_TRUE(doc->IsModified());
        EXPECT_TRUE(doc->Editor().Text() == text);

        remedy();
        EXPECT_TRUE(ReadBytes(path) == original) << "the failed save changed the file";
        const std::string folder = path.substr(0, path.rfind('\\') + 1);
        for (const auto& entry : doctest::FolderEntries(folder))
            EXPECT_TRUE(entry == "doc.txt" || entry == "filler") << "left behind: " << entry;

        Run(app::Command::Save);
        Pump();
        EXPECT_EQ(answerer.Seen().size(), 2u) << "the second save showed a box";
        EXPECT_TRUE(ReadBytes(path) == text) << "the second save did not write the text";
        EXPECT_FALSE(doc->IsModified());
    }
};

TEST_F(SaveFaultTest, AFailedSaveKeepsFileAndTextAndTheNextSaveSucceeds) {
    const std::string full = faults::FaultDrive("VELMORA_FULL_DRIVE");
    const std::string readOnly = faults::FaultDrive("VELMORA_READONLY_DRIVE");
    if (full.empty() || readOnly.empty())
        GTEST_SKIP() << "no small disks mapped (run under with_fault_disks.sh as root)";

    std::string readOnlyFile = folder_ / "doc.txt";
    doctest::WriteBytes(readOnlyFile, "只读文件\r\n原来的内容\r\n");
    ExpectNothingLost(
        "read-only file", readOnlyFile, documents::CannotCreateFile(readOnlyFile), "文件是只读的",
        [&] { ::SetFileAttributesA(readOnlyFile.c_str(), FILE_ATTRIBUTE_READONLY); },
        [&] { ::SetFileAttributesA(readOnlyFile.c_str(), FILE_ATTRIBUTE_NORMAL); });

    std::string heldFile = (folder_ / "held") + "\\doc.txt";
    ::CreateDirectoryA((folder_ / "held").c_str(), nullptr);
    doctest::WriteBytes(heldFile, "别的程序打开着的文件\r\n");
    std::unique_ptr<faults::HeldFile> holder;
    ExpectNothingLost(
        "file held open by another process", heldFile, documents::CannotCreateFile(heldFile), "文件正被另一个程序使用",
        [&] {
            holder = std::make_unique<faults::HeldFile>(heldFile);
            ASSERT_TRUE(holder->Held());
        },
        [&] { holder.reset(); });

    ExpectNothingLost(
        "full disk", full + "doc.txt", documents::kFailedToSaveStream, "磁盘已满", [] {},
        [&] { EXPECT_TRUE(::DeleteFileA((full + "filler").c_str())); });

    ExpectNothingLost(
        "read-only disk", readOnly + "doc.txt", documents::CannotCreateFile(readOnly + "doc.txt"),
        "拒绝访问：没有写入权限，或者文件、文件夹或磁盘是只读的", [] {},
        [] { EXPECT_TRUE(faults::RequestFromScript("remount-rw")); });
}

}  // namespace
