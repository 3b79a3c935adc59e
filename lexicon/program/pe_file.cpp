#include "lexicon/program/pe_file.h"

#include <algorithm>

#include "lexicon/base/diagnostics.h"
#include "lexicon/program/little_endian.h"

namespace lexicon::pe {

namespace {

bool fits(std::string_view s, std::size_t at, std::size_t n) { return at <= s.size() && s.size() - at >= n; }
bool power_of_two(std::uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }
std::uint64_t align_up(std::uint64_t v, std::uint32_t alignment) { return (v + alignment - 1) / alignment * alignment; }

constexpr std::size_t checksum_offset = 64;  // in the optional header, PE32 and PE32+ alike
constexpr std::size_t size_of_image_offset = 56;
constexpr std::uint32_t resource_directory = 2, certificate_directory = 4;

}  // namespace

std::optional<PeLayout> read_layout(std::string_view file, std::string& error) {
    PeLayout l;
    if (!fits(file, 0, 0x40) || get16(file, 0) != 0x5A4D) {
        error = "不是 Windows 程序或 DLL（没有 MZ 文件头）";
        return std::nullopt;
    }
    const std::uint32_t pe_at = get32(file, 0x3C);
    if (!fits(file, pe_at, 24) || get32(file, pe_at) != 0x4550) {
        error = "不是 Windows 程序或 DLL（没有 PE 文件头）";
        return std::nullopt;
    }
    l.coff_at = std::size_t{pe_at} + 4;
    const std::uint32_t section_count = get16(file, l.coff_at + 2);
    const std::uint32_t optional_size = get16(file, l.coff_at + 16);
    l.optional_at = l.coff_at + 20;
    if (!fits(file, l.optional_at, optional_size) || optional_size < 2) {
        error = "PE 可选头被截断";
        return std::nullopt;
    }
    const std::uint32_t magic = get16(file, l.optional_at);
    if (magic != 0x10B && magic != 0x20B) {
        error = cat("PE 可选头的类型（", magic, "）既不是 PE32 也不是 PE32+");
        return std::nullopt;
    }
    l.plus = magic == 0x20B;
    const std::size_t count_at = l.plus ? 108 : 92;
    if (optional_size < count_at + 4) {
        error = "PE 可选头太短";
        return std::nullopt;
    }
    l.section_alignment = get32(file, l.optional_at + 32);
    l.file_alignment = get32(file, l.optional_at + 36);
    l.size_of_headers = get32(file, l.optional_at + 60);
    l.directory_count = get32(file, l.optional_at + count_at);
    l.directories_at = l.optional_at + count_at + 4;
    if (!power_of_two(l.file_alignment) || !power_of_two(l.section_alignment) ||
        l.section_alignment < l.file_alignment) {
        error = cat("节的对齐值（文件中 ", l.file_alignment, "，内存中 ", l.section_alignment, "）不是能改写的形式");
        return std::nullopt;
    }
    if (l.directory_count < 5 || optional_size < count_at + 4 + 5 * 8) {
        error = "PE 可选头没有资源目录项，无法写入资源";
        return std::nullopt;
    }
    l.resource_rva = get32(file, l.directories_at + 8 * resource_directory);
    l.resource_size = get32(file, l.directories_at + 8 * resource_directory + 4);
    l.certificate_offset = get32(file, l.directories_at + 8 * certificate_directory);
    l.certificate_size = get32(file, l.directories_at + 8 * certificate_directory + 4);
    l.sections_at = l.optional_at + optional_size;
    if (!fits(file, l.sections_at, std::size_t{section_count} * 40)) {
        error = "节表被截断";
        return std::nullopt;
    }
    for (std::uint32_t i = 0; i < section_count; ++i) {
        const std::size_t at = l.sections_at + std::size_t{i} * 40;
        SectionHeader s{at, get32(file, at + 12), get32(file, at + 8), get32(file, at + 20), get32(file, at + 16)};
        if (s.raw_size != 0 && (s.raw_offset > file.size() || file.size() - s.raw_offset < s.raw_size)) {
            error = cat("第 ", i + 1, " 节的数据超出了文件（文件被截断？）");
            return std::nullopt;
        }
        if (s.raw_size != 0) l.data_end = std::max<std::uint64_t>(l.data_end, std::uint64_t{s.raw_offset} + s.raw_size);
        l.sections.push_back(s);
    }
    l.data_end = std::max<std::uint64_t>(l.data_end, std::min<std::uint64_t>(l.size_of_headers, file.size()));
    return l;
}

std::optional<std::vector<TreeEntry>> read_tree(std::string_view file, const PeLayout& layout, std::string& error) {
    if (layout.resource_rva == 0 || layout.resource_size == 0) return std::vector<TreeEntry>();
    const auto data_at = [&](std::uint32_t rva, std::uint32_t size) -> std::optional<std::string_view> {
        for (const SectionHeader& s : layout.sections) {
            if (rva < s.address || rva - s.address >= std::max(s.virtual_size, s.raw_size)) continue;
            const std::uint64_t into = rva - s.address;
            if (into + size > s.raw_size) return std::nullopt;
            return file.substr(static_cast<std::size_t>(s.raw_offset + into), size);
        }
        return std::nullopt;
    };
    std::optional<std::string_view> directory;
    for (const SectionHeader& s : layout.sections) {
        if (layout.resource_rva >= s.address && layout.resource_rva - s.address < s.raw_size) {
            const std::uint32_t into = layout.resource_rva - s.address;
            directory = file.substr(s.raw_offset + into, s.raw_size - into);
        }
    }
    if (!directory) {
        error = "资源目录不在任何一节的数据中（文件被截断？）";
        return std::nullopt;
    }
    return read_resource_tree(*directory, data_at, error);
}

std::uint32_t pe_checksum(std::string_view file, std::size_t field) {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < file.size(); i += 2) {
        if (i >= field && i < field + 4) continue;
        std::uint32_t word = static_cast<unsigned char>(file[i]);
        if (i + 1 < file.size()) word |= static_cast<std::uint32_t>(static_cast<unsigned char>(file[i + 1])) << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + file.size());
}

std::optional<Rebuilt> rebuild(std::string_view file, const PeLayout& layout, const std::vector<TreeEntry>& entries,
                               std::string& error) {
    Rebuilt result;
    // The part after the last section's data: an overlay that stays, less a signature.
    std::string overlay(file.substr(static_cast<std::size_t>(std::min<std::uint64_t>(layout.data_end, file.size()))));
    if (layout.certificate_offset != 0 && layout.certificate_size != 0) {
        result.signature_removed = true;
        const std::uint64_t begin = layout.certificate_offset, end = begin + layout.certificate_size;
        if (begin >= layout.data_end && end <= file.size()) {
            overlay.erase(static_cast<std::size_t>(begin - layout.data_end), layout.certificate_size);
        }
    }

    // The section that holds the resources, when they have one of their own: it starts
    // at the directory and no other directory of the headers points into it.
    const SectionHeader* own = nullptr;
    for (const SectionHeader& s : layout.sections) {
        if (layout.resource_rva == 0 || s.address != layout.resource_rva || s.raw_size == 0) continue;
        bool shared = false;
        for (std::uint32_t d = 0; d < std::min<std::uint32_t>(layout.directory_count, 16); ++d) {
            if (d == resource_directory || d == certificate_directory) continue;
            const std::uint32_t rva = get32(file, layout.directories_at + 8 * d);
            const std::uint32_t size = get32(file, layout.directories_at + 8 * d + 4);
            shared = shared ||
                     (size != 0 && rva >= s.address && rva - s.address < std::max(s.virtual_size, s.raw_size));
        }
        if (!shared) own = &s;
    }
    std::uint32_t highest_end = 0;  // in memory
    for (const SectionHeader& s : layout.sections) {
        highest_end = std::max<std::uint32_t>(highest_end, s.address + std::max(s.virtual_size, s.raw_size));
    }
    const bool own_is_last = own != nullptr && std::uint64_t{own->raw_offset} + own->raw_size == layout.data_end &&
                             own->address + std::max(own->virtual_size, own->raw_size) == highest_end;

    std::string out;
    std::uint32_t tree_rva = 0;
    std::string tree;
    std::size_t header_at = 0;  // the section header that describes the new tree
    std::uint32_t new_section_count = static_cast<std::uint32_t>(layout.sections.size());
    if (own != nullptr) {
        tree = write_resource_tree(entries, own->address);
    }
    if (own != nullptr && own_is_last) {
        // The last section grows or shrinks in place; the overlay follows it.
        tree_rva = own->address;
        header_at = own->header_at;
        out.assign(file.substr(0, own->raw_offset));
        out += tree;
        out.resize(static_cast<std::size_t>(align_up(out.size(), layout.file_alignment)), '\0');
        put32(out, header_at + 8, static_cast<std::uint32_t>(tree.size()));
        put32(out, header_at + 16, static_cast<std::uint32_t>(out.size() - own->raw_offset));
    } else if (own != nullptr && tree.size() <= own->raw_size &&
               tree.size() <= std::max(own->virtual_size, own->raw_size)) {
        // Rewritten within its section, the rest of which is cleared.
        tree_rva = own->address;
        out.assign(file.substr(0, static_cast<std::size_t>(layout.data_end)));
        std::string padded = tree;
        padded.resize(own->raw_size, '\0');
        out.replace(own->raw_offset, own->raw_size, padded);
    } else {
        // A new last section; the old resources stay behind, unused.
        header_at = layout.sections_at + layout.sections.size() * 40;
        std::uint64_t first_data = layout.size_of_headers;
        for (const SectionHeader& s : layout.sections) {
            if (s.raw_size != 0) first_data = std::min<std::uint64_t>(first_data, s.raw_offset);
        }
        const bool room = header_at + 40 <= first_data &&
                          file.substr(header_at, 40).find_first_not_of('\0') == std::string_view::npos;
        if (!room) {
            error = "文件头中没有空间再加一个节（资源变大了，需要一个新的节），无法改写";
            return std::nullopt;
        }
        tree_rva = static_cast<std::uint32_t>(align_up(highest_end, layout.section_alignment));
        tree = write_resource_tree(entries, tree_rva);
        out.assign(file.substr(0, static_cast<std::size_t>(layout.data_end)));
        out.resize(static_cast<std::size_t>(align_up(out.size(), layout.file_alignment)), '\0');
        const std::size_t raw_offset = out.size();
        out += tree;
        out.resize(static_cast<std::size_t>(align_up(out.size(), layout.file_alignment)), '\0');
        static const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
        out.replace(header_at, 8, name, 8);
        put32(out, header_at + 8, static_cast<std::uint32_t>(tree.size()));
        put32(out, header_at + 12, tree_rva);
        put32(out, header_at + 16, static_cast<std::uint32_t>(out.size() - raw_offset));
        put32(out, header_at + 20, static_cast<std::uint32_t>(raw_offset));
        put32(out, header_at + 36, 0x40000040u);  // initialised data, readable
        put16(out, layout.coff_at + 2, ++new_section_count);
        result.section_appended = true;
    }
    // The COFF symbol table, where a file still has one, lies in the overlay and moves with it.
    const std::uint64_t overlay_moved_to = out.size();
    const std::uint32_t symbols = get32(out, layout.coff_at + 8);
    if (symbols != 0 && symbols >= layout.data_end) {
        put32(out, layout.coff_at + 8, static_cast<std::uint32_t>(symbols - layout.data_end + overlay_moved_to));
    }
    out += overlay;

    put32(out, layout.directories_at + 8 * resource_directory, entries.empty() ? 0 : tree_rva);
    put32(out, layout.directories_at + 8 * resource_directory + 4,
          entries.empty() ? 0 : static_cast<std::uint32_t>(tree.size()));
    if (result.signature_removed) {
        put32(out, layout.directories_at + 8 * certificate_directory, 0);
        put32(out, layout.directories_at + 8 * certificate_directory + 4, 0);
    }
    std::uint64_t image_end = 0;
    for (std::uint32_t i = 0; i < new_section_count; ++i) {
        const std::size_t at = layout.sections_at + std::size_t{i} * 40;
        image_end = std::max<std::uint64_t>(
            image_end, std::uint64_t{get32(out, at + 12)} + std::max(get32(out, at + 8), get32(out, at + 16)));
    }
    put32(out, layout.optional_at + size_of_image_offset,
          static_cast<std::uint32_t>(align_up(image_end, layout.section_alignment)));
    put32(out, layout.optional_at + checksum_offset, pe_checksum(out, layout.optional_at + checksum_offset));
    result.bytes = std::move(out);
    return result;
}

}  // namespace lexicon::pe
