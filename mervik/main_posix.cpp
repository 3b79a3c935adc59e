// mervik on Linux and other POSIX systems: argv, files through POSIX calls, and
// conversion between GBK and the terminal's UTF-8.
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "lexicon/base/gbk.h"
#include "lexicon/base/large_pages.h"
#include "mervik/driver.h"
#include "mervik/memory_command.h"

namespace mervik {
using namespace lexicon;  // the compiler is built on the shared lexicon library
namespace {

IoError from_errno(int e) {
    switch (e) {
    case ENOENT:
    case ENOTDIR:
        return {IoFailure::NotFound, e};
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
        return {IoFailure::AccessDenied, e};
    case ENOSPC:
    case EDQUOT:
        return {IoFailure::DiskFull, e};
    case EISDIR:
        return {IoFailure::IsDirectory, e};
    case EFBIG:
        return {IoFailure::TooLarge, e};
    default:
        return {IoFailure::Other, e};
    }
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now and reports the result: a failed close can mean lost data.
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    bool convert(std::string_view in, std::string& out) {
        out.assign(in.size() * 2 + 16, '\0');
        char* src = const_cast<char*>(in.data());
        std::size_t src_left = in.size();
        char* dst = out.data();
        std::size_t dst_left = out.size();
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd_, &src, &src_left, &dst, &dst_left) == static_cast<std::size_t>(-1)) return false;
        out.resize(out.size() - dst_left);
        return true;
    }

private:
    iconv_t cd_;
};

void write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

class PosixAtomicFile final : public AtomicFile {
public:
    PosixAtomicFile(std::string path, std::string temp, int fd)
        : path_(std::move(path)), temp_(std::move(temp)), fd_(fd) {}
    ~PosixAtomicFile() override {
        if (!committed_) {
            fd_.reset();
            ::unlink(temp_.c_str());
        }
    }

    bool write(const char* data, std::size_t size) override {
        while (size > 0 && !failed_) {
            const ssize_t n = ::write(fd_.get(), data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error_ = from_errno(n < 0 ? errno : ENOSPC);
                failed_ = true;
                break;
            }
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return !failed_;
    }
    IoError write_error() const override { return error_; }

    bool commit(IoError& error) override {
        if (failed_) {
            error = error_;
            return false;
        }
        if (!fd_.close() || ::rename(temp_.c_str(), path_.c_str()) != 0) {
            error = from_errno(errno);
            return false;
        }
        committed_ = true;
        return true;
    }

private:
    std::string path_;
    std::string temp_;
    Fd fd_;
    bool committed_ = false;
    bool failed_ = false;
    IoError error_;
};

// Opens a file to read and tells its size; a folder is refused.
bool open_for_reading(const std::string& path, Fd& fd, struct stat& st, IoError& error) {
    fd.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
        error = from_errno(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = from_errno(EISDIR);
        return false;
    }
    return true;
}

class PosixPlatform final : public Platform {
public:
    PosixPlatform() {
        std::setlocale(LC_CTYPE, "");
        utf8_ = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    }

    bool read_range(const std::string& path, std::uint64_t offset, std::size_t size, std::string& contents,
                    IoError& error) override {
        Fd fd;
        struct stat st {};
        if (!open_for_reading(path, fd, st, error)) return false;
        const std::uint64_t length = static_cast<std::uint64_t>(st.st_size);
        contents.resize(offset >= length ? 0
                                         : static_cast<std::size_t>(std::min<std::uint64_t>(size, length - offset)));
        std::size_t have = 0;
        while (have < contents.size()) {
            const ssize_t n = ::pread(fd.get(), contents.data() + have, contents.size() - have,
                                      static_cast<off_t>(offset + have));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                error = from_errno(errno);
                return false;
            }
            if (n == 0) break;
            have += static_cast<std::size_t>(n);
        }
        contents.resize(have);
        return true;
    }

    bool read_file(const std::string& path, std::size_t max_bytes, std::string& contents, IoError& error) override {
        Fd fd;
        struct stat st {};
        if (!open_for_reading(path, fd, st, error)) return false;
        if (static_cast<std::uint64_t>(st.st_size) > max_bytes) {
            error = {IoFailure::TooLarge, 0};
            return false;
        }
        // One read of the known size. Only a file that grew meanwhile (or a pipe) takes
        // the slower path; the buffer is never grown ahead of need, which would double
        // the peak memory of a large source.
        if (contents.empty()) reserve_large(contents, static_cast<std::size_t>(st.st_size));
        contents.resize(static_cast<std::size_t>(st.st_size));
        std::size_t have = 0;
        for (;;) {
            char probe[4096];
            const bool full = have == contents.size();
            char* into = full ? probe : contents.data() + have;
            const std::size_t room = full ? sizeof probe : contents.size() - have;
            const ssize_t n = ::read(fd.get(), into, room);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                error = from_errno(errno);
                return false;
            }
            if (n == 0) break;
            if (full) {
                if (contents.size() + static_cast<std::size_t>(n) > max_bytes) {
                    error = {IoFailure::TooLarge, 0};
                    return false;
                }
                contents.append(probe, static_cast<std::size_t>(n));
            }
            have += static_cast<std::size_t>(n);
        }
        contents.resize(have);
        return true;
    }

    std::unique_ptr<AtomicFile> create_atomic(const std::string& path, IoError& error) override {
        const std::string temp = path + "." + std::to_string(::getpid()) + ".tmp";
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) {
            error = from_errno(errno);
            return nullptr;
        }
        return std::make_unique<PosixAtomicFile>(path, temp, fd);
    }

    bool make_directories(const std::string& path, IoError& error) override {
        for (std::size_t i = 1; i <= path.size(); ++i) {
            if (i != path.size() && path[i] != '/') continue;
            const std::string prefix = path.substr(0, i);
            if (::mkdir(prefix.c_str(), 0777) == 0 || errno == EEXIST) continue;
            if (errno == ENOTDIR) {
                error = {IoFailure::NotADirectory, ENOTDIR};
                return false;
            }
            error = from_errno(errno);
            return false;
        }
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            error = from_errno(errno);
            return false;
        }
        if (!S_ISDIR(st.st_mode)) {
            error = {IoFailure::NotADirectory, ENOTDIR};
            return false;
        }
        return true;
    }

    std::string program_directory() override {
        std::vector<char> buffer(4096);
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return "";
        const std::string exe(buffer.data(), static_cast<std::size_t>(n));
        return exe.substr(0, exe.rfind('/') + 1);
    }

    // The editor's separator is '\'. In a UTF-8 locale no byte of a character can be
    // 0x5C, so every backslash is a separator; in a GBK locale one may be a trail byte.
    std::string native_path(std::string_view argument) override {
        std::string path(argument);
        for (std::size_t i = 0; i < path.size();) {
            const std::size_t n = utf8_ ? 1 : gbk::char_length(path, i);
            if (path[i] == '\\') path[i] = '/';
            i += n;
        }
        return path;
    }

    std::string full_path(const std::string& path) override {
        if (path.starts_with('/')) return path;
        std::vector<char> folder(4096);
        if (!::getcwd(folder.data(), folder.size())) return path;
        std::string full = folder.data();
        std::string_view rest = path;
        while (rest.starts_with("./")) rest.remove_prefix(2);
        if (!full.ends_with('/')) full += '/';
        return full.append(rest);
    }

    bool description_to_gbk(std::string_view argument, std::string& gbk) override {
        if (!utf8_) {
            gbk.assign(argument);
            return true;
        }
        Converter to_gbk("GBK", "UTF-8");
        return to_gbk.valid() && to_gbk.convert(argument, gbk);
    }

    std::string utc_time() override {
        const std::time_t now = std::time(nullptr);
        std::tm tm{};
        gmtime_r(&now, &tm);
        char buf[32];
        std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M+0000", &tm);
        return buf;
    }

    void print(std::string_view text) override { write_all(1, for_terminal(text)); }
    void print_error(std::string_view text) override { write_all(2, for_terminal(text)); }
    void write_stdout(std::string_view bytes) override { write_all(1, bytes); }
    lexicon::MemoryFiles* memory_files() override {
        if (!memory_files_) memory_files_ = make_memory_files();
        return memory_files_.get();
    }

private:
    std::string for_terminal(std::string_view gbk_text) {
        std::string out;
        if (utf8_) {
            Converter from_gbk("UTF-8", "GBK");
            if (from_gbk.valid() && from_gbk.convert(gbk_text, out)) return out;
        }
        return std::string(gbk_text);
    }

    bool utf8_ = false;
    std::unique_ptr<lexicon::MemoryFiles> memory_files_;
};

}  // namespace
}  // namespace mervik

int main(int argc, char** argv) {
    mervik::PosixPlatform platform;
    return mervik::run(std::vector<std::string>(argv + 1, argv + argc), platform);
}
