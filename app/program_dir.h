#pragma once
#include <string>
#include <string_view>

namespace app {

// The folder part of the program's path, with its trailing backslash; empty when
// the path holds no backslash. The path is never cut, however long it is.
std::string ProgramDirFromPath(std::string_view exePath);

}  // namespace app
