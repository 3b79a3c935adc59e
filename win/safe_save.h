#pragma once
// Writing a document file so that a failed save never destroys what is on disk.
#include <string>
#include <string_view>

namespace win {

// Writes `bytes` to a temporary file in the folder of `path`, flushes it to disk and
// only then puts it in the place of `path` (ReplaceFile for an existing file, a move
// for a new one). On any failure the temporary file is removed, `path` keeps its old
// contents, and win::CommandError is thrown: "Cannot create file <path>" when the
// file cannot be created or replaced, "Failed to Save Stream" when the bytes cannot
// be written out (a full disk); its detail names the full path and the cause (read-only,
// in use by another program, disk full, folder missing, ...) in plain Chinese.
void WriteFileSafely(const std::string& path, std::string_view bytes);

// Reads a whole file. Throws win::CommandError: "Cannot open file <path>" when it
// cannot be opened, "Failed to Load Stream" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace win
