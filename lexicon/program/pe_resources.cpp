#include "lexicon/program/pe_resources.h"

#include <algorithm>
#include <set>

#include "lexicon/base/diagnostics.h"
#include "lexicon/base/unicode.h"

namespace lexicon::pe {

namespace {

// Little-endian reads that never leave the span: out of range reads fail.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool u8(std::size_t at, std::uint8_t& v) const {
        if (at >= bytes_.size()) return false;
        v = static_cast<std::uint8_t>(bytes_[at]);
        return true;
    }
    bool u16(std::size_t at, std::uint16_t& v) const {
        if (at > bytes_.size() || bytes_.size() - at < 2) return false;
        v = static_cast<std::uint16_t>(byte(at) | byte(at + 1) << 8);
        return true;
    }
    bool u32(std::size_t at, std::uint32_t& v) const {
        if (at > bytes_.size() || bytes_.size() - at < 4) return false;
        v = byte(at) | byte(at + 1) << 8 | byte(at + 2) << 16 | static_cast<std::uint32_t>(byte(at + 3)) << 24;
        return true;
    }
    bool i16(std::size_t at, std::int16_t& v) const {
        std::uint16_t u = 0;
        if (!u16(at, u)) return false;
        v = static_cast<std::int16_t>(u);
        return true;
    }
    // A NUL-terminated UTF-16 string at `at`; `at` moves past its terminator.
    bool sz(std::size_t& at, std::u16string& text) const {
        text.clear();
        for (;;) {
            std::uint16_t c = 0;
            if (!u16(at, c)) return false;
            at += 2;
            if (c == 0) return true;
            text.push_back(static_cast<char16_t>(c));
        }
    }
    std::size_t size() const { return bytes_.size(); }
    std::string_view bytes() const { return bytes_; }

private:
    std::uint32_t byte(std::size_t at) const { return static_cast<unsigned char>(bytes_[at]); }
    std::string_view bytes_;
};

constexpr std::size_t align4(std::size_t at) { return (at + 3) & ~static_cast<std::size_t>(3); }

struct Section {
    std::uint32_t address = 0, virtual_size = 0, raw_offset = 0, raw_size = 0;
};

// The sections over the part of the file that was read: `part` holds the file's bytes
// from offset `base` on (the whole file, or only its resource section).
class Image {
public:
    Image(std::string_view part, std::uint64_t base, std::vector<Section> sections)
        : part_(part), base_(base), sections_(std::move(sections)) {}

    // The file's bytes at a relative virtual address, within that section's data.
    std::optional<std::string_view> at(std::uint32_t rva, std::uint32_t size) const {
        for (const Section& s : sections_) {
            const std::uint64_t extent = std::max(s.virtual_size, s.raw_size);
            if (rva < s.address || rva - s.address >= extent) continue;
            const std::uint64_t into = rva - s.address;
            if (into + size > s.raw_size) return std::nullopt;
            const std::uint64_t offset = s.raw_offset + into;
            if (offset < base_ || offset - base_ + size > part_.size()) return std::nullopt;
            return part_.substr(static_cast<std::size_t>(offset - base_), size);
        }
        return std::nullopt;
    }

    // The bytes from a relative virtual address to the end of its section's data.
    std::optional<std::string_view> rest(std::uint32_t rva) const {
        for (const Section& s : sections_) {
            if (rva < s.address || rva - s.address >= s.raw_size) continue;
            const std::uint64_t offset = std::uint64_t{s.raw_offset} + (rva - s.address);
            const std::uint64_t end = std::min<std::uint64_t>(std::uint64_t{s.raw_offset} + s.raw_size,
                                                              base_ + part_.size());
            if (offset < base_ || offset >= end) return std::nullopt;
            return part_.substr(static_cast<std::size_t>(offset - base_), static_cast<std::size_t>(end - offset));
        }
        return std::nullopt;
    }

private:
    std::string_view part_;
    std::uint64_t base_;
    std::vector<Section> sections_;
};

class DirectoryWalker {
public:
    DirectoryWalker(const Image& image, std::string_view directory, std::vector<Resource>& out)
        : image_(image), dir_(directory), out_(out) {}

    bool walk(std::string& error) { return level(0, 0, {}, {}, error); }

private:
    bool read_id(std::uint32_t name, ResourceId& id, std::string& error) const {
        if ((name & 0x80000000u) == 0) {
            id.number = static_cast<std::uint16_t>(name);
            return true;
        }
        std::size_t at = name & 0x7FFFFFFFu;
        std::uint16_t length = 0;
        if (!dir_.u16(at, length) || dir_.size() - at - 2 < std::size_t{length} * 2) {
            error = "资源目录中的名字超出了资源节";
            return false;
        }
        at += 2;
        for (std::uint16_t i = 0; i < length; ++i, at += 2) {
            std::uint16_t c = 0;
            dir_.u16(at, c);
            id.name.push_back(static_cast<char16_t>(c));
        }
        if (id.name.empty()) id.name = u"?";
        return true;
    }

    bool level(int depth, std::uint32_t offset, const ResourceId& type, const ResourceId& id, std::string& error) {
        if (!visited_.insert(offset).second) {
            error = "资源目录有环（同一个目录被引用了两次）";
            return false;
        }
        std::uint16_t named = 0, numbered = 0;
        if (!dir_.u16(offset + 12, named) || !dir_.u16(offset + 14, numbered)) {
            error = "资源目录被截断";
            return false;
        }
        const std::size_t count = std::size_t{named} + numbered;
        if ((dir_.size() - offset - 16) / 8 < count) {
            error = "资源目录的条目超出了资源节";
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = offset + 16 + i * 8;
            std::uint32_t name = 0, target = 0;
            dir_.u32(entry, name);
            dir_.u32(entry + 4, target);
            ResourceId here;
            if (!read_id(name, here, error)) return false;
            const bool subdirectory = (target & 0x80000000u) != 0;
            if (depth == 0) {
                // Only the types that hold texts are read further.
                if (!here.name.empty() ||
                    (here.number != type_menu && here.number != type_dialog && here.number != type_string)) {
                    continue;
                }
            }
            if (depth < 2) {
                if (!subdirectory) {
                    error = "资源目录的层次不对（缺少子目录）";
                    return false;
                }
                if (!level(depth + 1, target & 0x7FFFFFFFu, depth == 0 ? here : type, depth == 1 ? here : id, error)) {
                    return false;
                }
                continue;
            }
            if (subdirectory) {
                error = "资源目录的层次不对（语言下面又有子目录）";
                return false;
            }
            std::uint32_t rva = 0, size = 0;
            if (!dir_.u32(target, rva) || !dir_.u32(target + 4, size)) {
                error = "资源的数据项超出了资源节";
                return false;
            }
            const auto bytes = image_.at(rva, size);
            if (!bytes) {
                error = cat("资源的数据（RVA 0x", hex(rva), "，", size, " 字节）超出了文件");
                return false;
            }
            out_.push_back({type.number, id, here.number, *bytes});
        }
        return true;
    }

    static std::string hex(std::uint32_t v) {
        static const char digits[] = "0123456789ABCDEF";
        std::string s;
        do {
            s.insert(s.begin(), digits[v & 15]);
            v >>= 4;
        } while (v != 0);
        return s;
    }

    const Image& image_;
    Reader dir_;
    std::vector<Resource>& out_;
    std::set<std::uint32_t> visited_;
};

bool sz_or_ordinal(const Reader& r, std::size_t& at, std::u16string& text, bool& ordinal, std::uint16_t& number) {
    std::uint16_t first = 0;
    if (!r.u16(at, first)) return false;
    ordinal = false;
    text.clear();
    if (first == 0) {
        at += 2;
        return true;
    }
    if (first == 0xFFFF) {
        ordinal = true;
        if (!r.u16(at + 2, number)) return false;
        at += 4;
        return true;
    }
    return r.sz(at, text);
}

constexpr int max_menu_depth = 32;

bool menu_items(const Reader& r, std::size_t& at, bool extended, int depth, std::vector<std::uint16_t>& path,
                Menu& menu, std::string& error) {
    if (depth > max_menu_depth) {
        error = "菜单的层次太深";
        return false;
    }
    for (std::uint16_t position = 0;; ++position) {
        if (at >= r.size()) {
            error = "菜单模板被截断（缺少最后一项的结束标记）";
            return false;
        }
        MenuItem item;
        bool last = false;
        if (extended) {
            at = align4(at);
            std::uint32_t id = 0;
            std::uint16_t flags = 0;
            if (!r.u32(at + 8, id) || !r.u16(at + 12, flags)) {
                error = "扩展菜单模板被截断";
                return false;
            }
            at += 14;
            if (!r.sz(at, item.text)) {
                error = "扩展菜单模板被截断";
                return false;
            }
            item.id = id;
            item.popup = (flags & 0x01) != 0;
            last = (flags & 0x80) != 0;
            if (item.popup) at = align4(at) + 4;  // the submenu's help id
        } else {
            std::uint16_t flags = 0;
            if (!r.u16(at, flags)) {
                error = "菜单模板被截断";
                return false;
            }
            at += 2;
            item.popup = (flags & 0x10) != 0;
            last = (flags & 0x80) != 0;
            if (!item.popup) {
                std::uint16_t id = 0;
                if (!r.u16(at, id)) {
                    error = "菜单模板被截断";
                    return false;
                }
                item.id = id;
                at += 2;
            }
            if (!r.sz(at, item.text)) {
                error = "菜单模板被截断";
                return false;
            }
        }
        path.push_back(position);
        item.path = path;
        const bool popup = item.popup;
        menu.items.push_back(std::move(item));
        if (popup && !menu_items(r, at, extended, depth + 1, path, menu, error)) return false;
        path.pop_back();
        if (last) return true;
    }
}

const char16_t* predefined_class(std::uint16_t ordinal) {
    switch (ordinal) {
    case 0x80:
        return u"BUTTON";
    case 0x81:
        return u"EDIT";
    case 0x82:
        return u"STATIC";
    case 0x83:
        return u"LISTBOX";
    case 0x84:
        return u"SCROLLBAR";
    case 0x85:
        return u"COMBOBOX";
    default:
        return nullptr;
    }
}

std::u16string number_text(std::uint32_t v) {
    const std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
}

}  // namespace

namespace {

// What the headers say: the sections, and the resource directory's address (0: none).
struct Headers {
    std::vector<Section> sections;
    std::uint32_t resource_rva = 0;
};

bool read_headers(std::string_view file, Headers& headers, std::string& error) {
    const Reader r(file);
    std::uint16_t mz = 0;
    std::uint32_t pe_at = 0, signature = 0;
    if (!r.u16(0, mz) || mz != 0x5A4D || !r.u32(0x3C, pe_at) || !r.u32(pe_at, signature) || signature != 0x4550) {
        error = "不是 Windows 程序或 DLL（没有 PE 文件头）";
        return false;
    }
    std::uint16_t section_count = 0, optional_size = 0, magic = 0;
    const std::size_t coff = std::size_t{pe_at} + 4;
    if (!r.u16(coff + 2, section_count) || !r.u16(coff + 16, optional_size) || !r.u16(coff + 20, magic)) {
        error = "PE 文件头被截断";
        return false;
    }
    const std::size_t optional_at = coff + 20;
    std::size_t count_at = 0;
    if (magic == 0x10B) {
        count_at = optional_at + 92;
    } else if (magic == 0x20B) {
        count_at = optional_at + 108;
    } else {
        error = cat("PE 可选头的类型（", magic, "）既不是 PE32 也不是 PE32+");
        return false;
    }
    std::uint32_t directory_count = 0;
    if (!r.u32(count_at, directory_count) || count_at + 4 - optional_at > optional_size) {
        error = "PE 可选头被截断";
        return false;
    }
    std::vector<Section>& sections = headers.sections;
    const std::size_t sections_at = optional_at + optional_size;
    for (std::uint16_t i = 0; i < section_count; ++i) {
        const std::size_t s = sections_at + std::size_t{i} * 40;
        Section section;
        if (!r.u32(s + 8, section.virtual_size) || !r.u32(s + 12, section.address) ||
            !r.u32(s + 16, section.raw_size) || !r.u32(s + 20, section.raw_offset)) {
            error = "节表被截断";
            return false;
        }
        sections.push_back(section);
    }
    std::uint32_t rva = 0, size = 0;
    const std::size_t entry = count_at + 4 + 2 * 8;
    if (directory_count < 3 || entry + 8 - optional_at > optional_size || !r.u32(entry, rva) ||
        !r.u32(entry + 4, size) || rva == 0 || size == 0) {
        return true;  // no resource section
    }
    headers.resource_rva = rva;
    return true;
}

}  // namespace

std::optional<FileRange> resource_range(std::string_view head) {
    Headers headers;
    std::string error;
    if (!read_headers(head, headers, error) || headers.resource_rva == 0) return std::nullopt;
    for (const Section& s : headers.sections) {
        if (headers.resource_rva >= s.address && headers.resource_rva - s.address < s.raw_size) {
            return FileRange{s.raw_offset, s.raw_size};
        }
    }
    return std::nullopt;
}

std::optional<std::vector<Resource>> read_resources(std::string_view file, std::string& error) {
    return read_resources(file, 0, file, error);
}

std::optional<std::vector<Resource>> read_resources(std::string_view head, std::uint64_t part_offset,
                                                    std::string_view part, std::string& error) {
    Headers headers;
    if (!read_headers(head, headers, error)) return std::nullopt;
    std::vector<Resource> resources;
    if (headers.resource_rva == 0) return resources;
    const std::uint32_t rva = headers.resource_rva;
    const Image image(part, part_offset, std::move(headers.sections));
    // The directory's offsets are relative to its start and may reach anywhere in its
    // section, so the rest of the section is the directory's span.
    const auto directory = image.rest(rva);
    if (!directory || directory->size() < 16) {
        error = "资源节超出了文件（文件被截断？）";
        return std::nullopt;
    }
    DirectoryWalker walker(image, *directory, resources);
    if (!walker.walk(error)) return std::nullopt;
    return resources;
}

bool parse_menu(std::string_view bytes, Menu& menu, std::string& error) {
    const Reader r(bytes);
    std::uint16_t version = 0, offset = 0;
    if (!r.u16(0, version) || !r.u16(2, offset)) {
        error = "菜单模板被截断";
        return false;
    }
    menu.items.clear();
    menu.extended = version == 1;
    if (version > 1) {
        error = cat("菜单模板的版本（", version, "）无法识别");
        return false;
    }
    // The header's second word is the size of extra header bytes (a plain menu) or the
    // offset of the first item from the end of that word (an extended one).
    std::size_t at = 4 + std::size_t{offset};
    std::vector<std::uint16_t> path;
    if (at >= bytes.size()) return true;  // an empty menu
    return menu_items(r, at, menu.extended, 0, path, menu, error);
}

bool parse_dialog(std::string_view bytes, Dialog& dialog, std::string& error) {
    const Reader r(bytes);
    dialog = Dialog();
    std::uint16_t version = 0, signature = 0, count = 0;
    if (!r.u16(0, version) || !r.u16(2, signature)) {
        error = "对话框模板被截断";
        return false;
    }
    dialog.extended = version == 1 && signature == 0xFFFF;
    std::size_t at = 0;
    const auto truncated = [&] {
        error = "对话框模板被截断";
        return false;
    };
    if (dialog.extended) {
        if (!r.u32(8, dialog.ex_style) || !r.u32(12, dialog.style) || !r.u16(16, count) || !r.i16(18, dialog.x) ||
            !r.i16(20, dialog.y) || !r.i16(22, dialog.cx) || !r.i16(24, dialog.cy)) {
            return truncated();
        }
        at = 26;
    } else {
        if (!r.u32(0, dialog.style) || !r.u32(4, dialog.ex_style) || !r.u16(8, count) || !r.i16(10, dialog.x) ||
            !r.i16(12, dialog.y) || !r.i16(14, dialog.cx) || !r.i16(16, dialog.cy)) {
            return truncated();
        }
        at = 18;
    }
    std::u16string menu;
    bool ordinal = false;
    std::uint16_t number = 0;
    if (!sz_or_ordinal(r, at, menu, ordinal, number) || !sz_or_ordinal(r, at, dialog.class_name, ordinal, number) ||
        !r.sz(at, dialog.caption)) {
        return truncated();
    }
    if ((dialog.style & 0x40) != 0) {  // DS_SETFONT
        dialog.font.present = true;
        if (!r.u16(at, dialog.font.points)) return truncated();
        at += 2;
        if (dialog.extended) {
            std::uint8_t italic = 0;
            if (!r.u16(at, dialog.font.weight) || !r.u8(at + 2, italic)) return truncated();
            dialog.font.italic = italic != 0;
            at += 4;
        }
        if (!r.sz(at, dialog.font.face)) return truncated();
    }
    // Each control takes at least 18 bytes: a count beyond the template is not believed.
    if (std::size_t{count} * 18 > bytes.size()) {
        error = cat("对话框模板声称有 ", count, " 个控件，但模板只有 ", bytes.size(), " 字节");
        return false;
    }
    dialog.controls.reserve(count);
    for (std::uint16_t i = 0; i < count; ++i) {
        at = align4(at);
        Control c;
        if (dialog.extended) {
            if (!r.u32(at + 4, c.ex_style) || !r.u32(at + 8, c.style) || !r.i16(at + 12, c.x) || !r.i16(at + 14, c.y) ||
                !r.i16(at + 16, c.cx) || !r.i16(at + 18, c.cy) || !r.u32(at + 20, c.id)) {
                return truncated();
            }
            at += 24;
        } else {
            std::uint16_t id = 0;
            if (!r.u32(at, c.style) || !r.u32(at + 4, c.ex_style) || !r.i16(at + 8, c.x) || !r.i16(at + 10, c.y) ||
                !r.i16(at + 12, c.cx) || !r.i16(at + 14, c.cy) || !r.u16(at + 16, id)) {
                return truncated();
            }
            c.id = id;
            at += 18;
        }
        if (!sz_or_ordinal(r, at, c.class_name, ordinal, number)) return truncated();
        if (ordinal) {
            const char16_t* name = predefined_class(number);
            c.class_name = name != nullptr ? name : u"#" + number_text(number);
        }
        if (!sz_or_ordinal(r, at, c.text, c.text_is_ordinal, number)) return truncated();
        if (c.text_is_ordinal) c.text = number_text(number);
        std::uint16_t extra = 0;
        if (!r.u16(at, extra)) return truncated();
        at += 2 + std::size_t{extra};
        dialog.controls.push_back(std::move(c));
    }
    return true;
}

bool parse_string_block(std::string_view bytes, std::uint16_t block, std::vector<StringEntry>& strings,
                        std::string& error) {
    const Reader r(bytes);
    if (block == 0) {
        error = "字符串表的资源号不能是 0";
        return false;
    }
    std::size_t at = 0;
    for (std::uint32_t i = 0; i < 16; ++i) {
        std::uint16_t length = 0;
        if (!r.u16(at, length)) {
            // Some linkers leave off the trailing empty strings.
            if (at == bytes.size()) return true;
            error = "字符串表被截断";
            return false;
        }
        at += 2;
        if (bytes.size() - at < std::size_t{length} * 2) {
            error = "字符串表被截断";
            return false;
        }
        StringEntry s;
        s.id = (std::uint32_t{block} - 1) * 16 + i;
        for (std::uint16_t k = 0; k < length; ++k, at += 2) {
            std::uint16_t c = 0;
            r.u16(at, c);
            s.text.push_back(static_cast<char16_t>(c));
        }
        if (!s.text.empty()) strings.push_back(std::move(s));
    }
    return true;
}

std::string id_text(const ResourceId& id) {
    if (id.name.empty()) return std::to_string(id.number);
    std::string out;
    for (std::size_t i = 0; i < id.name.size(); ++i) {
        std::uint32_t cp = id.name[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < id.name.size()) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (id.name[i + 1] - 0xDC00);
            ++i;
        }
        if (cp >= 0x20 && cp < 0x7F) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x80 || !unicode::append_gbk(cp, out)) {
            out += '?';
        }
    }
    return out;
}

}  // namespace lexicon::pe
