#include "app/program_dir.h"

#include "lexicon/gbk.h"

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

}  // namespace app
