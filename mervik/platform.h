#pragma once
// What Mervik needs from the operating system. One implementation per system
// (main_posix.cpp, main_windows.cpp); tests use one that keeps files in memory.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "lexicon/base/byte_sink.h"

namespace lexicon {
class MemoryFiles;  // memory.h
}

namespace mervik {

class TextMeasurer;  // fit_check.h

// Why a file operation failed, in terms the messages can name.
enum class IoFailure { NotFound, AccessDenied, DiskFull, IsDirectory, NotADirectory, TooLarge, Other };

struct IoError {
    IoFailure failure = IoFailure::Other;
    long system_code = 0;  // errno or GetLastError(), shown for Other
};

// The Chinese text for a failure ("文件不存在").
std::string describe(const IoError& error);

// A file being written under a temporary name beside its final path. commit() renames
// it into place; a file never committed is removed, so a failed write leaves the old
// file as it was.
class AtomicFile : public lexicon::ByteSink {
public:
    virtual bool commit(IoError& error) = 0;
    // The first write failure, if any.
    virtual IoError write_error() const = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // Reads a whole file; one larger than max_bytes fails with TooLarge.
    virtual bool read_file(const std::string& path, std::size_t max_bytes, std::string& contents, IoError& error) = 0;
    // Up to `size` bytes from `offset` (fewer where the file ends first, none past its
    // end). The default reads the whole file and keeps that part.
    virtual bool read_range(const std::string& path, std::uint64_t offset, std::size_t size, std::string& contents,
                            IoError& error) {
        std::string all;
        if (!read_file(path, SIZE_MAX, all, error)) return false;
        contents = offset >= all.size() ? std::string() : all.substr(static_cast<std::size_t>(offset), size);
        return true;
    }
    virtual std::unique_ptr<AtomicFile> create_atomic(const std::string& path, IoError& error) = 0;
    // Creates the directory and any missing parents; true if it exists afterwards.
    virtual bool make_directories(const std::string& path, IoError& error) = 0;

    // The directory of the running executable, ending in its separator.
    virtual std::string program_directory() = 0;

    // An output argument as a path of this system (the editor writes LIB\abc; on Linux
    // that becomes LIB/abc).
    virtual std::string native_path(std::string_view argument) = 0;
    // A path made full against the current folder, so that a message says where a file
    // went whatever folder the caller thinks is current; as it is where the system
    // cannot tell.
    virtual std::string full_path(const std::string& path) { return path; }
    // The description argument as GBK (argv of a UTF-8 terminal is converted).
    virtual bool description_to_gbk(std::string_view argument, std::string& gbk) = 0;

    // The current time in UTC as a PO header writes it: "2026-12-10 13:22+0000".
    virtual std::string utc_time() = 0;

    // Messages in GBK for a person: each system shows them in its console's encoding.
    virtual void print(std::string_view gbk_text) = 0;
    virtual void print_error(std::string_view gbk_text) = 0;
    // Bytes for standard output as they are (a dumped word list stays GBK, so that it
    // can be redirected to a file and compiled again).
    virtual void write_stdout(std::string_view bytes) = 0;

    // Measures dialog texts with their fonts for the fit check; none where the system
    // has no fonts to measure with.
    virtual TextMeasurer* text_measurer() { return nullptr; }

    // The folders and files of a translation memory; none where a test keeps its files
    // in memory.
    virtual lexicon::MemoryFiles* memory_files() { return nullptr; }
};

}  // namespace mervik
