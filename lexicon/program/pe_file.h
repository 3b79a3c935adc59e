#pragma once
// A program's layout as its headers give it, its whole resource tree, and the copy of
// the file with a new resource tree: every byte outside the resource data stays as it
// was, an overlay after the last section keeps its content (moved when the resources
// grow), and the headers' data directory, image size and checksum follow the change.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/program/resource_tree.h"

namespace lexicon::pe {

struct SectionHeader {
    std::size_t header_at = 0;  // where its 40 bytes are in the file
    std::uint32_t address = 0, virtual_size = 0, raw_offset = 0, raw_size = 0;
};

struct PeLayout {
    bool plus = false;  // PE32+
    std::size_t coff_at = 0, optional_at = 0, sections_at = 0;
    std::uint32_t section_alignment = 0, file_alignment = 0, size_of_headers = 0;
    std::uint32_t directory_count = 0;
    std::size_t directories_at = 0;
    std::vector<SectionHeader> sections;
    std::uint64_t data_end = 0;  // the end of the last section's data in the file
    std::uint32_t resource_rva = 0, resource_size = 0;
    std::uint32_t certificate_offset = 0, certificate_size = 0;  // a file offset, not an address
};

// The layout, or nothing with `error` (GBK) when the file is no PE file, is cut short,
// or has a form the writer cannot rewrite.
std::optional<PeLayout> read_layout(std::string_view file, std::string& error);

// The whole resource tree (an empty list when the file has none).
std::optional<std::vector<TreeEntry>> read_tree(std::string_view file, const PeLayout& layout, std::string& error);

struct Rebuilt {
    std::string bytes;
    bool signature_removed = false;
    bool section_appended = false;  // the resources grew out of their section
};

// The file with `entries` (normalised) as its resources; nothing with `error` when the
// file has no room for one more section header and the resources need one.
std::optional<Rebuilt> rebuild(std::string_view file, const PeLayout& layout, const std::vector<TreeEntry>& entries,
                               std::string& error);

// The headers' checksum of a file whose checksum field is at `field`.
std::uint32_t pe_checksum(std::string_view file, std::size_t field);

}  // namespace lexicon::pe
