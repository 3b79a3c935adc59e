#pragma once
// Access keys that clash inside one menu or dialog. A word list marks where the texts
// of one menu or dialog start with a comment line
//   ;@scope 文件菜单
// and the scope lasts until the next ";@scope" line or an ";@end-scope" line. Inside
// it, two translations with the same access key ("打开(&O)" and "选项(&O)") make the
// key useless for one of them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/base/diagnostics.h"

namespace lexicon {

constexpr std::string_view scope_start = ";@scope";
constexpr std::string_view scope_end = ";@end-scope";

class AccessKeyScope {
public:
    // Reads a comment line; false when it is no scope line.
    bool read(std::string_view comment);
    bool open() const { return open_; }

    // Notes the access key of one translation of the scope and warns when an earlier
    // one has the same key.
    void add(std::string_view translation, std::uint32_t line, Diagnostics& diagnostics, bool warn = true);

private:
    struct Key {
        std::string key;  // the character after '&', ASCII letters in upper case
        std::uint32_t line;
        std::string translation;
    };
    bool open_ = false;
    std::string name_;
    std::vector<Key> keys_;
};

// The character an access key selects: what follows the one '&' that is no "&&",
// ASCII letters in upper case; empty when the text has no key or more than one.
std::string access_key_of(std::string_view text);

}  // namespace lexicon
