#pragma once
// The messages of the file errors, without the full stop the error display adds. Shared
// by the editor's documents and the library editor's safe save.
#include <string>
#include <string_view>

namespace win {

std::string CannotOpenFile(std::string_view path);
std::string CannotCreateFile(std::string_view path);
extern const char* const kFailedToLoadStream;
extern const char* const kFailedToSaveStream;

}  // namespace win
