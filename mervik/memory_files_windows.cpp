// The memory's files on Windows: GBK paths through the ANSI functions, like the rest of
// Mervik.exe, and files opened so that others may read, write, replace and delete them
// while the memory reads (a colleague saving into a shared LIB folder).
#include <windows.h>

#include <algorithm>

#include "lexicon/base/diagnostics.h"
#include "lexicon/base/gbk.h"
#include "mervik/memory_command.h"

namespace mervik {
namespace {

std::string why(DWORD e) {
    switch (e) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
        return "文件或文件夹不存在";
    case ERROR_ACCESS_DENIED:
        return "没有访问权限";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "文件正被其他程序独占";
    default:
        return lexicon::cat("系统错误 ", static_cast<unsigned long>(e));
    }
}

bool is_library_name(std::string_view name) {
    if (name.size() < 4) return false;
    std::string ending(name.substr(name.size() - 4));
    for (char& c : ending) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return ending == ".LIB";
}

std::int64_t as_number(const FILETIME& t) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime);
}

class FindHandle {
public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    ~FindHandle() {
        if (h_ != INVALID_HANDLE_VALUE) ::FindClose(h_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() {
        if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

class WindowsMemoryFiles final : public lexicon::MemoryFiles {
public:
    bool list_libraries(const std::string& folder, std::vector<lexicon::MemoryFileInfo>& files,
                        std::string& error) override {
        const DWORD attributes = ::GetFileAttributesA(folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            error = attributes == INVALID_FILE_ATTRIBUTES ? why(::GetLastError()) : "这不是一个文件夹";
            return false;
        }
        files.clear();
        WIN32_FIND_DATAA data{};
        const FindHandle find(::FindFirstFileA(join(folder, "*").c_str(), &data));
        if (find.get() == INVALID_HANDLE_VALUE) {
            const DWORD e = ::GetLastError();
            if (e == ERROR_FILE_NOT_FOUND || e == ERROR_NO_MORE_FILES) return true;
            error = why(e);
            return false;
        }
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !is_library_name(data.cFileName)) continue;
            files.push_back({data.cFileName, static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
                             as_number(data.ftLastWriteTime)});
        } while (::FindNextFileA(find.get(), &data));
        return true;
    }

    bool file_info(const std::string& path, lexicon::MemoryFileInfo& info, std::string& error) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
            error = why(::GetLastError());
            return false;
        }
        info = {path, static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
                as_number(data.ftLastWriteTime)};
        return true;
    }

    bool read(const std::string& path, std::string& bytes, std::string& error) override {
        const FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        LARGE_INTEGER size{};
        if (file.get() == INVALID_HANDLE_VALUE || !::GetFileSizeEx(file.get(), &size)) {
            error = why(::GetLastError());
            return false;
        }
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t have = 0;
        while (have < bytes.size()) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - have, 1u << 30));
            if (!::ReadFile(file.get(), bytes.data() + have, want, &got, nullptr)) {
                error = why(::GetLastError());
                return false;
            }
            if (got == 0) break;
            have += got;
        }
        bytes.resize(have);
        return true;
    }

    std::string join(const std::string& folder, const std::string& name) override {
        if (folder.empty()) return name;
        const std::size_t sep = lexicon::gbk::find_last_separator(folder);
        const bool ends_in_separator = sep != std::string::npos && sep + 1 == folder.size();
        return ends_in_separator ? folder + name : folder + "\\" + name;
    }
};

}  // namespace

std::unique_ptr<lexicon::MemoryFiles> make_memory_files() { return std::make_unique<WindowsMemoryFiles>(); }

double monotonic_ms() {
    static const double per_ms = [] {
        LARGE_INTEGER f{};
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / per_ms;
}

}  // namespace mervik
