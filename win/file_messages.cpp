#include "win/file_messages.h"

namespace win {

const char* const kFailedToLoadStream = "Failed to Load Stream";
const char* const kFailedToSaveStream = "Failed to Save Stream";

std::string CannotOpenFile(std::string_view path) { return "Cannot open file " + std::string(path); }
std::string CannotCreateFile(std::string_view path) { return "Cannot create file " + std::string(path); }

}  // namespace win
