#pragma once
#include <string>
#include <string_view>

namespace app {

// The folder part of the program's path, with its trailing backslash; empty when
// the path holds no backslash. The path is never cut, however long it is.
std::string ProgramDirFromPath(std::string_view exePath);

// A PATH value (folders separated by ';') with `folder` added at its end, or unchanged
// when it already names that folder (ASCII letters in any case, with or without the
// trailing backslash). Programs started by a bare name search PATH last, so whatever
// they found before is still found first.
std::string SearchPathWithFolder(std::string_view pathList, std::string_view folder);

}  // namespace app
