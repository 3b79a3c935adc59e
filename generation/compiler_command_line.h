#pragma once
// The compiler's command line, as the generation run hands it to CreateProcessA.
#include <string>
#include <string_view>

namespace generation {

// "Mervik.exe   temp.trs \"LIB\<file name>[.LIB]\"  \"<description>\"": both texts are
// copied byte for byte, without escaping. The dialog has already refused double quotes,
// and Mervik reads the raw line with no escape character, so a trailing backslash in
// the description needs no doubling. ".LIB" is added only to a name holding a full
// stop (abc gives LIB\abc, ab.c gives LIB\ab.c.LIB).
std::string CompilerCommandLine(std::string_view fileName, std::string_view description);

}  // namespace generation
