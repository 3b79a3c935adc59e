// Mervik's memory commands as real runs of the executable (natively, and Mervik.exe under
// Wine in the Windows build): what they print, what --pretranslate writes, and that the
// memory's folder is only read.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "lexicon/library/library_writer.h"
#include "lexicon/wordlist/word_list.h"
#include "pe_builder.h"

namespace lexicon {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

void write_library(const fs::path& path, const std::string& word_list) {
    Diagnostics diagnostics;
    const WordList list = compile_word_list(word_list, diagnostics);
    ASSERT_EQ(diagnostics.errors(), 0u) << word_list;
    StringSink sink;
    ASSERT_TRUE(write_library(list, "test", sink));
    write_file(path, sink.bytes);
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

std::string mervik_exe() {
    std::string path = MERVIK_EXE;
#ifdef _WIN32
    // The build gives the Unix path; Wine shows the Unix root as drive Z:.
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
    return path;
}

// A program folder with its own copy of Mervik (its Mervik.ERR lands there), a working
// folder with the memory's LIB folder in it.
class MemoryCommand : public ::testing::Test {
protected:
    fs::path root, program, work;

    void SetUp() override {
        root = fs::temp_directory_path() /
               ("velmora-memory-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        program = root / "program";
        work = root / "work";
        fs::create_directories(program);
        fs::create_directories(work / "LIB");
        fs::copy_file(mervik_exe(), program / fs::path(mervik_exe()).filename());
        write_library(work / "LIB" / "common.LIB",
                      "Save &As...=另存为(&A)...\r\n"
                      "&Open=打开(&O)\r\n"
                      "Version 2.0=版本 2.0\r\n"
                      "Save the file=保存文件\r\n"
                      "Close=关闭\r\n"
                      "%d files=%d 个文件\r\n"
                      "Print=打印\r\n");
        write_library(work / "LIB" / "other.LIB",
                      "Sa&ve As...=存储为(&V)...\r\n"
                      "Close=合上\r\n"
                      "Print=打印\r\n");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    struct Result {
        int exit_code = -1;
        std::string out, err;
    };

    // Runs Mervik in `work` with the arguments (no quotes inside them).
    Result run(const std::vector<std::string>& args) const {
        // Files of their own for every run: Wine may close a finished child's inherited
        // handles a moment later than the child ends.
        ++runs_;
        const fs::path out = root / ("stdout" + std::to_string(runs_) + ".txt");
        const fs::path err = root / ("stderr" + std::to_string(runs_) + ".txt");
        const fs::path exe = program / fs::path(mervik_exe()).filename();
        Result r;
#ifdef _WIN32
        std::string line = "\"" + exe.string() + "\"";
        for (const std::string& a : args) line += " \"" + a + "\"";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        const HANDLE out_file = ::CreateFileA(out.string().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                              CREATE_ALWAYS, 0, nullptr);
        const HANDLE err_file = ::CreateFileA(err.string().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                              CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out_file;
        startup.hStdError = err_file;
        startup.hStdInput = INVALID_HANDLE_VALUE;
        PROCESS_INFORMATION info{};
        if (::CreateProcessA(exe.string().c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                             work.string().c_str(), &startup, &info)) {
            ::WaitForSingleObject(info.hProcess, 120000);
            DWORD code = 0;
            ::GetExitCodeProcess(info.hProcess, &code);
            r.exit_code = static_cast<int>(code);
            ::CloseHandle(info.hProcess);
            ::CloseHandle(info.hThread);
        } else {
            ADD_FAILURE() << "CreateProcessA failed: " << ::GetLastError();
        }
        ::CloseHandle(out_file);
        ::CloseHandle(err_file);
#else
        std::string line = "cd '" + work.string() + "' && LC_ALL=C '" + exe.string() + "'";
        for (const std::string& a : args) line += " '" + a + "'";
        line += " >'" + out.string() + "' 2>'" + err.string() + "'";
        const int status = std::system(line.c_str());
        r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
        r.out = read_file(out);
        r.err = read_file(err);
        return r;
    }

    mutable int runs_ = 0;

    // The LIB folder's files and bytes, to show that nothing was written there.
    std::map<std::string, std::string> folder() const {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::directory_iterator(work / "LIB"))
            files[e.path().filename().string()] = read_file(e.path());
        return files;
    }
};

TEST_F(MemoryCommand, SuggestPrintsScoreTranslationLibraryAndOriginal) {
    const auto before = folder();
    Result r = run({"--suggest", "Save &As...", "--memory", "LIB"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(lines_of(r.out), (std::vector<std::string>{"100%\t另存为(&A)...\tcommon.LIB\tSave &As...",
                                                         "100%\t存储为(&A)...\tother.LIB\tSa&ve As..."}));
    r = run({"--suggest", "Version 2.1", "--memory", "LIB", "--top", "1"});
    EXPECT_EQ(lines_of(r.out), (std::vector<std::string>{"100%\t版本 2.1\tcommon.LIB\tVersion 2.0"}));
    r = run({"--suggest", "Close", "--memory", "LIB", "--top", "1"});
    EXPECT_EQ(lines_of(r.out).size(), 1u);
    EXPECT_EQ(folder(), before);
}

TEST_F(MemoryCommand, BadArgumentsAndAMissingFolderAreMessages) {
    const struct {
        std::vector<std::string> args;
        const char* message;
        int exit_code;
    } cases[] = {
        {{"--suggest", "Close"}, "E001", 2},
        {{"--suggest", "Close", "--memory", "LIB", "--top", "0"}, "E001", 2},
        {{"--suggest", "Close", "--memory", "LIB", "--colour", "red"}, "E001", 2},
        {{"--pretranslate", "list.trs", "--memory", "LIB"}, "E001", 2},
        {{"--suggest", "Close", "--memory", "NOWHERE"}, "E130", 2},
        {{"--suggest-file", "none.txt", "--memory", "LIB"}, "E132", 2},
        {{"--suggest", "Close", "--memory", "LIB", "--memory-file", "none.trs"}, "E131", 2},
    };
    for (const auto& c : cases) {
        const Result r = run(c.args);
        EXPECT_EQ(r.exit_code, c.exit_code) << c.args[0] << " " << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

TEST_F(MemoryCommand, SuggestFileGivesABlockPerQueryAndTheTimes) {
    write_file(work / "queries.txt", "Close\r\n\r\nSave as\r\nbad \xFF byte\r\n%s files\r\n");
    const Result r = run({"--suggest-file", "queries.txt", "--memory", "LIB", "--top", "2"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    const std::vector<std::string> lines = lines_of(r.out);
    ASSERT_GE(lines.size(), 11u) << r.out;
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.end() - 2),
              (std::vector<std::string>{"#1\tClose", "100%\t关闭\tcommon.LIB\tClose", "100%\t合上\tother.LIB\tClose",
                                        "", "#3\tSave as", "100%\t另存为\tcommon.LIB\tSave &As...",
                                        "100%\t存储为\tother.LIB\tSa&ve As...", "", "#5\t%s files",
                                        "100%\t%s 个文件\tcommon.LIB\t%d files", ""}));
    EXPECT_EQ(lines[lines.size() - 2].rfind("; 记忆库：2 个文件，10 个条目；建立索引用时 ", 0), 0u);
    EXPECT_EQ(lines.back().rfind("; 查找 3 次：中位数 ", 0), 0u);
    EXPECT_NE(r.err.find("queries.txt(4): 警告 W254: "), std::string::npos);
}

TEST_F(MemoryCommand, PretranslateFillsEmptyTranslationsAndMarksWhatNeedsReview) {
    const auto before = folder();
    write_file(work / "list.trs",
               "; 新的词表\r\n"
               "Print=\r\n"
               "Close=\r\n"
               "Save As...=\r\n"
               ";@no-placeholder-check\r\n"
               "%s files=\r\n"
               "Nothing like it=\r\n"
               "&Open=已有(&O)\r\n"
               "Print=\r\n");
    const std::string list = read_file(work / "list.trs");
    const Result r = run({"--pretranslate", "list.trs", "--memory", "LIB", "-o", "out/out.trs"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(read_file(work / "list.trs"), list);
    const std::string out = read_file(work / "out" / "out.trs");
    EXPECT_EQ(lines_of(out), (std::vector<std::string>{
                                 "; 新的词表",
                                 "Print=打印",
                                 ";@review 100% 原文“Close”（common.LIB）；其他：“合上”100%（other.LIB）",
                                 "Close=关闭",
                                 ";@review 100% 原文“Save &As...”（common.LIB）；其他：“存储为...”100%（other.LIB）",
                                 "Save As...=另存为...",
                                 ";@review 100% 原文“%d files”（common.LIB）",
                                 ";@no-placeholder-check",
                                 "%s files=%s 个文件",
                                 "Nothing like it=",
                                 "&Open=已有(&O)",
                                 "Print=打印",
                             }));
    EXPECT_NE(r.err.find("W253"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("填入 4 个译文，其中 3 个待审"), std::string::npos) << r.err;
    EXPECT_EQ(folder(), before);

    // The result compiles.
    const Result compiled = run({"out/out.trs", "built", "pretranslated"});
    EXPECT_EQ(compiled.exit_code, 0) << compiled.err;

    // A higher minimum leaves the fuzzy ones empty; a list with errors is not touched.
    write_file(work / "fuzzy.trs", "Save a file=\r\n");
    EXPECT_EQ(run({"--pretranslate", "fuzzy.trs", "-o", "f.trs"}).exit_code, 0);
    EXPECT_EQ(read_file(work / "f.trs"), ";@review 76% 原文“Save the file”（common.LIB）\r\nSave a file=保存文件\r\n");
    EXPECT_EQ(run({"--pretranslate", "fuzzy.trs", "-o", "f.trs", "--min", "80"}).exit_code, 0);
    EXPECT_EQ(read_file(work / "f.trs"), "Save a file=\r\n");
    write_file(work / "broken.trs", "Print=\r\nno equals sign\r\n");
    const Result broken = run({"--pretranslate", "broken.trs", "-o", "b.trs"});
    EXPECT_EQ(broken.exit_code, 1);
    EXPECT_NE(broken.err.find("E101"), std::string::npos) << broken.err;
    EXPECT_FALSE(fs::exists(work / "b.trs"));
}

// A list long enough to be pre-translated on several threads: every entry gets its own
// match, in the list's order, and an original that comes again gets the same.
TEST_F(MemoryCommand, PretranslateOfALongListKeepsEachEntrysOwnMatchInOrder) {
    auto name = [](int i) {
        return std::string{static_cast<char>('a' + i % 26), static_cast<char>('a' + i / 26 % 26),
                           static_cast<char>('a' + i / 676 % 26)};
    };
    std::string memory, list;
    std::vector<std::string> expected;
    for (int i = 0; i < 600; ++i) memory += cat("Open ", name(i), " now=打开 ", name(i), "\r\n");
    for (int n = 0; n < 400; ++n) {
        const int i = (n * 367) % 600;
        list += cat("Open ", name(i), " now!=\r\n");
        expected.push_back(cat("Open ", name(i), " now!=打开 ", name(i)));
    }
    list += cat("Open ", name(367), " now!=\r\n");
    expected.push_back(expected[1]);
    write_file(work / "memory.trs", memory);
    write_file(work / "long.trs", list);
    const Result r = run(
        {"--pretranslate", "long.trs", "--memory", "LIB", "--memory-file", "memory.trs", "-o", "long-out.trs"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    std::vector<std::string> entries;
    for (const std::string& line : lines_of(read_file(work / "long-out.trs"))) {
        if (!line.starts_with(";")) entries.push_back(line);
    }
    EXPECT_EQ(entries, expected);
}

TEST_F(MemoryCommand, ConsistencyListsDifferingTranslationsMostFrequentFirst) {
    write_library(work / "LIB" / "third.LIB", "Close=关闭\r\nShut=关闭\r\n");
    const Result r = run({"--consistency", "LIB"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    const std::vector<std::string> lines = lines_of(r.out);
    const std::vector<std::string> expected{
        "; 同一原文的不同译文：2 处",
        "原文“Close”：3 个条目",
        "    关闭\t2 个\tcommon.LIB、third.LIB",
        "    合上\t1 个\tother.LIB",
        "原文“Save &As...”：2 个条目",
        "    另存为(&A)...\t1 个\tcommon.LIB",
        "    存储为(&V)...\t1 个\tother.LIB",
        "",
        "; 不同原文的相同译文：1 处",
        "译文“关闭”：3 个条目",
        "    Close\t2 个\tcommon.LIB、third.LIB",
        "    Shut\t1 个\tthird.LIB",
        "",
    };
    EXPECT_EQ(lines, expected) << r.out;
}

TEST_F(MemoryCommand, ExtractPretranslatesFromTheMemory) {
    using namespace extract_test;
    write_file(
        work / "prog.exe",
        build_pe({{4, 1, 0x0409,
                   build_menu({{0, u"&File", 0, true}, {1, u"Close", 100, false}, {1, u"Frobnicate", 101, false}})}}));
    const Result r = run({"--extract", "prog.exe", "-o", "prog.trs", "--memory", "LIB"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    const std::vector<std::string> lines = lines_of(read_file(work / "prog.trs"));
    const auto at = std::find(lines.begin(), lines.end(), "Close=关闭");
    ASSERT_NE(at, lines.end()) << read_file(work / "prog.trs");
    // The places, then the review line as --pretranslate writes it.
    ASSERT_GE(at - lines.begin(), 2);
    EXPECT_EQ((at - 1)->rfind(";@review 100%", 0), 0u) << *(at - 1);
    EXPECT_EQ(*(at - 2), "; prog.exe MENU 1 项 100 位置 1.1");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Frobnicate="), lines.end());
    EXPECT_NE(r.err.find("W253"), std::string::npos) << r.err;  // one entry found nothing
    const Result bad = run({"--extract", "prog.exe", "-o", "prog.trs", "--min", "50"});
    EXPECT_EQ(bad.exit_code, 2);
}

}  // namespace
}  // namespace lexicon
