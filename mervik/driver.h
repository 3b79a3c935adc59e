#pragma once
// One run of Mervik, from its arguments to its exit code, on any system.
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/base/diagnostics.h"
#include "mervik/platform.h"
#include "velmora_version.h"

namespace mervik {

constexpr const char* version_text = VELMORA_VERSION_TEXT;  // the project's one version
constexpr const char* messages_file_name = "Mervik.ERR";
// Larger sources are refused before they are read; the library's 32-bit offsets and a
// 32-bit process both want a bound well below 4 GB.
constexpr std::size_t max_source_bytes = std::size_t{256} * 1024 * 1024;

enum ExitCode { exit_written = 0, exit_source_errors = 1, exit_failed = 2 };

// `words` are the arguments after the program name.
int run(const std::vector<std::string>& words, Platform& platform);

// Writes `text` to `path` as every output is written: under a temporary name renamed
// into place, folders made as needed, a refused name or any failure reported (E008,
// E003, naming the file as `what`) and an older file of that name left as it was.
bool write_text_output(Platform& platform, const std::string& path, std::string_view what, std::string_view text,
                       lexicon::Diagnostics& diagnostics);

// The same from a raw Windows command line, program name first (see split_command_line).
int run_command_line(std::string_view line, Platform& platform);

}  // namespace mervik
