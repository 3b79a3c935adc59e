// Mervik.exe as the editor starts it: CreateProcessA with the editor's exact command line,
// from a current directory that is not the program's folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lexicon/library/library_reader.h"

namespace mervik {
using namespace lexicon;
namespace {

class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : h_(h) {}
    ~Handle() {
        if (h_ != nullptr && h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// Paths here are GBK, as the editor's are: the ANSI functions throughout.
bool exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string read_file(const std::string& path) {
    Handle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    if (file.get() == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

void write_file(const std::string& path, const std::string& bytes) {
    Handle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_NE(file.get(), INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

void remove_tree(const std::string& dir) {
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                remove_tree(path);
            } else {
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(dir.c_str());
}

// The build gives the Unix path of Mervik.exe; Wine shows the Unix root as drive Z:.
std::string windows_path(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

// A program folder with its own copy of Mervik.exe (so Mervik.ERR lands there and
// nowhere shared) and a working folder beside it.
class Sandbox {
public:
    Sandbox() {
        char cwd[MAX_PATH];
        ::GetCurrentDirectoryA(MAX_PATH, cwd);
        root_ = std::string(cwd) + "\\mervik-exe-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(++count_);
        remove_tree(root_);
        ::CreateDirectoryA(root_.c_str(), nullptr);
        ::CreateDirectoryA(program().c_str(), nullptr);
        ::CreateDirectoryA(work().c_str(), nullptr);
        copied_ = ::CopyFileA(windows_path(MERVIK_EXE).c_str(), (program() + "\\Mervik.exe").c_str(), FALSE) != 0;
    }
    ~Sandbox() { remove_tree(root_); }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    bool ready() const { return copied_; }
    std::string program() const { return root_ + "\\program"; }
    std::string work() const { return root_ + "\\work"; }
    std::string messages() const { return read_file(program() + "\\Mervik.ERR"); }

    // Starts Mervik.exe the way the editor does: the command line byte for byte, no
    // inherited handles, creation flags 0, a zeroed STARTUPINFO apart from its size.
    DWORD run(std::string command_line) const {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        const std::string exe = program() + "\\Mervik.exe";
        if (!::CreateProcessA(exe.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, work().c_str(),
                              &startup, &info)) {
            ADD_FAILURE() << "CreateProcessA failed: " << ::GetLastError();
            return 0xFFFFFFFF;
        }
        Handle process(info.hProcess);
        Handle thread(info.hThread);
        if (::WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) {
            ::TerminateProcess(process.get(), 99);
            ADD_FAILURE() << "Mervik.exe did not end";
        }
        DWORD code = 0;
        ::GetExitCodeProcess(process.get(), &code);
        return code;
    }

private:
    static inline int count_ = 0;
    std::string root_;
    bool copied_ = false;
};

std::optional<Library> open_library(const std::string& path) {
    std::string error;
    auto library = Library::open(read_file(path), error);
    EXPECT_TRUE(library.has_value()) << path << ": " << error;
    return library;
}

TEST(MervikExe, EditorCommandLinesFromAnotherDirectory) {
    const struct {
        const char* name;
        std::string command_line;
        std::string library;
        std::string description;
    } cases[] = {
        {"Chinese description", "Mervik.exe   temp.trs \"LIB\\abc\"  \"测试\"", "LIB\\abc.LIB", "测试"},
        {"description ending in a backslash", "Mervik.exe   temp.trs \"LIB\\abc\"  \"abc\\\"", "LIB\\abc.LIB", "abc\\"},
        {"trail byte 0x5C before the closing quote", "Mervik.exe   temp.trs \"LIB\\abc\"  \"\x81\x5C\"", "LIB\\abc.LIB",
         "\x81\x5C"},
        {"file name with a full stop", "Mervik.exe   temp.trs \"LIB\\ab.c.LIB\"  \"d\"", "LIB\\ab.c.LIB", "d"},
        {"Chinese file name", "Mervik.exe   temp.trs \"LIB\\词库\"  \"说明\"", "LIB\\词库.LIB", "说明"},
        {"empty description", "Mervik.exe   temp.trs \"LIB\\abc\"  \"\"", "LIB\\abc.LIB", ""},
    };
    for (const auto& c : cases) {
        Sandbox box;
        ASSERT_TRUE(box.ready()) << "cannot copy " << MERVIK_EXE;
        write_file(box.work() + "\\temp.trs", "&Open...=&O.打开...\r\nSave=保存\r\n");
        EXPECT_EQ(box.run(c.command_line), 0u) << c.name << "\n" << box.messages();
        const auto library = open_library(box.work() + "\\" + c.library);
        ASSERT_TRUE(library) << c.name;
        EXPECT_EQ(library->description(), c.description) << c.name;
        EXPECT_EQ(library->lookup("Save"), "保存") << c.name;
        // The outcome names the library's full path, whatever the current folder was.
        EXPECT_EQ(box.messages(), "共有 0 个错误，0 个警告。\r\n已生成词库“" + box.work() + "\\" + c.library +
                                      "”：2 个条目，" +
                                      std::to_string(read_file(box.work() + "\\" + c.library).size()) + " 字节。\r\n")
            << c.name;
        EXPECT_FALSE(exists(box.work() + "\\Mervik.ERR")) << c.name;
    }
}

TEST(MervikExe, SourceErrorsExitOneAndKeepTheOldLibrary) {
    Sandbox box;
    ASSERT_TRUE(box.ready());
    ::CreateDirectoryA((box.work() + "\\LIB").c_str(), nullptr);
    write_file(box.work() + "\\LIB\\abc.LIB", "old");
    write_file(box.work() + "\\temp.trs", "Open=打开\r\nOpen=开启\r\n");
    EXPECT_EQ(box.run("Mervik.exe   temp.trs \"LIB\\abc\"  \"d\""), 1u);
    EXPECT_EQ(read_file(box.work() + "\\LIB\\abc.LIB"), "old");
    EXPECT_EQ(box.messages(),
              "temp.trs(2): 错误 E105: 原文“Open”在第 1 行译为“打开”，这一行却译为“开启”\r\n"
              "共有 1 个错误，0 个警告。\r\n"
              "源文件有错误，未生成词库；原有的同名词库保持不变。\r\n");
}

TEST(MervikExe, MissingSourceAndBadCommandLineStillLeaveMessages) {
    const struct {
        std::string command_line;
        std::string first_line;
    } cases[] = {
        {"Mervik.exe   temp.trs \"LIB\\abc\"  \"d\"",
         "Mervik: 错误 E002: 无法读取源文件“temp.trs”：文件或文件夹不存在"},
        {"Mervik.exe   temp.trs \"LIB\\abc",
         "Mervik: 错误 E001: 命令行中的双引号不成对：Mervik.exe   temp.trs \"LIB\\abc"},
    };
    for (const auto& c : cases) {
        Sandbox box;
        ASSERT_TRUE(box.ready());
        EXPECT_EQ(box.run(c.command_line), 2u);
        const std::string messages = box.messages();
        EXPECT_EQ(messages.substr(0, messages.find("\r\n")), c.first_line);
    }
}

// The conversion to and from UTF-8 is the lexicon's own, so Mervik.exe writes the bytes
// that mervik writes on Linux, also for the characters whose mapping differs between
// code-page tables (the middle dot A1A4, the dash A1AA, the euro sign 80).
TEST(MervikExe, PoExportAndImportGiveTheSameBytesAsOnLinux) {
    Sandbox box;
    ASSERT_TRUE(box.ready());
    const std::string list =
        "Open=打开\r\nA\xA1\xA4"
        "B=\xA1\xAA\x80\r\n";
    write_file(box.work() + "\\temp.trs", list);
    EXPECT_EQ(box.run("Mervik.exe --export-po temp.trs -o out\\zh.po"), 0u) << box.messages();
    const std::string po = read_file(box.work() + "\\out\\zh.po");
    const std::string body =
        "\nmsgid \"Open\"\nmsgstr \"\xE6\x89\x93\xE5\xBC\x80\"\n"
        "\nmsgid \"A\xC2\xB7"
        "B\"\nmsgstr \"\xE2\x80\x94\xE2\x82\xAC\"\n";
    ASSERT_GE(po.size(), body.size());
    EXPECT_EQ(po.substr(po.size() - body.size()), body);
    EXPECT_EQ(box.run("Mervik.exe --import-po out\\zh.po -o back.trs"), 0u) << box.messages();
    EXPECT_EQ(read_file(box.work() + "\\back.trs"), list);
}

TEST(MervikExe, MessageFileAndLibraryAreReplacedWhole) {
    Sandbox box;
    ASSERT_TRUE(box.ready());
    write_file(box.work() + "\\temp.trs", "a=甲\r\n");
    ASSERT_EQ(box.run("Mervik.exe   temp.trs \"LIB\\abc\"  \"d\""), 0u);
    write_file(box.work() + "\\temp.trs", "a=乙\r\nb=丙\r\n");
    ASSERT_EQ(box.run("Mervik.exe   temp.trs \"LIB\\abc\"  \"d\""), 0u);
    const auto library = open_library(box.work() + "\\LIB\\abc.LIB");
    ASSERT_TRUE(library);
    EXPECT_EQ(library->lookup("a"), "乙");
    EXPECT_EQ(
        box.messages().find("共有 0 个错误，0 个警告。\r\n已生成词库“" + box.work() + "\\LIB\\abc.LIB”：2 个条目"), 0u);
    // Nothing left under a temporary name.
    WIN32_FIND_DATAA found;
    for (const std::string& dir : {box.program(), box.work() + "\\LIB"}) {
        const HANDLE search = ::FindFirstFileA((dir + "\\*.tmp").c_str(), &found);
        EXPECT_EQ(search, INVALID_HANDLE_VALUE) << dir;
        if (search != INVALID_HANDLE_VALUE) ::FindClose(search);
    }
}

}  // namespace
}  // namespace mervik
