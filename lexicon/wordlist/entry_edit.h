#pragma once
// One entry typed into two fields, original and translation, each written with the
// word list's escapes, checked by the compiler's own code: the fields become one
// word-list line and that line is compiled, so an entry refused here is one that
// Mervik refuses, with the same code and text.
#include <optional>
#include <string>
#include <string_view>

#include "lexicon/base/diagnostics.h"

namespace lexicon {

// The word-list line for the two fields. In the original field an unescaped '=' and a
// leading ';' are text (a field has no separator and no comments), so they are escaped
// here; a line break typed into either field becomes its escape.
std::string entry_line(std::string_view original_field, std::string_view translation_field);

// A field's text as a multi-line edit control shows it: a line break (CR LF) after every
// \n escape but the last, so that a long text with many lines, a program's --help text
// say, reads line by line. The escapes stay as they are.
std::string field_lines(std::string_view escaped);

// The inverse, for what the user leaves in such a control: a line break right after a
// \n escape is the one field_lines put there and goes; any other line break (CR LF, or
// a lone CR or LF) is a new line the user typed and becomes a \n escape.
std::string join_field_lines(std::string_view field);

struct CheckedEntry {
    std::string original;
    std::string translation;
};

// The entry's texts with the escapes resolved, or nothing when the compiler found an
// error. `diagnostics` receives every message, warnings included, for line 1.
// With `placeholders_confirmed` the user has said that the '%' of the texts are no
// placeholders: the placeholder check is off, as the word list's opt-out line turns it
// off, and says nothing.
std::optional<CheckedEntry> check_entry_fields(std::string_view original_field, std::string_view translation_field,
                                               Diagnostics& diagnostics, bool placeholders_confirmed = false);

}  // namespace lexicon
