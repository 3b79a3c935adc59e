// The memory's files on POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "lexicon/base/diagnostics.h"
#include "mervik/memory_command.h"

namespace mervik {
namespace {

std::string why(int e) {
    switch (e) {
    case ENOENT:
    case ENOTDIR:
        return "文件或文件夹不存在";
    case EACCES:
    case EPERM:
        return "没有访问权限";
    default:
        return lexicon::cat("系统错误 ", e, "（", std::strerror(e), "）");
    }
}

bool is_library_name(std::string_view name) {
    if (name.size() < 4) return false;
    std::string ending(name.substr(name.size() - 4));
    for (char& c : ending) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return ending == ".LIB";
}

std::int64_t modified(const struct stat& st) {
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

class PosixMemoryFiles final : public lexicon::MemoryFiles {
public:
    bool list_libraries(const std::string& folder, std::vector<lexicon::MemoryFileInfo>& files,
                        std::string& error) override {
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr) {
            error = why(errno);
            return false;
        }
        files.clear();
        while (const dirent* e = ::readdir(dir)) {
            if (!is_library_name(e->d_name)) continue;
            struct stat st {};
            if (::stat(join(folder, e->d_name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            files.push_back({e->d_name, static_cast<std::uint64_t>(st.st_size), modified(st)});
        }
        ::closedir(dir);
        return true;
    }

    bool file_info(const std::string& path, lexicon::MemoryFileInfo& info, std::string& error) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            error = why(errno);
            return false;
        }
        info = {path, static_cast<std::uint64_t>(st.st_size), modified(st)};
        return true;
    }

    bool read(const std::string& path, std::string& bytes, std::string& error) override {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            error = why(errno);
            return false;
        }
        struct stat st {};
        bool ok = ::fstat(fd, &st) == 0;
        if (ok) {
            bytes.resize(static_cast<std::size_t>(st.st_size));
            std::size_t have = 0;
            while (ok && have < bytes.size()) {
                const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) ok = false;
                if (n <= 0) break;
                have += static_cast<std::size_t>(n);
            }
            bytes.resize(have);
        }
        if (!ok) error = why(errno);
        ::close(fd);
        return ok;
    }

    std::string join(const std::string& folder, const std::string& name) override {
        return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
    }
};

}  // namespace

std::unique_ptr<lexicon::MemoryFiles> make_memory_files() { return std::make_unique<PosixMemoryFiles>(); }

double monotonic_ms() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

}  // namespace mervik
