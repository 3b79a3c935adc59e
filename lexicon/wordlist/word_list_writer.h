#pragma once
// Every word list the programs write is written through here: one entry's line, and the
// comment lines that head a list written from a library. Reading what is written gives the
// same texts back (the escapes of base/escapes.h).
#include <cstddef>
#include <string>
#include <string_view>

namespace lexicon {

// "original=translation" with the escapes a word list needs, without a line end.
std::string word_list_line(std::string_view original, std::string_view translation);

// Appends the entry's line and `line_end`.
void append_word_list_line(std::string& out, std::string_view original, std::string_view translation,
                           std::string_view line_end = "\r\n");

// The comment lines before the entries of a library written out as a word list: its
// description and how many entries it has. A description that holds a line break is
// written with escapes, so that it stays one comment line.
std::string library_list_header(std::string_view description, std::size_t entries);

}  // namespace lexicon
