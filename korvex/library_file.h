#pragma once
// Reading the files the library editor opens and imports, with what went wrong in
// words the user understands. Paths are GBK.
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// Files larger than this are refused before they are read: a 32-bit process cannot
// hold much more next to the table.
constexpr unsigned long long kMaxFileBytes = 512ULL * 1024 * 1024;

// The whole file, or nothing with `why` (GBK Chinese): missing, a folder, no read
// access, in use, too large, unreadable.
std::optional<std::string> ReadFileBytes(const std::string& path, std::string& why);

// The message shown when a file cannot be used: it names the file and what is wrong.
//   无法打开词库“abc.LIB”：词库文件已损坏（校验和不对）。
std::string FileMessage(std::string_view action, std::string_view path, std::string_view why);

}  // namespace korvex
