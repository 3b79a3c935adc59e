#pragma once
// A Platform that keeps its files in memory, for tests of whole runs: which files a run
// reads and writes, what it leaves when a write fails, what it prints.
#include <map>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "lexicon/base/gbk.h"
#include "mervik/command_line.h"
#include "mervik/driver.h"

namespace mervik::testing {
using namespace lexicon;

class MemoryPlatform final : public Platform {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> directories{"prog"};
    std::set<std::string> read_only;  // directories whose files cannot be created
    bool fail_writes = false;         // every write fails as on a full disk
    bool out_of_memory = false;       // reading a file throws std::bad_alloc
    std::string printed, printed_errors, written_stdout;

    bool read_file(const std::string& path, std::size_t max_bytes, std::string& contents, IoError& error) override {
        if (out_of_memory) throw std::bad_alloc();
        const auto it = files.find(path);
        if (it == files.end()) {
            error = {directories.count(path) ? IoFailure::IsDirectory : IoFailure::NotFound, 0};
            return false;
        }
        if (it->second.size() > max_bytes) {
            error = {IoFailure::TooLarge, 0};
            return false;
        }
        contents = it->second;
        return true;
    }

    std::unique_ptr<AtomicFile> create_atomic(const std::string& path, IoError& error) override {
        const std::string dir(directory_of(path));
        if (!dir.empty() && !directories.count(dir)) {
            error = {IoFailure::NotFound, 0};
            return nullptr;
        }
        if (read_only.count(dir) || directories.count(path)) {
            error = {IoFailure::AccessDenied, 0};
            return nullptr;
        }
        return std::make_unique<File>(*this, path);
    }

    bool make_directories(const std::string& path, IoError& error) override {
        for (std::size_t i = 0; i <= path.size(); ++i) {
            if (i != path.size() && path[i] != '/') continue;
            const std::string prefix = path.substr(0, i);
            if (files.count(prefix)) {
                error = {IoFailure::NotADirectory, 0};
                return false;
            }
            directories.insert(prefix);
        }
        return true;
    }

    std::string program_directory() override { return "prog/"; }

    std::string native_path(std::string_view argument) override {
        std::string path(argument);
        for (std::size_t i = 0; i < path.size(); i += gbk::char_length(path, i)) {
            if (path[i] == '\\') path[i] = '/';
        }
        return path;
    }

    bool description_to_gbk(std::string_view argument, std::string& gbk) override {
        gbk.assign(argument);
        return true;
    }

    std::string utc_time() override { return "2026-01-02 03:04+0000"; }
    void print(std::string_view text) override { printed.append(text); }
    void print_error(std::string_view text) override { printed_errors.append(text); }
    void write_stdout(std::string_view bytes) override { written_stdout.append(bytes); }

    // Mervik.ERR split into its lines (CR LF), or nothing when there is none.
    std::vector<std::string> message_lines() const {
        std::vector<std::string> lines;
        const auto it = files.find("prog/Mervik.ERR");
        if (it == files.end()) return lines;
        const std::string& text = it->second;
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = text.find("\r\n", start);
            if (end == std::string::npos) {
                lines.push_back(text.substr(start) + "<no CR LF>");
                break;
            }
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

private:
    class File final : public AtomicFile {
    public:
        File(MemoryPlatform& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
        bool write(const char* data, std::size_t size) override {
            if (owner_.fail_writes) return false;
            bytes_.append(data, size);
            return true;
        }
        IoError write_error() const override { return {IoFailure::DiskFull, 0}; }
        bool commit(IoError& error) override {
            if (owner_.fail_writes) {
                error = write_error();
                return false;
            }
            owner_.files[path_] = bytes_;
            return true;
        }

    private:
        MemoryPlatform& owner_;
        std::string path_;
        std::string bytes_;
    };
};

}  // namespace mervik::testing
