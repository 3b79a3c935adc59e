#include "app/program_dir.h"

#include "lexicon/base/gbk.h"

namespace app {

std::string ProgramDirFromPath(std::string_view exePath) {
    // Scanning bytes from the end is safe in GBK only because the search stops at
    // the last 0x5C byte; a trail byte 0x5C inside the file name would end the
    // folder early, so walk forward over double-byte characters instead.
    std::size_t lastSeparatorEnd = 0;
    for (std::size_t i = 0; i < exePath.size(); ++i) {
        if (lexicon::gbk::walk_length(exePath, i) == 2) {
            ++i;
            continue;
        }
        if (exePath[i] == '\\') lastSeparatorEnd = i + 1;
    }
    return std::string(exePath.substr(0, lastSeparatorEnd));
}

namespace {

// One folder of a PATH list in the form it is compared in: without a trailing
// separator, ASCII letters upper-cased except where a byte trails a double-byte character.
std::string FolderKey(std::string_view folder) {
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/') &&
           lexicon::gbk::find_last_separator(folder) == folder.size() - 1)
        folder.remove_suffix(1);
    std::string key(folder);
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (lexicon::gbk::walk_length(key, i) == 2) {
            ++i;
            continue;
        }
        if (key[i] >= 'a' && key[i] <= 'z') key[i] = static_cast<char>(key[i] - 'a' + 'A');
    }
    return key;
}

}  // namespace

std::string SearchPathWithFolder(std::string_view pathList, std::string_view folder) {
    const std::string wanted = FolderKey(folder);
    if (wanted.empty()) return std::string(pathList);
    // ';' is ASCII below 0x40, so it is never the trail byte of a double-byte character.
    std::size_t start = 0;
    while (start <= pathList.size()) {
        std::size_t end = pathList.find(';', start);
        if (end == std::string_view::npos) end = pathList.size();
        if (FolderKey(pathList.substr(start, end - start)) == wanted) return std::string(pathList);
        start = end + 1;
    }
    std::string result(pathList);
    if (!result.empty() && result.back() != ';') result += ';';
    result += folder;
    return result;
}

}  // namespace app
