#pragma once
// Reads the resources of a Windows program or DLL (PE32 and PE32+) without the system's
// loader: menus, dialog templates and string tables. Every offset in the file is checked
// before it is followed, so a truncated or hostile file gives a message, never a crash.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexicon::pe {

constexpr std::uint16_t type_menu = 4;
constexpr std::uint16_t type_dialog = 5;
constexpr std::uint16_t type_string = 6;

// A resource's type or name: a number, or a string when `name` is not empty.
struct ResourceId {
    std::uint16_t number = 0;
    std::u16string name;
    bool operator==(const ResourceId&) const = default;
};

struct Resource {
    std::uint16_t type = 0;
    ResourceId id;
    std::uint16_t language = 0;
    std::string_view bytes;  // inside the file that was read
};

// The resources of the menu, dialog and string types, in the order of the file's
// resource directory. Nothing, with `error` set (GBK), when the file is not a PE file
// or its resource directory cannot be read. A file without resources gives an empty list.
std::optional<std::vector<Resource>> read_resources(std::string_view file, std::string& error);

// The same over a part of the file: `head` holds its first bytes (the headers), `part`
// the bytes from `part_offset` on. Resources outside the part count as outside the file.
std::optional<std::vector<Resource>> read_resources(std::string_view head, std::uint64_t part_offset,
                                                    std::string_view part, std::string& error);

// Where the resource section lies in the file, from its first bytes; nothing when the
// headers are not all in `head` or the file has no resources.
struct FileRange {
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
};
std::optional<FileRange> resource_range(std::string_view head);

struct MenuItem {
    std::u16string text;
    std::uint32_t id = 0;
    bool popup = false;
    std::vector<std::uint16_t> path;  // positions from the menu bar down to this item
};

struct Menu {
    bool extended = false;
    std::vector<MenuItem> items;  // depth first, in the order the menu shows them
};

struct DialogFont {
    bool present = false;
    std::u16string face;
    std::uint16_t points = 0;
    std::uint16_t weight = 0;
    bool italic = false;
};

struct Control {
    std::uint32_t id = 0;
    std::u16string class_name;  // the predefined classes by their names: BUTTON, EDIT, STATIC...
    std::u16string text;
    bool text_is_ordinal = false;  // an icon's or bitmap's resource number, not a text
    std::uint32_t style = 0;
    std::uint32_t ex_style = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

struct Dialog {
    bool extended = false;
    std::uint32_t style = 0;
    std::uint32_t ex_style = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::u16string caption;
    std::u16string class_name;
    DialogFont font;
    std::vector<Control> controls;
};

struct StringEntry {
    std::uint32_t id = 0;
    std::u16string text;
};

// Each parser returns false with `error` (GBK) when the template is cut short or malformed.
bool parse_menu(std::string_view bytes, Menu& menu, std::string& error);
bool parse_dialog(std::string_view bytes, Dialog& dialog, std::string& error);
// A string-table block holds the sixteen strings (block - 1) * 16 ...; empty ones are left out.
bool parse_string_block(std::string_view bytes, std::uint16_t block, std::vector<StringEntry>& strings,
                        std::string& error);

// "513" or the resource's name, as a resource script writes it.
std::string id_text(const ResourceId& id);

}  // namespace lexicon::pe
