#pragma once
// The compiler's command line, as the generation run hands it to CreateProcessA.
#include <string>
#include <string_view>
#include <vector>

namespace generation {

// "Mervik.exe   temp.trs \"LIB\<file name>[.LIB]\"  \"<description>\"": both texts are
// copied byte for byte, without escaping. The dialog has already refused double quotes,
// and Mervik reads the raw line with no escape character, so a trailing backslash in
// the description needs no doubling. ".LIB" is added only to a name holding a full
// stop (abc gives LIB\abc, ab.c gives LIB\ab.c.LIB).
std::string CompilerCommandLine(std::string_view fileName, std::string_view description);

// The files a compiler stopped while writing leaves behind: it writes the library and
// Mervik.ERR under temporary names "<file>.<process id>.tmp" and renames them only when
// they are complete. The library's name is the output argument with ".LIB" added when
// its last part has no full stop (the compiler's rule), relative to the current
// directory; Mervik.ERR lies in `programDir` (with its trailing backslash).
std::vector<std::string> StoppedCompilerTemporaryFiles(std::string_view fileName, std::string_view programDir,
                                                       unsigned long processId);

}  // namespace generation
