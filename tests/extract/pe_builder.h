#pragma once
// Builds small PE files and resource templates byte by byte, so that each test shows the
// structure it is about: the reader's faults hide in the bytes real linkers never write.
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace extract_test {

inline void put16(std::string& s, std::size_t at, std::uint32_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}
inline void put32(std::string& s, std::size_t at, std::uint32_t v) {
    put16(s, at, v & 0xFFFF);
    put16(s, at + 2, v >> 16);
}
inline void add16(std::string& s, std::uint32_t v) {
    s.resize(s.size() + 2);
    put16(s, s.size() - 2, v);
}
inline void add32(std::string& s, std::uint32_t v) {
    s.resize(s.size() + 4);
    put32(s, s.size() - 4, v);
}
inline void add_sz(std::string& s, const std::u16string& text) {
    for (const char16_t c : text) add16(s, c);
    add16(s, 0);
}
inline void align4(std::string& s) { s.resize((s.size() + 3) & ~std::size_t{3}); }

struct Res {
    std::uint16_t type, id, language;
    std::string bytes;
};

// A PE32 (or PE32+) file with one section, .rsrc at RVA 0x1000 and file offset 0x200.
inline std::string build_pe(const std::vector<Res>& resources, bool plus = false) {
    std::map<std::uint16_t, std::map<std::uint16_t, std::map<std::uint16_t, const std::string*>>> tree;
    for (const Res& r : resources) tree[r.type][r.id][r.language] = &r.bytes;
    std::string rsrc;
    const auto directory = [&rsrc](std::size_t entries) {
        const std::size_t at = rsrc.size();
        rsrc.resize(at + 16 + 8 * entries);
        put16(rsrc, at + 14, static_cast<std::uint32_t>(entries));
        return at;
    };
    const std::size_t root = directory(tree.size());
    std::size_t t = 0;
    for (const auto& [type, ids] : tree) {
        const std::size_t type_dir = directory(ids.size());
        put32(rsrc, root + 16 + 8 * t, type);
        put32(rsrc, root + 20 + 8 * t++, 0x80000000u | static_cast<std::uint32_t>(type_dir));
        std::size_t n = 0;
        for (const auto& [id, languages] : ids) {
            const std::size_t id_dir = directory(languages.size());
            put32(rsrc, type_dir + 16 + 8 * n, id);
            put32(rsrc, type_dir + 20 + 8 * n++, 0x80000000u | static_cast<std::uint32_t>(id_dir));
            std::size_t l = 0;
            for (const auto& [language, bytes] : languages) {
                const std::size_t entry = rsrc.size();
                rsrc.resize(entry + 16);
                put32(rsrc, id_dir + 16 + 8 * l, language);
                put32(rsrc, id_dir + 20 + 8 * l++, static_cast<std::uint32_t>(entry));
                align4(rsrc);
                put32(rsrc, entry, 0x1000 + static_cast<std::uint32_t>(rsrc.size()));
                put32(rsrc, entry + 4, static_cast<std::uint32_t>(bytes->size()));
                rsrc += *bytes;
            }
        }
    }
    align4(rsrc);
    const std::uint32_t optional_size = plus ? 240 : 224;
    std::string pe(0x200, '\0');
    pe[0] = 'M';
    pe[1] = 'Z';
    put32(pe, 0x3C, 0x40);
    pe.replace(0x40, 4, std::string("PE\0\0", 4));
    put16(pe, 0x44, plus ? 0x8664 : 0x14C);
    put16(pe, 0x46, 1);
    put16(pe, 0x54, optional_size);
    const std::size_t optional = 0x58;
    put16(pe, optional, plus ? 0x20B : 0x10B);
    put32(pe, optional + 32, 0x1000);  // section alignment
    put32(pe, optional + 36, 0x200);   // file alignment
    put32(pe, optional + 56, 0x1000 + ((static_cast<std::uint32_t>(rsrc.size()) + 0xFFF) & ~0xFFFu));  // image size
    put32(pe, optional + 60, 0x200);  // size of the headers
    const std::size_t count_at = optional + (plus ? 108 : 92);
    put32(pe, count_at, 16);
    put32(pe, count_at + 4 + 16, 0x1000);
    put32(pe, count_at + 4 + 20, static_cast<std::uint32_t>(rsrc.size()));
    const std::size_t section = optional + optional_size;
    pe.replace(section, 5, ".rsrc");
    put32(pe, section + 8, static_cast<std::uint32_t>(rsrc.size()));
    put32(pe, section + 12, 0x1000);
    put32(pe, section + 16, static_cast<std::uint32_t>(rsrc.size()));
    put32(pe, section + 20, 0x200);
    return pe + rsrc;
}

// A plain menu: items as (depth, text, id, popup); each level's last item is marked.
struct MenuLine {
    int depth;
    std::u16string text;
    std::uint16_t id;
    bool popup;
};
inline std::string build_menu(const std::vector<MenuLine>& lines) {
    std::string s;
    add16(s, 0);
    add16(s, 0);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const MenuLine& m = lines[i];
        bool last = true;  // no later item at this depth before the level ends
        for (std::size_t k = i + 1; k < lines.size() && lines[k].depth >= m.depth; ++k) {
            if (lines[k].depth == m.depth) {
                last = false;
                break;
            }
        }
        add16(s, (m.popup ? 0x10 : 0) | (last ? 0x80 : 0));
        if (!m.popup) add16(s, m.id);
        add_sz(s, m.text);
    }
    return s;
}

struct ControlLine {
    std::uint32_t id;
    std::uint16_t class_ordinal;  // 0x80 BUTTON, 0x82 STATIC...
    std::u16string text;
    std::int16_t cx, cy;
    std::uint32_t style = 0x50000000;
};
// A DIALOGEX with a font (weight and italic) when `extended`, else a DIALOG with DS_SETFONT.
inline std::string build_dialog(const std::u16string& caption, const std::vector<ControlLine>& controls,
                                bool extended = false, const std::u16string& face = u"MS Shell Dlg",
                                std::uint16_t points = 8, std::uint16_t weight = 400, bool italic = false) {
    std::string s;
    const std::uint32_t style = 0x80C800C0;  // DS_SETFONT among others
    if (extended) {
        add16(s, 1);
        add16(s, 0xFFFF);
        add32(s, 0);
        add32(s, 0);
        add32(s, style);
    } else {
        add32(s, style);
        add32(s, 0);
    }
    add16(s, static_cast<std::uint32_t>(controls.size()));
    for (const int v : {10, 10, 200, 100}) add16(s, static_cast<std::uint32_t>(v));
    add16(s, 0);  // no menu
    add16(s, 0);  // the standard class
    add_sz(s, caption);
    add16(s, points);
    if (extended) {
        add16(s, weight);
        s.push_back(italic ? 1 : 0);
        s.push_back(1);
    }
    add_sz(s, face);
    for (const ControlLine& c : controls) {
        align4(s);
        if (extended) {
            add32(s, 0);
            add32(s, 0);
            add32(s, c.style);
        } else {
            add32(s, c.style);
            add32(s, 0);
        }
        for (const int v : {5, 5}) add16(s, static_cast<std::uint32_t>(v));
        add16(s, static_cast<std::uint16_t>(c.cx));
        add16(s, static_cast<std::uint16_t>(c.cy));
        if (extended) {
            add32(s, c.id);
        } else {
            add16(s, c.id);
        }
        add16(s, 0xFFFF);
        add16(s, c.class_ordinal);
        add_sz(s, c.text);
        add16(s, 0);
    }
    return s;
}

// A string-table block: the strings by their index in the block (0..15).
inline std::string build_strings(const std::map<int, std::u16string>& strings) {
    std::string s;
    for (int i = 0; i < 16; ++i) {
        const auto it = strings.find(i);
        const std::u16string text = it == strings.end() ? u"" : it->second;
        add16(s, static_cast<std::uint32_t>(text.size()));
        for (const char16_t c : text) add16(s, c);
    }
    return s;
}

}  // namespace extract_test
