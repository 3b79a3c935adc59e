#pragma once
// A library and a word list in and out of the entry table, on bytes: opening, saving
// through the compiler's writer, exporting as a word list, importing one.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "korvex/entry_table.h"

namespace korvex {

// The table of the library in `bytes`, or nothing with `why` saying what is wrong.
std::unique_ptr<EntryTable> OpenLibrary(std::string bytes, std::string& why);

// The library file for the table, byte for byte what Mervik writes for the same entries
// and description. Empty when the entries do not fit the format (over 4 GB).
std::string LibraryBytes(const EntryTable& table);

// The entries as a GBK word list with CR LF line ends: compiled with the description,
// it gives the same library again.
std::string ExportWordList(const EntryTable& table);

struct ImportResult {
    bool merged = false;  // false: the list had errors and nothing changed
    MergeCounts counts;
    // The compiler's, as Mervik.ERR lists them, errors first; a very long list is cut,
    // so `errors` and `warnings` may count more than are listed.
    std::vector<std::string> messages;
    std::size_t listed_errors = 0;  // the first ones of `messages`
    std::size_t errors = 0;
    std::size_t warnings = 0;
};

// Compiles a word list with the compiler's checks and merges it into the table as one
// undoable step; a list with errors changes nothing.
ImportResult ImportWordList(EntryTable& table, std::string source, std::string_view source_name);

// Why a description typed in the properties may not be taken, or nothing: the rules of
// the generation's properties dialog (at most 100 GBK bytes, no double quote) and GBK.
std::optional<std::string> DescriptionRefusal(std::string_view description);

}  // namespace korvex
