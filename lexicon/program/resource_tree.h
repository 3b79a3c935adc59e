#pragma once
// A program's whole resource tree (every type, name and language) as a flat list, and
// the bytes of a resource section that holds such a list. The writer is deterministic:
// the same list gives the same bytes on every system.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/program/pe_resources.h"

namespace lexicon::pe {

struct TreeEntry {
    ResourceId type;
    ResourceId name;
    std::uint16_t language = 0;
    std::uint32_t code_page = 0;  // the data entry's code page, kept as it was
    std::string bytes;
};

// The order the section's directories list their entries in: named entries first, by
// their UTF-16 units, then numbered ones by number. Loaders search the directories by
// halves, so the order is part of the format.
bool id_less(const ResourceId& a, const ResourceId& b);

// Sorts the list into the directories' order (type, name, language); a later entry with
// the same type, name and language as an earlier one replaces it.
void normalise_tree(std::vector<TreeEntry>& entries);

// The section's bytes for a list in normalised order, laid out for the relative virtual
// address `rva`: the directories, the data entries, the names, then each resource's data
// on an 8-byte boundary.
std::string write_resource_tree(const std::vector<TreeEntry>& entries, std::uint32_t rva);

// Reads a tree back from a section's bytes: `directory` holds the bytes from the root
// directory to the end of its section, `data_at` gives the file's bytes at a relative
// virtual address (nothing outside the file). A loop, a level out of place or an offset
// outside the span gives nothing with `error` (GBK).
using DataAt = std::function<std::optional<std::string_view>(std::uint32_t rva, std::uint32_t size)>;
std::optional<std::vector<TreeEntry>> read_resource_tree(std::string_view directory, const DataAt& data_at,
                                                         std::string& error);

}  // namespace lexicon::pe
