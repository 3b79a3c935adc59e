#pragma once
// The checks that look at one entry on its own: placeholders, access keys, blanks and
// punctuation at the ends, empty and untranslated entries.
#include <cstdint>
#include <string_view>

#include "lexicon/diagnostics.h"

namespace lexicon {

void check_entry(std::string_view original, std::string_view translation, std::uint32_t line,
                 Diagnostics& diagnostics);

}  // namespace lexicon
