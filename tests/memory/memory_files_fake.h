#pragma once
// Files of a memory kept in a map, with a counter of reads: which files a refresh reads
// again and which it leaves alone.
#include <map>
#include <string>
#include <vector>

#include "lexicon/library/library_writer.h"
#include "lexicon/memory/memory.h"
#include "lexicon/wordlist/word_list.h"

namespace lexicon::testing {

class FakeFiles final : public MemoryFiles {
public:
    struct File {
        std::string bytes;
        std::int64_t modified = 1;
    };
    std::map<std::string, File> files;  // "LIB/a.LIB"
    std::vector<std::string> folders{"LIB"};
    std::map<std::string, int> reads;
    bool locked = false;  // every read fails as a file another program holds

    bool list_libraries(const std::string& folder, std::vector<MemoryFileInfo>& out, std::string& error) override {
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
            error = "文件夹不存在";
            return false;
        }
        out.clear();
        for (const auto& [path, file] : files) {
            if (path.starts_with(folder + "/") && (path.ends_with(".LIB") || path.ends_with(".lib"))) {
                out.push_back({path.substr(folder.size() + 1), file.bytes.size(), file.modified});
            }
        }
        return true;
    }
    bool file_info(const std::string& path, MemoryFileInfo& info, std::string& error) override {
        const auto it = files.find(path);
        if (it == files.end()) {
            error = "文件不存在";
            return false;
        }
        info = {path, it->second.bytes.size(), it->second.modified};
        return true;
    }
    bool read(const std::string& path, std::string& bytes, std::string& error) override {
        ++reads[path];
        const auto it = files.find(path);
        if (it == files.end() || locked) {
            error = locked ? "文件正被其他程序使用" : "文件不存在";
            return false;
        }
        bytes = it->second.bytes;
        return true;
    }
    std::string join(const std::string& folder, const std::string& name) override { return folder + "/" + name; }

    // A library compiled from word-list text.
    void put_library(const std::string& path, const std::string& word_list, std::int64_t modified = 1) {
        Diagnostics ignored;
        const WordList list = compile_word_list(word_list, ignored);
        StringSink sink;
        write_library(list, "test", sink);
        files[path] = {sink.bytes, modified};
    }
};

}  // namespace lexicon::testing
