// The real mervik executable, started as a child process from another directory: where
// it reads and writes, its exit codes, and its console output.
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lexicon/library/library_reader.h"
#include "lexicon/wordlist/word_list.h"
#include "velmora_version.h"

extern char** environ;

namespace mervik {
using namespace lexicon;
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// A program folder holding a copy of mervik, and a separate working folder: the
// layout of the editor, where the current directory is not the program's.
class Sandbox {
public:
    Sandbox() {
        std::string pattern = (fs::temp_directory_path() / "mervik-exe-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        fs::create_directories(program());
        fs::create_directories(work());
        fs::copy_file(MERVIK_EXE, program() / "mervik");
    }
    ~Sandbox() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    fs::path program() const { return root_ / "program"; }
    fs::path work() const { return root_ / "work"; }

    struct Result {
        int exit_code;
        std::string out, err;
    };

    // Runs mervik in work() with LC_ALL set to `locale`.
    Result run(const std::vector<std::string>& args, const std::string& locale = "C") const {
        return spawn((program() / "mervik").string(), args, locale);
    }

    // Runs a program, found on PATH when `exe` has no folder, in work().
    Result spawn(const std::string& exe, const std::vector<std::string>& args, const std::string& locale = "C") const {
        std::vector<std::string> env_storage;
        for (char** e = environ; *e; ++e) {
            if (std::string(*e).rfind("LC_ALL=", 0) != 0) env_storage.emplace_back(*e);
        }
        env_storage.push_back("LC_ALL=" + locale);
        std::vector<char*> envp;
        for (auto& e : env_storage) envp.push_back(e.data());
        envp.push_back(nullptr);

        std::vector<std::string> argv_storage{exe};
        argv_storage.insert(argv_storage.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : argv_storage) argv.push_back(a.data());
        argv.push_back(nullptr);

        const std::string out_path = (root_ / "stdout").string();
        const std::string err_path = (root_ / "stderr").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, work().c_str());
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = 0;
        const int spawned = posix_spawnp(&pid, exe.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0);
        int status = 0;
        waitpid(pid, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(out_path), read_file(err_path)};
    }

    std::vector<std::string> leftovers() const {
        std::vector<std::string> found;
        for (const auto& e : fs::recursive_directory_iterator(root_)) {
            if (e.path().extension() == ".tmp") found.push_back(e.path().string());
        }
        return found;
    }

private:
    fs::path root_;
};

std::optional<Library> open_library(const fs::path& path) {
    std::string error;
    auto library = Library::open(read_file(path), error);
    EXPECT_TRUE(library.has_value()) << path << ": " << error;
    return library;
}

TEST(Executable, CompilesFromAnotherDirectory) {
    Sandbox box;
    write_file(box.work() / "temp.trs", "&Open...=&O.打开...\r\n");
    const auto r = box.run({"temp.trs", "LIB\\abc", "测试"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    const auto library = open_library(box.work() / "LIB" / "abc.LIB");
    ASSERT_TRUE(library);
    EXPECT_EQ(library->description(), "测试");
    EXPECT_EQ(library->lookup("&Open..."), "&O.打开...");
    EXPECT_EQ(read_file(box.program() / "Mervik.ERR"), "共有 0 个错误，0 个警告。\r\n已生成词库“" +
                                                           (fs::canonical(box.work()) / "LIB/abc.LIB").string() +
                                                           "”：1 个条目，164 字节。\r\n");
    EXPECT_FALSE(fs::exists(box.work() / "Mervik.ERR"));
    EXPECT_EQ(r.err, read_file(box.program() / "Mervik.ERR")) << "a non-UTF-8 locale gets the GBK bytes";
    EXPECT_TRUE(box.leftovers().empty());
}

TEST(Executable, Utf8TerminalGetsUtf8AndGivesAUtf8Description) {
    Sandbox box;
    write_file(box.work() / "temp.trs", "a=b\r\n");
    const std::string description_utf8 = "\xE6\xB5\x8B\xE8\xAF\x95";  // 测试 in UTF-8
    const auto r = box.run({"temp.trs", "out/abc", description_utf8}, "C.UTF-8");
    EXPECT_EQ(r.exit_code, 0) << r.err;
    const auto library = open_library(box.work() / "out" / "abc.LIB");
    ASSERT_TRUE(library);
    EXPECT_EQ(library->description(), "测试");
    // "共有" in UTF-8 on the terminal; the message file stays GBK.
    EXPECT_EQ(r.err.rfind("\xE5\x85\xB1\xE6\x9C\x89", 0), 0u) << r.err;
    EXPECT_EQ(read_file(box.program() / "Mervik.ERR").rfind("共有", 0), 0u);
}

TEST(Executable, SourceErrorsExitOneAndKeepTheOldLibrary) {
    Sandbox box;
    fs::create_directories(box.work() / "LIB");
    write_file(box.work() / "LIB" / "abc.LIB", "old");
    write_file(box.work() / "temp.trs", "ok=好\r\nbroken\r\n");
    const auto r = box.run({"temp.trs", "LIB\\abc", "d"});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(read_file(box.work() / "LIB" / "abc.LIB"), "old");
    EXPECT_EQ(read_file(box.program() / "Mervik.ERR"),
              "temp.trs(2): 错误 E101: 缺少等号“=”，每一行应写作“原文=译文”：“broken”\r\n"
              "共有 1 个错误，0 个警告。\r\n"
              "源文件有错误，未生成词库；原有的同名词库保持不变。\r\n");
}

TEST(Executable, FailuresExitTwoAndStillLeaveTheMessageFile) {
    const struct {
        const char* name;
        std::vector<std::string> args;
        bool output_is_file;
        const char* first_message;
    } cases[] = {
        {"missing source",
         {"temp.trs", "LIB\\abc", "d"},
         false,
         "Mervik: 错误 E002: 无法读取源文件“temp.trs”：文件或文件夹不存在"},
        {"output folder is a file",
         {"here.trs", "LIB\\abc", "d"},
         true,
         "Mervik: 错误 E003: 无法建立文件夹“LIB”：已有同名的文件，不是文件夹"},
    };
    for (const auto& c : cases) {
        Sandbox box;
        write_file(box.work() / "here.trs", "a=b\r\n");
        if (c.output_is_file) write_file(box.work() / "LIB", "");
        const auto r = box.run(c.args);
        EXPECT_EQ(r.exit_code, 2) << c.name;
        const std::string messages = read_file(box.program() / "Mervik.ERR");
        EXPECT_EQ(messages.substr(0, messages.find("\r\n")), c.first_message) << c.name;
        EXPECT_TRUE(box.leftovers().empty()) << c.name;
    }
}

TEST(Executable, MessageFileIsReplacedNotAppended) {
    Sandbox box;
    write_file(box.work() / "temp.trs", "broken\r\n");
    EXPECT_EQ(box.run({"temp.trs", "LIB\\abc", "d"}).exit_code, 1);
    write_file(box.work() / "temp.trs", "a=b\r\n");
    EXPECT_EQ(box.run({"temp.trs", "LIB\\abc", "d"}).exit_code, 0);
    EXPECT_EQ(read_file(box.program() / "Mervik.ERR"), "共有 0 个错误，0 个警告。\r\n已生成词库“" +
                                                           (fs::canonical(box.work()) / "LIB/abc.LIB").string() +
                                                           "”：1 个条目，144 字节。\r\n");
}

TEST(Executable, HelpVersionAndDump) {
    Sandbox box;
    const auto help = box.run({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_NE(help.out.find("Mervik --dump"), std::string::npos);
    // Without arguments it says how it is used rather than that the arguments are wrong.
    const auto bare = box.run({});
    EXPECT_EQ(bare.exit_code, 0);
    EXPECT_EQ(bare.out, help.out);
    EXPECT_FALSE(fs::exists(box.program() / "Mervik.ERR"));
    const auto version = box.run({"--version"});
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.out, std::string("Mervik ") + VELMORA_VERSION_TEXT + "（写出的词库格式 1.0 和 1.1）\r\n");
    EXPECT_FALSE(fs::exists(box.program() / "Mervik.ERR"));

    write_file(box.work() / "temp.trs", "a\\==b\\\\\r\n");
    ASSERT_EQ(box.run({"temp.trs", "x", "说明"}).exit_code, 0);
    const auto dump = box.run({"--dump", "x.LIB"}, "C.UTF-8");
    EXPECT_EQ(dump.exit_code, 0);
    EXPECT_EQ(dump.out, "; 词库说明：说明\r\n; 条目数：1\r\na\\==b\\\\\r\n") << "stays GBK even on a UTF-8 terminal";
}

// gettext's own tools take what Mervik exports: msgfmt -c checks the PO files written
// from a word list and from its library, and the catalogue that msgfmt compiles, turned
// back into PO by msgunfmt, imports to the same library.
TEST(Executable, GettextToolsAcceptExportedPoFiles) {
    Sandbox box;
    write_file(box.work() / "temp.trs",
               "&Open...=&O.打开...\r\n"
               "%s of %d=%2$d 中的 %1$s\r\n%5.2f%%=%.1f%%\r\n%-8s|%ld=%-8s|%ld\r\n%*d=%*d\r\n"
               "%1$s and %2$s=%2$s 和 %1$s\r\n100% done=100% 完成\r\n%d files, 100%=%d 个文件，100%\r\n"
               "Copy %1 to %2!d!=复制 %2!d! 到 %1\r\n"
               ";@no-placeholder-check\r\n%CPU 占用=处理器占用\r\n"
               "Untranslated=\r\nSay \"hi\"\\\\=说“你好”\\\\\r\nOne\\nTwo\\n=一\\n二\\n\r\nLate\\n=迟\r\n"
               "\\sName:\\s=\\s名称：\\s\r\nTab\\there=制\\t表\r\nEuro \x80=欧元 \x80\r\n");
    ASSERT_EQ(box.run({"temp.trs", "LIB/direct", "说明"}).exit_code, 0) << read_file(box.program() / "Mervik.ERR");
    ASSERT_EQ(box.run({"--export-po", "temp.trs", "-o", "list.po"}).exit_code, 0);
    ASSERT_EQ(box.run({"--export-po", "LIB/direct.LIB", "-o", "lib.po"}).exit_code, 0);
    for (const char* po : {"list.po", "lib.po"}) {
        const auto checked = box.spawn("msgfmt", {"-c", "-o", "out.mo", po});
        EXPECT_EQ(checked.exit_code, 0) << po << ": " << checked.err;
    }
    ASSERT_EQ(box.spawn("msgunfmt", {"-o", "again.po", "out.mo"}).exit_code, 0);
    const auto imported = box.run({"--import-po", "again.po", "-o", "again.trs"});
    ASSERT_EQ(imported.exit_code, 0) << read_file(box.program() / "Mervik.ERR");
    // A catalogue keeps no flags, so the opted-out entry would need its comment again:
    // the entries are compared as read, not compiled. msgfmt leaves the fuzzy entry (a
    // line break lost at the end) out of the catalogue, and Mervik the untranslated one.
    Diagnostics diagnostics;
    const WordList again = compile_word_list(read_file(box.work() / "again.trs"), diagnostics);
    const auto direct = open_library(box.work() / "LIB" / "direct.LIB");
    ASSERT_TRUE(direct);
    EXPECT_EQ(again.entries().size() + 1, direct->size());
    for (const Entry& e : again.entries()) {
        EXPECT_EQ(direct->lookup(again.original(e)), again.translation(e)) << again.original(e);
    }
}

}  // namespace
}  // namespace mervik
