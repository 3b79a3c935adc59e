#pragma once
// The checks of Chinese typography and of the Windows conventions inside a translation:
// half-width marks among Chinese characters, full-width Latin letters, paired marks
// that do not close, and access keys not written as "(&X)".
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "lexicon/base/diagnostics.h"
#include "lexicon/checks/check_opt_out.h"

namespace lexicon {

// Where a translation stands in its source line, so that a message can name the
// column of one of its characters: in bytes of the line, as the editor's status bar
// counts columns.
struct TranslationPlace {
    std::uint32_t line = 0;
    bool known = false;              // false: the messages name the line only
    std::string_view before;         // the line before the translation, escapes resolved
    std::uint32_t before_extra = 0;  // characters the line has beyond `before` (escapes, '=', blanks)
    // Escapes inside the translation: its byte offset, and how many characters more
    // the line spells it with.
    const std::vector<std::pair<std::uint32_t, std::uint32_t>>* escapes = nullptr;

    // The 1-based column of the line where the translation's byte `at` stands; 0 when
    // unknown.
    std::uint32_t column(std::size_t at) const;
};

// Runs every typography check on one entry of GBK text. Each message names the
// character of the translation it is about (1-based, counted in characters).
void check_typography(std::string_view original, std::string_view translation, const TranslationPlace& place,
                      Diagnostics& diagnostics, const CheckOptOut& opt_out = {});
inline void check_typography(std::string_view original, std::string_view translation, std::uint32_t line,
                             Diagnostics& diagnostics, const CheckOptOut& opt_out = {}) {
    check_typography(original, translation, TranslationPlace{line}, diagnostics, opt_out);
}

}  // namespace lexicon
