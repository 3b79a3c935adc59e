// A library in and out of the editor: saving gives the compiler's bytes, exporting
// gives a word list that compiles to the same library, importing merges with the
// compiler's checks, and every kind of bad file is refused with a reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "korvex/library_file.h"
#include "korvex/library_io.h"
#include "lexicon/base/byte_sink.h"
#include "lexicon/base/library_format.h"
#include "lexicon/library/library_writer.h"
#include "lexicon/wordlist/word_list.h"

namespace korvex {
namespace {

// What Mervik writes for a source and a description.
std::string Compile(const std::string& source, const std::string& description) {
    lexicon::Diagnostics diagnostics;
    const lexicon::WordList list = lexicon::compile_word_list(source, diagnostics);
    EXPECT_EQ(diagnostics.errors(), 0u);
    lexicon::StringSink sink;
    EXPECT_TRUE(lexicon::write_library(list, description, sink));
    return sink.bytes;
}

// Texts that need every escape of the word list: '=' and a leading ';' in an original,
// blanks at the ends, backslash, tab, line breaks, a trail byte 0x5C; the untranslated
// entry stays out of the library.
const char* const kTrickySource =
    "a\\=b=c=d\r\n"
    "\\;comment=注释\r\n"
    "\\sName:\\s=\\s名称：\\s\r\n"
    "C:\\\\dir=盘\\t目录\r\n"
    "Line one\\nLine two=第一行\\r\\n第二行\r\n"
    "\x81\x5C=\x81\x5C\\\\\r\n"
    "Empty=\r\n"
    "&Open...=&O.打开...\r\n";

TEST(LibraryIo, SavingAnUnchangedLibraryGivesItsBytesBack) {
    const std::string original = Compile(kTrickySource, "菜单 \"说明\"");
    std::string why;
    auto table = OpenLibrary(original, why);
    ASSERT_TRUE(table) << why;
    EXPECT_EQ(table->size(), 7u);
    EXPECT_EQ(table->description(), "菜单 \"说明\"");
    EXPECT_EQ(LibraryBytes(*table), original);
}

TEST(LibraryIo, ExportCompilesToTheSameLibraryByteForByte) {
    std::string why;
    auto table = OpenLibrary(Compile(kTrickySource, "说明"), why);
    ASSERT_TRUE(table) << why;
    std::size_t conflict = 0;
    // Edited entries as the dialog leaves them, with the texts the escapes stand for.
    ASSERT_TRUE(table->Add(" ;x=y\t", "\t", conflict));
    ASSERT_TRUE(table->Change(0, "a=b", " c=d ", conflict));
    table->Remove({2});

    const std::string exported = ExportWordList(*table);
    EXPECT_EQ(exported.substr(0, exported.find("\r\n")), "; 词库说明：说明");
    EXPECT_EQ(Compile(exported, "说明"), LibraryBytes(*table));

    auto reopened = OpenLibrary(LibraryBytes(*table), why);
    ASSERT_TRUE(reopened) << why;
    ASSERT_EQ(reopened->size(), table->size());
    for (std::size_t i = 0; i < table->size(); ++i) {
        EXPECT_EQ(reopened->at(i).original, table->at(i).original);
        EXPECT_EQ(reopened->at(i).translation, table->at(i).translation);
    }
}

TEST(LibraryIo, ImportMergesACleanListAndAListWithErrorsChangesNothing) {
    std::string why;
    auto table = OpenLibrary(Compile("Open=打开\r\nSave=保存\r\n", ""), why);
    ASSERT_TRUE(table) << why;
    table->MarkSaved();

    const ImportResult bad = ImportWordList(*table, "New=新\r\nSave\r\nPrint=%d 页\r\n", "更新.txt");
    EXPECT_FALSE(bad.merged);
    EXPECT_EQ(bad.errors, 2u);
    ASSERT_EQ(bad.messages.size(), 2u);
    EXPECT_EQ(bad.messages[0].rfind("更新.txt(2): 错误 E101", 0), 0u) << bad.messages[0];
    EXPECT_NE(bad.messages[1].find("E108"), std::string::npos);
    EXPECT_EQ(table->size(), 2u);
    EXPECT_FALSE(table->Modified());

    // Errors come first even where warnings stand before them in the list, so that a
    // refusal shows the errors it counts.
    const ImportResult mixed = ImportWordList(*table, "Open=Open\r\nDone.=完成\r\nSave\r\n", "更新.txt");
    EXPECT_EQ(mixed.errors, 1u);
    EXPECT_EQ(mixed.warnings, 2u);
    EXPECT_EQ(mixed.listed_errors, 1u);
    ASSERT_EQ(mixed.messages.size(), 3u);
    EXPECT_EQ(mixed.messages[0].rfind("更新.txt(3): 错误 E101", 0), 0u) << mixed.messages[0];
    EXPECT_EQ(mixed.messages[1].rfind("更新.txt(1): 警告 W203", 0), 0u) << mixed.messages[1];

    const ImportResult good = ImportWordList(*table, "Save=存盘\r\nOpen=打开\r\nNew=\r\n", "更新.txt");
    EXPECT_TRUE(good.merged);
    EXPECT_EQ(good.counts.added, 0u);  // an untranslated entry is no entry of a library
    EXPECT_EQ(good.counts.changed, 1u);
    EXPECT_EQ(good.counts.unchanged, 1u);
    EXPECT_EQ(good.warnings, 1u);  // W202: the empty translation
    EXPECT_EQ(table->size(), 2u);
    EXPECT_EQ(table->at(1).translation, "存盘");
    EXPECT_TRUE(table->Modified());
}

std::string Damaged(std::string bytes, std::size_t at, char value) {
    bytes[at] = value;
    return bytes;
}

TEST(LibraryIo, EveryKindOfBadLibraryIsRefusedWithItsReason) {
    const std::string good = Compile("Open=打开\r\nSave=保存\r\n", "说明");
    std::string newer = Damaged(good, lexicon::format::at_version_major, 2);
    struct Case {
        const char* name;
        std::string bytes;
        const char* why;
    };
    const std::vector<Case> cases = {
        {"a word list, not a library", "Open=打开\r\n", "不是 Mervik 词库文件（文件头不对）"},
        {"an empty file", "", "不是 Mervik 词库文件（文件头不对）"},
        {"truncated", good.substr(0, good.size() - 9), "词库文件不完整或已损坏（文件长度不对）"},
        {"one byte changed", Damaged(good, 70, 'X'), "词库文件已损坏（校验和不对）"},
        {"newer major version", newer, "词库格式版本 2 不受支持（只能读取版本 1）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string why;
        EXPECT_EQ(OpenLibrary(c.bytes, why), nullptr);
        EXPECT_EQ(why, c.why);
    }
}

class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("korvex_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const auto path = folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    std::filesystem::path folder;
};

TEST_F(FileTest, ReadsAWholeFileAndNamesWhatIsWrongWithOneThatCannotBeRead) {
    std::string why;
    const std::string bytes(300000, '\xB4');
    EXPECT_EQ(ReadFileBytes(Write("big.LIB", bytes), why), bytes);
    EXPECT_EQ(ReadFileBytes(Write("empty.LIB", ""), why), "");

    EXPECT_FALSE(ReadFileBytes((folder / "missing.LIB").string(), why));
    EXPECT_EQ(why, "文件不存在");
    EXPECT_FALSE(ReadFileBytes((folder / "no-folder" / "x.LIB").string(), why));
    EXPECT_EQ(why, "文件不存在");
    EXPECT_FALSE(ReadFileBytes(folder.string(), why));
    EXPECT_EQ(why, "这是一个文件夹，不是文件");
}

TEST_F(FileTest, AFileThatCannotBeOpenedForReadingIsNamedSo) {
    const std::string path = Write("locked.LIB", "MVLB");
#ifdef _WIN32
    // Held open without sharing by another program.
    HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::string why;
    EXPECT_FALSE(ReadFileBytes(path, why));
    ::CloseHandle(held);
    EXPECT_EQ(why, "文件正被另一个程序使用");
#else
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    std::filesystem::permissions(path, std::filesystem::perms::none);
    std::string why;
    EXPECT_FALSE(ReadFileBytes(path, why));
    EXPECT_EQ(why, "没有读取这个文件的权限");
#endif
}

TEST(LibraryIo, MessagesNameTheFileAndTheReason) {
    EXPECT_EQ(FileMessage("无法打开词库", "LIB\\abc.LIB", "文件不存在"), "无法打开词库“LIB\\abc.LIB”：文件不存在。");
}

// The library's own limit, the one Mervik applies: a library compiled from the command
// line with a long description opens and saves here as it is.
TEST(LibraryIo, DescriptionFollowsTheLibrarysRules) {
    EXPECT_FALSE(DescriptionRefusal(""));
    EXPECT_FALSE(DescriptionRefusal(std::string(50, '\xB4')));  // 25 Chinese characters, 50 bytes
    EXPECT_FALSE(DescriptionRefusal(std::string(255, 'a')));
    EXPECT_TRUE(DescriptionRefusal(std::string(256, 'a')));
    EXPECT_TRUE(DescriptionRefusal("说\"明"));
    EXPECT_TRUE(DescriptionRefusal("a\tb\x01"));
    EXPECT_TRUE(DescriptionRefusal("\xFF"));
}

}  // namespace
}  // namespace korvex
