#pragma once
// Reads a PO file (the translation teams' exchange format) into a word list.
#include <cstddef>
#include <string>
#include <string_view>

#include "lexicon/base/diagnostics.h"

namespace lexicon {

// The word list (GBK, CR LF) that holds the PO file's entries, converted from the
// charset that its header declares (UTF-8 without a header). Entries the word-list
// format cannot hold (a conflicting msgctxt, plural forms, obsolete entries, a character
// that GBK lacks, NUL) and fuzzy entries are left out with a warning each, and
// everything else is imported; an entry flagged no-c-format gets the placeholder
// opt-out comment. Messages name the PO file's lines. Bytes that are not valid in the
// declared charset are an error; when `diagnostics` counts an error afterwards, nothing
// of the result may be used.
struct PoImport {
    std::string word_list;
    std::size_t entries = 0;
    // The entries left out, by reason.
    std::size_t no_gbk = 0;
    std::size_t control = 0;  // NUL: every other control character comes in escaped
    std::size_t context = 0;
    std::size_t plural = 0;
    std::size_t fuzzy = 0;
    std::size_t obsolete = 0;
    // Entries with a context that came in without it (or were already there).
    std::size_t contexts_dropped = 0;
    std::size_t left_out() const { return no_gbk + control + context + plural + fuzzy + obsolete; }
};
PoImport word_list_from_po(std::string_view po, Diagnostics& diagnostics);

}  // namespace lexicon
