#pragma once
// The checks that look at one entry on its own: placeholders (placeholders.h), access
// keys, blanks and punctuation at the ends, empty and untranslated entries.
#include <cstdint>
#include <string_view>

#include "lexicon/base/diagnostics.h"
#include "lexicon/checks/placeholders.h"
#include "lexicon/checks/typography_checks.h"

namespace lexicon {

// `checks_off` names the warnings turned off for this entry; `place`, when given, lets
// the messages about one character name its column.
void check_entry(std::string_view original, std::string_view translation, std::uint32_t line, Diagnostics& diagnostics,
                 PlaceholderCheck placeholders = PlaceholderCheck::On, const CheckOptOut& checks_off = {},
                 const TranslationPlace* place = nullptr);

}  // namespace lexicon
