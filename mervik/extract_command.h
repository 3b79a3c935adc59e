#pragma once
// Mervik --extract: the texts of Windows programs into a word list.
#include <optional>
#include <string>
#include <vector>

#include "lexicon/base/diagnostics.h"
#include "mervik/command_line.h"
#include "mervik/platform.h"

namespace mervik {

// Reads every program and writes the list; nothing is written when a program cannot be
// read. `result` is the last line of the messages, `exit_code` as for a compile.
void extract_programs(const Request& request, Platform& platform, lexicon::Diagnostics& diagnostics,
                      std::string& result, int& exit_code);

}  // namespace mervik
