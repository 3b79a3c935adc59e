#pragma once
// Mervik's translation-memory commands: --suggest, --suggest-file, --pretranslate and
// --consistency.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/base/diagnostics.h"
#include "lexicon/memory/memory.h"
#include "mervik/command_line.h"
#include "mervik/platform.h"

namespace mervik {

// --suggest, --suggest-file and --consistency: the answer on standard output (GBK), the
// messages on standard error. The exit code.
int report_from_memory(const Request& request, Platform& platform);

// --pretranslate: writes the output list; its messages go to Mervik.ERR like a compile's.
void pretranslate(const Request& request, Platform& platform, lexicon::Diagnostics& diagnostics, std::string& result,
                  int& exit_code);

// The same for a list already in memory (an extraction's), as if read from `path`.
void pretranslate_source(const Request& request, Platform& platform, std::string source, const std::string& path,
                         lexicon::Diagnostics& diagnostics, std::string& result, int& exit_code);

// The files of the memory on this system (memory_files_posix.cpp, memory_files_windows.cpp).
std::unique_ptr<lexicon::MemoryFiles> make_memory_files();
// A monotonic clock in milliseconds, for the look-up times (<chrono> does not compile
// with the GBK execution character set).
double monotonic_ms();

}  // namespace mervik
