#pragma once
// Mervik --apply: a copy of a Windows program with a library's translations in its resources.
#include <string>
#include <vector>

#include "lexicon/base/diagnostics.h"
#include "mervik/command_line.h"
#include "mervik/platform.h"

namespace mervik {

// Reads the libraries and the program and writes the output under a temporary name that
// is renamed into place: a failure leaves no output. `result` is the outcome line.
void apply_libraries(const Request& request, Platform& platform, lexicon::Diagnostics& diagnostics, std::string& result,
                     int& exit_code);

}  // namespace mervik
