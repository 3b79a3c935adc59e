#include "korvex/memory_files.h"

#include <windows.h>

#include <algorithm>

#include "lexicon/base/diagnostics.h"
#include "lexicon/base/gbk.h"
#include "win/gbk.h"

namespace korvex {

namespace {

std::string Why(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return "文件或文件夹不存在";
    case ERROR_ACCESS_DENIED:
        return "没有访问权限";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "文件正被其他程序独占";
    default:
        return lexicon::cat("系统错误 ", static_cast<unsigned long>(error));
    }
}

bool IsLibraryName(const std::wstring& name) {
    if (name.size() < 4) return false;
    std::wstring ending = name.substr(name.size() - 4);
    for (wchar_t& c : ending) c = static_cast<wchar_t>(c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c);
    return ending == L".LIB";
}

std::int64_t AsNumber(const FILETIME& t) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime);
}

class Handle {
public:
    explicit Handle(HANDLE h, bool find = false) : h_(h), find_(find) {}
    ~Handle() {
        if (h_ == INVALID_HANDLE_VALUE) return;
        if (find_) {
            ::FindClose(h_);
        } else {
            ::CloseHandle(h_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
    bool find_;
};

class KorvexMemoryFiles final : public lexicon::MemoryFiles {
public:
    bool list_libraries(const std::string& folder, std::vector<lexicon::MemoryFileInfo>& files,
                        std::string& error) override {
        const DWORD attributes = ::GetFileAttributesW(win::GbkToWide(folder).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            error = attributes == INVALID_FILE_ATTRIBUTES ? Why(::GetLastError()) : "这不是一个文件夹";
            return false;
        }
        files.clear();
        WIN32_FIND_DATAW data{};
        const Handle find(::FindFirstFileW(win::GbkToWide(join(folder, "*")).c_str(), &data), true);
        if (find.get() == INVALID_HANDLE_VALUE) {
            // An empty folder has no files; a folder that cannot be listed is an error,
            // so that the memory keeps what it read there before (a share that is away).
            const DWORD e = ::GetLastError();
            if (e == ERROR_FILE_NOT_FOUND || e == ERROR_NO_MORE_FILES) return true;
            error = Why(e);
            return false;
        }
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !IsLibraryName(data.cFileName)) continue;
            bool lossy = false;
            std::string name = win::WideToGbk(data.cFileName, &lossy);
            if (lossy) continue;  // a name GBK cannot spell cannot be opened by it either
            files.push_back({std::move(name), static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
                             AsNumber(data.ftLastWriteTime)});
        } while (::FindNextFileW(find.get(), &data));
        return true;
    }

    bool file_info(const std::string& path, lexicon::MemoryFileInfo& info, std::string& error) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(win::GbkToWide(path).c_str(), GetFileExInfoStandard, &data)) {
            error = Why(::GetLastError());
            return false;
        }
        info = {path, static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
                AsNumber(data.ftLastWriteTime)};
        return true;
    }

    bool read(const std::string& path, std::string& bytes, std::string& error) override {
        const Handle file(::CreateFileW(win::GbkToWide(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        LARGE_INTEGER size{};
        if (file.get() == INVALID_HANDLE_VALUE || !::GetFileSizeEx(file.get(), &size)) {
            error = Why(::GetLastError());
            return false;
        }
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t have = 0;
        while (have < bytes.size()) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - have, 1u << 30));
            if (!::ReadFile(file.get(), bytes.data() + have, want, &got, nullptr)) {
                error = Why(::GetLastError());
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
        return sep != std::string::npos && sep + 1 == folder.size() ? folder + name : folder + "\\" + name;
    }
};

}  // namespace

std::unique_ptr<lexicon::MemoryFiles> MakeMemoryFiles() { return std::make_unique<KorvexMemoryFiles>(); }

}  // namespace korvex
