#pragma once
// Format placeholders (printf conversions and Windows message inserts): whether a
// translation takes the same arguments as its original, and the message when it does not.
#include <cstdint>
#include <string_view>

#include "lexicon/base/diagnostics.h"

namespace lexicon {

// The comment line that, directly before an entry, turns the placeholder check of that
// entry into a warning: for texts whose '%' is no placeholder ("%CPU 占用").
constexpr std::string_view placeholder_opt_out = ";@no-placeholder-check";
// How E108's text ends in a word list: the way to say that the '%' is no placeholder.
// A library editor, which has no comment lines, asks instead.
constexpr std::string_view placeholder_opt_out_advice =
    "（这些 % 不是占位符时，在这一行的前一行写上“;@no-placeholder-check”）";

enum class PlaceholderCheck { On, Off };

// Adds E108 (or, with the check turned off for the entry, the warning that says so) when
// the translation does not take the same arguments as the original.
void check_placeholders(std::string_view original, std::string_view translation, std::uint32_t line,
                        PlaceholderCheck check, Diagnostics& diagnostics);

// True when the translation takes the same arguments as the original (the rule of E108).
bool placeholders_match(std::string_view original, std::string_view translation);

// Which kinds of placeholders a text holds (%% counts as neither).
struct PlaceholderStyle {
    bool printf = false;   // %s, %5.2f, %2$d
    bool windows = false;  // %1, %2!d!
};
PlaceholderStyle placeholder_style(std::string_view text);

// True when every '%' of the text starts a printf placeholder, the placeholders either
// all name their arguments or none does, and the named ones leave no argument out: the
// rules of a C format string in gettext's tools.
bool strict_printf(std::string_view text);

// The text without a Windows insert that closes it: the '!' of "%2!d!" is no
// exclamation mark.
std::string_view without_closing_insert(std::string_view text);

}  // namespace lexicon
