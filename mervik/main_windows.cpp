// Mervik.exe on Windows: the raw command line, files through the ANSI API (paths are
// GBK), and nothing that could show a window or wait for the user.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "lexicon/base/gbk.h"
#include "mervik/driver.h"
#include "mervik/fit_check.h"
#include "mervik/memory_command.h"

namespace mervik {
using namespace lexicon;  // the compiler is built on the shared lexicon library
namespace {

IoError last_error() {
    const DWORD e = ::GetLastError();
    switch (e) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
        return {IoFailure::NotFound, static_cast<long>(e)};
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return {IoFailure::AccessDenied, static_cast<long>(e)};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return {IoFailure::DiskFull, static_cast<long>(e)};
    case ERROR_DIRECTORY:
        return {IoFailure::IsDirectory, static_cast<long>(e)};
    default:
        return {IoFailure::Other, static_cast<long>(e)};
    }
}

class File {
public:
    explicit File(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~File() { reset(); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    bool close() { return ::CloseHandle(std::exchange(h_, INVALID_HANDLE_VALUE)) != 0; }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (valid()) ::CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_;
};

bool is_directory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

class WindowsAtomicFile final : public AtomicFile {
public:
    WindowsAtomicFile(std::string path, std::string temp, HANDLE h)
        : path_(std::move(path)), temp_(std::move(temp)), file_(h) {}
    ~WindowsAtomicFile() override {
        if (!committed_) {
            file_.reset();
            ::DeleteFileA(temp_.c_str());
        }
    }

    bool write(const char* data, std::size_t size) override {
        while (size > 0 && !failed_) {
            const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!::WriteFile(file_.get(), data, chunk, &written, nullptr) || written == 0) {
                error_ = last_error();
                failed_ = true;
                break;
            }
            data += written;
            size -= written;
        }
        return !failed_;
    }
    IoError write_error() const override { return error_; }

    bool commit(IoError& error) override {
        if (failed_) {
            error = error_;
            return false;
        }
        if (!file_.close() || !::MoveFileExA(temp_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            error = last_error();
            return false;
        }
        committed_ = true;
        return true;
    }

private:
    std::string path_;
    std::string temp_;
    File file_;
    bool committed_ = false;
    bool failed_ = false;
    IoError error_;
};

// Opens a file to read, others may go on reading and writing it, and tells its size.
bool open_for_reading(const std::string& path, DWORD access_hint, File& file, std::uint64_t& size, IoError& error) {
    file.reset(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             access_hint, nullptr));
    LARGE_INTEGER length{};
    if (!file.valid() || !::GetFileSizeEx(file.get(), &length)) {
        error = last_error();
        return false;
    }
    size = static_cast<std::uint64_t>(length.QuadPart);
    return true;
}

// Fills `contents` from the file's position on, in reads of at most 1 GB; a file that
// ended sooner leaves `contents` as long as what was read.
bool read_into(File& file, std::string& contents, IoError& error) {
    std::size_t have = 0;
    while (have < contents.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(contents.size() - have, 1u << 30));
        if (!::ReadFile(file.get(), contents.data() + have, want, &got, nullptr)) {
            error = last_error();
            return false;
        }
        if (got == 0) break;
        have += got;
    }
    contents.resize(have);
    return true;
}

class WindowsPlatform final : public Platform {
public:
    bool read_range(const std::string& path, std::uint64_t offset, std::size_t size, std::string& contents,
                    IoError& error) override {
        File file;
        std::uint64_t total = 0;
        if (!open_for_reading(path, FILE_FLAG_RANDOM_ACCESS, file, total, error)) return false;
        contents.resize(offset >= total ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(size, total - offset)));
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(offset);
        if (!contents.empty() && !::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) {
            error = last_error();
            return false;
        }
        return read_into(file, contents, error);
    }

    bool read_file(const std::string& path, std::size_t max_bytes, std::string& contents, IoError& error) override {
        if (is_directory(path)) {
            error = {IoFailure::IsDirectory, 0};
            return false;
        }
        File file;
        std::uint64_t total = 0;
        if (!open_for_reading(path, FILE_FLAG_SEQUENTIAL_SCAN, file, total, error)) return false;
        if (total > max_bytes) {
            error = {IoFailure::TooLarge, 0};
            return false;
        }
        contents.resize(static_cast<std::size_t>(total));
        return read_into(file, contents, error);
    }

    std::unique_ptr<AtomicFile> create_atomic(const std::string& path, IoError& error) override {
        const std::string temp = path + "." + std::to_string(::GetCurrentProcessId()) + ".tmp";
        const HANDLE h = ::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                       nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            error = last_error();
            return nullptr;
        }
        return std::make_unique<WindowsAtomicFile>(path, temp, h);
    }

    bool make_directories(const std::string& path, IoError& error) override {
        // Walk whole characters: a trail byte 0x5C is not a separator.
        for (std::size_t i = 0; i <= path.size();) {
            if (i == path.size() || path[i] == '\\' || path[i] == '/') {
                const std::string prefix = path.substr(0, i);
                const bool root = prefix.empty() || prefix.back() == ':' || prefix == "\\";
                if (!root && !is_directory(prefix) && !::CreateDirectoryA(prefix.c_str(), nullptr)) {
                    error = ::GetLastError() == ERROR_ALREADY_EXISTS
                                ? IoError{IoFailure::NotADirectory, ERROR_ALREADY_EXISTS}
                                : last_error();
                    return false;
                }
                if (i == path.size()) break;
                ++i;
            } else {
                i += gbk::char_length(path, i);
            }
        }
        if (!is_directory(path)) {
            error = {::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES ? IoFailure::NotFound
                                                                                   : IoFailure::NotADirectory,
                     0};
            return false;
        }
        return true;
    }

    std::string program_directory() override {
        std::string buffer(MAX_PATH, '\0');
        for (;;) {
            const DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
            if (n == 0) return "";
            if (n < buffer.size()) {
                buffer.resize(n);
                break;
            }
            buffer.assign(buffer.size() * 2, '\0');
        }
        const std::size_t sep = gbk::find_last_separator(buffer);
        return sep == std::string::npos ? std::string() : buffer.substr(0, sep + 1);
    }

    std::string native_path(std::string_view argument) override { return std::string(argument); }

    std::string full_path(const std::string& path) override {
        std::string buffer(MAX_PATH, '\0');
        for (;;) {
            const DWORD n = ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
            if (n == 0) return path;
            if (n < buffer.size()) {
                buffer.resize(n);
                return buffer;
            }
            buffer.assign(n + 1, '\0');
        }
    }

    bool description_to_gbk(std::string_view argument, std::string& gbk) override {
        gbk.assign(argument);
        return true;
    }

    std::string utc_time() override {
        SYSTEMTIME t{};
        ::GetSystemTime(&t);
        char buf[32];
        ::wsprintfA(buf, "%04u-%02u-%02u %02u:%02u+0000", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
        return buf;
    }

    void print(std::string_view text) override { write_to(STD_OUTPUT_HANDLE, text); }
    void print_error(std::string_view text) override { write_to(STD_ERROR_HANDLE, text); }
    void write_stdout(std::string_view bytes) override { write_to(STD_OUTPUT_HANDLE, bytes); }
    TextMeasurer* text_measurer() override {
        if (!measurer_) measurer_ = make_gdi_measurer();
        return measurer_.get();
    }
    lexicon::MemoryFiles* memory_files() override {
        if (!memory_files_) memory_files_ = make_memory_files();
        return memory_files_.get();
    }

private:
    // Mervik.exe is a GUI-subsystem program, so that the editor's CreateProcessA opens no
    // console window. Run from a console, it writes to that console instead.
    void write_to(DWORD which, std::string_view bytes) {
        HANDLE h = ::GetStdHandle(which);
        if (h == nullptr || h == INVALID_HANDLE_VALUE) {
            if (!console_.valid() && !tried_console_) {
                tried_console_ = true;
                if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
                    console_.reset(
                        ::CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
                }
            }
            h = console_.get();
            if (!console_.valid()) return;
        }
        while (!bytes.empty()) {
            DWORD written = 0;
            if (!::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0)
                return;
            bytes.remove_prefix(written);
        }
    }

    File console_;
    bool tried_console_ = false;
    std::unique_ptr<TextMeasurer> measurer_;
    std::unique_ptr<lexicon::MemoryFiles> memory_files_;
};

}  // namespace
}  // namespace mervik

int main() {
    // No error boxes from the system either (a missing floppy, a failed DLL): nobody is
    // there to answer them.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    mervik::WindowsPlatform platform;
    return mervik::run_command_line(::GetCommandLineA(), platform);
}
