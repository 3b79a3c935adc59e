#include "korvex/library_file.h"

#ifdef _WIN32
#include <windows.h>

#include "win/gbk.h"
#include "win/handles.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace korvex {

namespace {
constexpr const char* kMissing = "文件不存在";
constexpr const char* kFolder = "这是一个文件夹，不是文件";
constexpr const char* kNoAccess = "没有读取这个文件的权限";
constexpr const char* kInUse = "文件正被另一个程序使用";
constexpr const char* kTooLarge = "文件太大";
constexpr const char* kUnreadable = "读取文件时出错";
}  // namespace

#ifdef _WIN32

std::optional<std::string> ReadFileBytes(const std::string& path, std::string& why) {
    const std::wstring wide = win::GbkToWide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        why = kFolder;
        return std::nullopt;
    }
    win::FileHandle file(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        switch (::GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
            why = kMissing;
            break;
        case ERROR_ACCESS_DENIED:
            why = kNoAccess;
            break;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            why = kInUse;
            break;
        default:
            why = kUnreadable;
            break;
        }
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) {
        why = kUnreadable;
        return std::nullopt;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxFileBytes) {
        why = kTooLarge;
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 24));
        if (!::ReadFile(file.get(), bytes.data() + done, want, &got, nullptr)) {
            why = kUnreadable;
            return std::nullopt;
        }
        if (got == 0) break;  // the file became shorter while it was read
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

#else

std::optional<std::string> ReadFileBytes(const std::string& path, std::string& why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = errno == ENOENT || errno == ENOTDIR ? kMissing : errno == EACCES ? kNoAccess : kUnreadable;
        return std::nullopt;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        why = kUnreadable;
        return std::nullopt;
    }
    if (S_ISDIR(info.st_mode)) {
        why = kFolder;
        return std::nullopt;
    }
    if (static_cast<unsigned long long>(info.st_size) > kMaxFileBytes) {
        why = kTooLarge;
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            why = kUnreadable;
            return std::nullopt;
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

#endif

std::string FileMessage(std::string_view action, std::string_view path, std::string_view why) {
    std::string text;
    text.append(action).append("“").append(path).append("”：").append(why).append("。");
    return text;
}

}  // namespace korvex
