#include "lexicon/program/resource_tree.h"

#include <algorithm>
#include <map>
#include <set>

#include "lexicon/base/diagnostics.h"
#include "lexicon/program/little_endian.h"

namespace lexicon::pe {

namespace {

bool same_key(const TreeEntry& a, const TreeEntry& b) {
    return a.type == b.type && a.name == b.name && a.language == b.language;
}

bool entry_less(const TreeEntry& a, const TreeEntry& b) {
    if (!(a.type == b.type)) return id_less(a.type, b.type);
    if (!(a.name == b.name)) return id_less(a.name, b.name);
    return a.language < b.language;
}

constexpr std::uint32_t subdirectory_bit = 0x80000000u;

}  // namespace

bool id_less(const ResourceId& a, const ResourceId& b) {
    const bool a_named = !a.name.empty(), b_named = !b.name.empty();
    if (a_named != b_named) return a_named;
    if (a_named) return a.name < b.name;
    return a.number < b.number;
}

void normalise_tree(std::vector<TreeEntry>& entries) {
    // Stable, so that of two equal keys the later one is the one kept.
    std::stable_sort(entries.begin(), entries.end(), entry_less);
    std::vector<TreeEntry> kept;
    kept.reserve(entries.size());
    for (TreeEntry& e : entries) {
        if (!kept.empty() && same_key(kept.back(), e)) {
            kept.back() = std::move(e);
        } else {
            kept.push_back(std::move(e));
        }
    }
    entries = std::move(kept);
}

std::string write_resource_tree(const std::vector<TreeEntry>& entries, std::uint32_t rva) {
    // Three levels: the types, each type's names, each name's languages.
    struct NameGroup {
        const ResourceId* name;
        std::vector<std::size_t> languages;  // indexes into entries
    };
    struct TypeGroup {
        const ResourceId* type;
        std::vector<NameGroup> names;
    };
    std::vector<TypeGroup> types;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TreeEntry& e = entries[i];
        if (types.empty() || !(*types.back().type == e.type)) types.push_back({&e.type, {}});
        auto& names = types.back().names;
        if (names.empty() || !(*names.back().name == e.name)) names.push_back({&e.name, {}});
        names.back().languages.push_back(i);
    }
    const auto directory_size = [](std::size_t count) { return 16 + 8 * count; };
    // Where everything goes: the directories breadth first, then the data entries.
    std::size_t size = directory_size(types.size());
    for (const TypeGroup& t : types) size += directory_size(t.names.size());
    for (const TypeGroup& t : types) {
        for (const NameGroup& n : t.names) size += directory_size(n.languages.size());
    }
    const std::size_t data_entries_at = size;
    size += 16 * entries.size();
    // The names, each once: a count of UTF-16 units and the units.
    std::map<std::u16string, std::size_t> name_at;
    const auto place_name = [&](const ResourceId& id) {
        if (id.name.empty() || name_at.count(id.name) != 0) return;
        name_at[id.name] = 0;
    };
    for (const TypeGroup& t : types) {
        place_name(*t.type);
        for (const NameGroup& n : t.names) place_name(*n.name);
    }
    for (auto& [name, at] : name_at) {
        at = size;
        size += 2 + 2 * name.size();
    }
    std::string out(size, '\0');
    for (const auto& [name, at] : name_at) {
        put16(out, at, static_cast<std::uint32_t>(name.size()));
        for (std::size_t k = 0; k < name.size(); ++k) put16(out, at + 2 + 2 * k, name[k]);
    }
    const auto id_word = [&](const ResourceId& id) -> std::uint32_t {
        if (id.name.empty()) return id.number;
        return subdirectory_bit | static_cast<std::uint32_t>(name_at[id.name]);
    };
    const auto write_directory = [&](std::size_t at, std::size_t named, std::size_t numbered) {
        put16(out, at + 12, static_cast<std::uint32_t>(named));
        put16(out, at + 14, static_cast<std::uint32_t>(numbered));
    };
    const auto named_count = [](const auto& list, auto id_of) {
        std::size_t n = 0;
        for (const auto& item : list) n += !id_of(item).name.empty();
        return n;
    };

    std::size_t next_directory = directory_size(types.size());
    write_directory(0, named_count(types, [](const TypeGroup& t) -> const ResourceId& { return *t.type; }),
                    types.size() - named_count(types, [](const TypeGroup& t) -> const ResourceId& { return *t.type; }));
    std::vector<std::size_t> type_dirs;
    for (std::size_t ti = 0; ti < types.size(); ++ti) {
        const TypeGroup& t = types[ti];
        type_dirs.push_back(next_directory);
        put32(out, 16 + 8 * ti, id_word(*t.type));
        put32(out, 20 + 8 * ti, subdirectory_bit | static_cast<std::uint32_t>(next_directory));
        const std::size_t named = named_count(t.names, [](const NameGroup& n) -> const ResourceId& { return *n.name; });
        write_directory(next_directory, named, t.names.size() - named);
        next_directory += directory_size(t.names.size());
    }
    std::size_t next_data_entry = data_entries_at;
    for (std::size_t ti = 0; ti < types.size(); ++ti) {
        const TypeGroup& t = types[ti];
        for (std::size_t ni = 0; ni < t.names.size(); ++ni) {
            const NameGroup& n = t.names[ni];
            put32(out, type_dirs[ti] + 16 + 8 * ni, id_word(*n.name));
            put32(out, type_dirs[ti] + 20 + 8 * ni, subdirectory_bit | static_cast<std::uint32_t>(next_directory));
            write_directory(next_directory, 0, n.languages.size());
            for (std::size_t li = 0; li < n.languages.size(); ++li) {
                put32(out, next_directory + 16 + 8 * li, entries[n.languages[li]].language);
                put32(out, next_directory + 20 + 8 * li, static_cast<std::uint32_t>(next_data_entry));
                next_data_entry += 16;
            }
            next_directory += directory_size(n.languages.size());
        }
    }
    // The data, in the order of the data entries (which is the order of the list).
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out.resize((out.size() + 7) & ~std::size_t{7}, '\0');
        const std::size_t entry = data_entries_at + 16 * i;
        put32(out, entry, rva + static_cast<std::uint32_t>(out.size()));
        put32(out, entry + 4, static_cast<std::uint32_t>(entries[i].bytes.size()));
        put32(out, entry + 8, entries[i].code_page);
        out += entries[i].bytes;
    }
    out.resize((out.size() + 7) & ~std::size_t{7}, '\0');
    return out;
}

namespace {

class TreeReader {
public:
    TreeReader(std::string_view directory, const DataAt& data_at, std::vector<TreeEntry>& out)
        : dir_(directory), data_at_(data_at), out_(out) {}

    bool level(int depth, std::uint32_t offset, const ResourceId& type, const ResourceId& name, std::string& error) {
        if (!visited_.insert(offset).second) {
            error = "资源目录有环（同一个目录被引用了两次）";
            return false;
        }
        if (offset > dir_.size() || dir_.size() - offset < 16) {
            error = "资源目录被截断";
            return false;
        }
        const std::size_t count = std::size_t{get16(dir_, offset + 12)} + get16(dir_, offset + 14);
        if ((dir_.size() - offset - 16) / 8 < count) {
            error = "资源目录的条目超出了资源节";
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = offset + 16 + i * 8;
            const std::uint32_t id_word = get32(dir_, entry), target = get32(dir_, entry + 4);
            ResourceId here;
            if ((id_word & subdirectory_bit) == 0) {
                here.number = static_cast<std::uint16_t>(id_word);
            } else {
                const std::size_t at = id_word & ~subdirectory_bit;
                if (at > dir_.size() || dir_.size() - at < 2 ||
                    (dir_.size() - at - 2) / 2 < std::size_t{get16(dir_, at)}) {
                    error = "资源目录中的名字超出了资源节";
                    return false;
                }
                const std::size_t length = get16(dir_, at);
                for (std::size_t k = 0; k < length; ++k)
                    here.name.push_back(static_cast<char16_t>(get16(dir_, at + 2 + 2 * k)));
                if (here.name.empty() || depth == 2) {
                    error = "资源目录中有空的名字或有名字的语言，无法改写";
                    return false;
                }
            }
            const bool subdirectory = (target & subdirectory_bit) != 0;
            if (depth < 2) {
                if (!subdirectory) {
                    error = "资源目录的层次不对（缺少子目录）";
                    return false;
                }
                if (!level(depth + 1, target & ~subdirectory_bit, depth == 0 ? here : type, depth == 1 ? here : name,
                           error)) {
                    return false;
                }
                continue;
            }
            if (subdirectory) {
                error = "资源目录的层次不对（语言下面又有子目录）";
                return false;
            }
            if (target > dir_.size() || dir_.size() - target < 16) {
                error = "资源的数据项超出了资源节";
                return false;
            }
            const std::uint32_t rva = get32(dir_, target), size = get32(dir_, target + 4);
            const auto bytes = data_at_(rva, size);
            if (!bytes) {
                error = cat("资源的数据（RVA ", rva, "，", size, " 字节）超出了文件");
                return false;
            }
            out_.push_back({type, name, here.number, get32(dir_, target + 8), std::string(*bytes)});
        }
        return true;
    }

private:
    std::string_view dir_;
    const DataAt& data_at_;
    std::vector<TreeEntry>& out_;
    std::set<std::uint32_t> visited_;
};

}  // namespace

std::optional<std::vector<TreeEntry>> read_resource_tree(std::string_view directory, const DataAt& data_at,
                                                         std::string& error) {
    std::vector<TreeEntry> entries;
    TreeReader reader(directory, data_at, entries);
    if (!reader.level(0, 0, {}, {}, error)) return std::nullopt;
    return entries;
}

}  // namespace lexicon::pe
