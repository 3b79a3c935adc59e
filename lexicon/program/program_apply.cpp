#include "lexicon/program/program_apply.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "lexicon/base/escapes.h"
#include "lexicon/base/gbk.h"
#include "lexicon/base/unicode.h"
#include "lexicon/checks/entry_checks.h"
#include "lexicon/program/dialog_fit.h"
#include "lexicon/program/little_endian.h"
#include "lexicon/program/pe_file.h"
#include "lexicon/program/pe_resources.h"
#include "lexicon/program/program_extract.h"

namespace lexicon {

namespace {

using pe::get16;
using pe::put16;

constexpr std::uint16_t type_version = 16;

void add16(std::string& s, std::uint32_t v) {
    s.resize(s.size() + 2);
    put16(s, s.size() - 2, v);
}
void add_sz(std::string& s, const std::u16string& text) {
    for (const char16_t c : text) add16(s, c);
    add16(s, 0);
}
void pad4(std::string& s) { s.resize((s.size() + 3) & ~std::size_t{3}, '\0'); }
constexpr std::size_t align4(std::size_t at) { return (at + 3) & ~std::size_t{3}; }

std::u16string from_gbk_text(std::string_view gbk) {
    std::u16string out;
    for (std::size_t i = 0; i < gbk.size();) {
        const std::size_t n = gbk::char_length(gbk, i);
        std::uint32_t cp = n == 1 ? static_cast<unsigned char>(gbk[i]) : unicode::from_gbk(gbk.data() + i, n);
        if (cp == 0) cp = '?';
        if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += n;
    }
    return out;
}

// Bounds-checked reading of a template: any read past its end throws, and the caller
// turns that into a message (the templates were read once already, so this is rare).
struct Truncated {};
class Walk {
public:
    explicit Walk(std::string_view bytes) : b_(bytes) {}
    std::uint32_t u16(std::size_t at) const {
        if (at > b_.size() || b_.size() - at < 2) throw Truncated{};
        return get16(b_, at);
    }
    // The raw bytes of a NUL-terminated UTF-16 string at `at`, terminator included.
    std::size_t sz_end(std::size_t at) const {
        while (u16(at) != 0) at += 2;
        return at + 2;
    }
    std::u16string sz(std::size_t at) const {
        std::u16string s;
        for (std::uint32_t c = u16(at); c != 0; c = u16(at)) {
            s.push_back(static_cast<char16_t>(c));
            at += 2;
        }
        return s;
    }
    std::size_t sz_or_ordinal_end(std::size_t at) const { return u16(at) == 0xFFFF ? at + 4 : sz_end(at); }
    std::string_view raw(std::size_t from, std::size_t to) const {
        if (to > b_.size() || from > to) throw Truncated{};
        return b_.substr(from, to - from);
    }
    std::size_t size() const { return b_.size(); }

private:
    std::string_view b_;
};

std::string hex4(std::uint16_t v) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s = "0000";
    for (int i = 3; i >= 0; --i, v >>= 4) s[i] = digits[v & 15];
    return s;
}

class Applier {
public:
    Applier(std::string_view base, const Translations& translations, const ApplyOptions& options, ApplyCounts& counts,
            Diagnostics& diagnostics)
        : base_(base), translations_(translations), options_(options), counts_(counts), diagnostics_(diagnostics) {}

    // The translation of one text, or nothing (the text stays); `where` names it in messages.
    std::optional<std::u16string> translate(const std::u16string& text, const std::string& where) {
        const auto original = extracted_original(text);
        if (!original) return std::nullopt;
        const auto found = translations_(*original);
        if (!found || found->translation.empty()) {
            ++counts_.untranslated;
            return std::nullopt;
        }
        if (!found->refused_by.empty()) {
            ++counts_.refused;
            diagnostics_.add(
                Code::TranslationNotApplied, 0,
                cat(where, "：译文 ", shown(found->translation), " 没有通过检查 ", found->refused_by, "（",
                    found->refused_by == "E108" ? "占位符与原文不同" : "快捷键的个数与原文不同", "），这里保留原文"));
            return std::nullopt;
        }
        ++counts_.translated;
        return from_gbk_text(found->translation);
    }

    // A plain menu or a menuex, its texts translated; nothing when none was.
    std::optional<std::string> menu(std::string_view bytes, const std::string& res) {
        const Walk w(bytes);
        const std::uint32_t version = w.u16(0), offset = w.u16(2);
        const bool extended = version == 1;
        std::string out(w.raw(0, 4 + offset));
        std::size_t at = 4 + offset;
        bool changed = false;
        std::vector<std::uint16_t> path;
        if (at < bytes.size()) menu_items(w, at, extended, 0, path, res, out, changed);
        // Whatever follows the last item is kept.
        if (at < bytes.size()) out += bytes.substr(at);
        if (!changed) return std::nullopt;
        return out;
    }

    std::optional<std::string> dialog(std::string_view bytes, const std::string& res) {
        pe::Dialog d;
        std::string error;
        if (!pe::parse_dialog(bytes, d, error)) throw Truncated{};
        const std::string where = cat(base_, " DIALOG ", res);
        bool changed = false;
        std::optional<std::u16string> caption = translate(d.caption, cat(where, " 标题"));
        std::vector<std::size_t> fitted;
        for (std::size_t i = 0; i < d.controls.size(); ++i) {
            pe::Control& c = d.controls[i];
            const std::uint32_t kind = c.style & 0x1F;
            if (c.text_is_ordinal || (c.class_name == u"STATIC" && (kind == 3 || kind == 0xE || kind == 0xF))) continue;
            if (auto t = translate(c.text, cat(where, " 控件 ", static_cast<std::int32_t>(c.id)))) {
                c.text = std::move(*t);
                fitted.push_back(i);
                changed = true;
            }
        }
        changed = changed || caption.has_value();
        if (!changed) return std::nullopt;
        const FitResult fit = fit_dialog(d, fitted, options_.fit);
        counts_.widened += fit.widened.size();
        counts_.not_fitting += fit.not_fitting.size();
        for (const std::size_t i : fit.not_fitting) {
            const pe::Control& c = d.controls[i];
            diagnostics_.add(
                Code::TextDoesNotFit, 0,
                cat(where, " 控件 ", static_cast<std::int32_t>(c.id), "：译文 ", shown(pe::id_text({0, c.text})),
                    " 在 ", c.cx, "x", c.cy, " 的控件中放不下（按内置的字宽表计算）"));
        }
        return write_dialog(bytes, d, caption);
    }

    std::optional<std::string> strings(std::string_view bytes, std::uint16_t block) {
        const Walk w(bytes);
        std::string out;
        bool changed = false;
        std::size_t at = 0;
        for (std::uint32_t i = 0; i < 16 && at < bytes.size(); ++i) {
            const std::uint32_t length = w.u16(at);
            std::u16string text;
            for (std::uint32_t k = 0; k < length; ++k) text.push_back(static_cast<char16_t>(w.u16(at + 2 + 2 * k)));
            at += 2 + 2 * std::size_t{length};
            const std::uint32_t id = (std::uint32_t{block} - 1) * 16 + i;
            if (auto t = translate(text, cat(base_, " STRINGTABLE ", id)); t && t->size() <= 0xFFFF) {
                text = std::move(*t);
                changed = true;
            }
            add16(out, static_cast<std::uint32_t>(text.size()));
            for (const char16_t c : text) add16(out, c);
        }
        if (at < bytes.size()) out += bytes.substr(at);
        if (!changed) return std::nullopt;
        return out;
    }

    // The version resource with its FileDescription and ProductName translated.
    std::optional<std::string> version(std::string_view bytes) {
        bool changed = false;
        std::string out = version_node(bytes, 0, changed);
        if (!changed) return std::nullopt;
        return out;
    }

private:
    void menu_items(const Walk& w, std::size_t& at, bool extended, int depth, std::vector<std::uint16_t>& path,
                    const std::string& res, std::string& out, bool& changed) {
        if (depth > 32) throw Truncated{};
        for (std::uint16_t position = 0;; ++position) {
            if (at >= w.size()) throw Truncated{};
            bool popup = false, last = false;
            std::uint32_t id = 0;
            std::size_t text_at = 0;
            if (extended) {
                at = align4(at);
                pad4(out);
                id = w.u16(at + 8) | w.u16(at + 10) << 16;
                const std::uint32_t flags = w.u16(at + 12);
                popup = (flags & 0x01) != 0;
                last = (flags & 0x80) != 0;
                out += w.raw(at, at + 14);
                text_at = at + 14;
            } else {
                const std::uint32_t flags = w.u16(at);
                popup = (flags & 0x10) != 0;
                last = (flags & 0x80) != 0;
                const std::size_t head = popup ? 2 : 4;
                if (!popup) id = w.u16(at + 2);
                out += w.raw(at, at + head);
                text_at = at + head;
            }
            const std::u16string text = w.sz(text_at);
            at = w.sz_end(text_at);
            path.push_back(position);
            const bool by_id = !popup && id != 0;
            const std::string where = by_id ? cat(base_, " MENU ", res, " 项 ", id)
                                            : cat(base_, " MENU ", res, " 位置 ", path_text(path));
            if (auto t = translate(text, where)) {
                add_sz(out, *t);
                changed = true;
            } else {
                add_sz(out, text);
            }
            if (extended && popup) {
                at = align4(at);
                pad4(out);
                out += w.raw(at, at + 4);  // the submenu's help id
                at += 4;
            }
            if (popup) menu_items(w, at, extended, depth + 1, path, res, out, changed);
            path.pop_back();
            if (last) return;
        }
    }

    // The template again with the new texts and geometry; the rest is copied as it was.
    static std::string write_dialog(std::string_view bytes, const pe::Dialog& d,
                                    const std::optional<std::u16string>& caption) {
        const Walk w(bytes);
        const bool ext = d.extended;
        std::size_t at = ext ? 26 : 18;
        std::string out(w.raw(0, at));
        put16(out, ext ? 22 : 14, static_cast<std::uint16_t>(d.cx));
        std::size_t end = w.sz_or_ordinal_end(at);  // the menu
        end = w.sz_or_ordinal_end(end);             // the class
        out += w.raw(at, end);
        at = end;
        add_sz(out, caption ? *caption : w.sz(at));
        at = w.sz_end(at);
        if ((d.style & 0x40) != 0) {
            end = w.sz_end(at + (ext ? 6 : 2));
            out += w.raw(at, end);
            at = end;
        }
        for (const pe::Control& c : d.controls) {
            at = align4(at);
            pad4(out);
            const std::size_t fixed = ext ? 24 : 18;
            const std::size_t start = out.size();
            out += w.raw(at, at + fixed);
            put16(out, start + (ext ? 12 : 8), static_cast<std::uint16_t>(c.x));
            put16(out, start + (ext ? 16 : 12), static_cast<std::uint16_t>(c.cx));
            at += fixed;
            end = w.sz_or_ordinal_end(at);  // the class
            out += w.raw(at, end);
            at = end;
            if (w.u16(at) == 0xFFFF) {
                out += w.raw(at, at + 4);
                at += 4;
            } else {
                add_sz(out, c.text);
                at = w.sz_end(at);
            }
            const std::size_t extra = w.u16(at);
            out += w.raw(at, at + 2 + extra);
            at += 2 + extra;
        }
        return out;
    }

    std::string version_node(std::string_view node, int depth, bool& changed) {
        const Walk w(node);
        const std::size_t length = std::min<std::size_t>(w.u16(0), node.size());
        const std::uint32_t value_length = w.u16(2), text = w.u16(4);
        const std::u16string key = w.sz(6);
        std::size_t value_at = align4(w.sz_end(6));
        if (depth == 3 && text == 1 && (key == u"FileDescription" || key == u"ProductName")) {
            std::u16string value = value_at < length ? w.sz(value_at) : u"";
            if (auto t = translate(value, cat(base_, " VERSIONINFO ", pe::id_text({0, key})))) {
                changed = true;
                std::string out(w.raw(0, value_at));
                add_sz(out, *t);
                put16(out, 0, static_cast<std::uint32_t>(out.size()));
                put16(out, 2, static_cast<std::uint32_t>(t->size() + 1));
                return out;
            }
            return std::string(node.substr(0, length));
        }
        // Children follow the value; they exist on the levels above the strings.
        const std::size_t value_bytes = text == 1 ? 2 * std::size_t{value_length} : value_length;
        std::size_t child = align4(value_at + value_bytes);
        if (depth >= 3 || child >= length) return std::string(node.substr(0, length));
        std::string out(w.raw(0, child));
        bool any = false;
        while (child + 6 <= length) {
            const std::size_t child_length = w.u16(child);
            if (child_length < 6 || child + child_length > length) break;
            pad4(out);
            out += version_node(node.substr(child, child_length), depth + 1, any);
            child = align4(child + child_length);
        }
        if (!any) return std::string(node.substr(0, length));
        changed = true;
        put16(out, 0, static_cast<std::uint32_t>(out.size()));
        return out;
    }

    std::string_view base_;
    const Translations& translations_;
    const ApplyOptions& options_;
    ApplyCounts& counts_;
    Diagnostics& diagnostics_;
};

}  // namespace

std::string refusing_check(std::string_view original, std::string_view translation) {
    if (!placeholders_match(original, translation)) return "E108";
    Diagnostics found;
    check_entry(original, translation, 0, found);
    for (const Diagnostic& d : found.listed()) {
        if (d.code == Code::AccessKeyMismatch) return "W204";
    }
    return {};
}

std::optional<std::string> apply_translations(std::string_view file_name, std::string_view bytes,
                                              const Translations& translations, const ApplyOptions& options,
                                              ApplyCounts& counts, Diagnostics& diagnostics, std::string& error) {
    std::string_view base = file_name;
    if (const std::size_t sep = gbk::find_last_separator(base); sep != std::string_view::npos) {
        base = base.substr(sep + 1);
    }
    const auto layout = pe::read_layout(bytes, error);
    if (!layout) return std::nullopt;
    auto tree = pe::read_tree(bytes, *layout, error);
    if (!tree) return std::nullopt;

    // The resources of the translated types by type and name, each with its languages.
    const auto translated_type = [](const pe::ResourceId& type) {
        return type.name.empty() && (type.number == pe::type_menu || type.number == pe::type_dialog ||
                                     type.number == pe::type_string || type.number == type_version);
    };
    bool any_default = false;
    std::optional<std::uint16_t> first_language;
    std::map<std::pair<std::uint16_t, std::size_t>, std::map<std::uint16_t, std::size_t>> groups;
    std::vector<std::pair<std::uint16_t, std::size_t>> order;
    std::map<std::pair<std::uint16_t, std::u16string>, std::size_t> name_index;  // (type, name) -> group number
    for (std::size_t i = 0; i < tree->size(); ++i) {
        const pe::TreeEntry& e = (*tree)[i];
        if (!translated_type(e.type)) continue;
        if (e.type.number != type_version) {
            any_default = any_default || is_default_source_language(e.language);
            if (!first_language) first_language = e.language;
        }
        const std::u16string name_key = e.name.name.empty()
                                            ? u"#" + std::u16string(1, static_cast<char16_t>(e.name.number))
                                            : e.name.name;
        const auto [it, fresh] = name_index.try_emplace({e.type.number, name_key}, name_index.size());
        const std::pair<std::uint16_t, std::size_t> key{e.type.number, it->second};
        if (fresh) order.push_back(key);
        groups[key][e.language] = i;
    }
    const auto source_of = [&](const std::map<std::uint16_t, std::size_t>& languages) -> std::optional<std::size_t> {
        if (options.source_language) {
            const auto it = languages.find(*options.source_language);
            if (it == languages.end()) return std::nullopt;
            return it->second;
        }
        if (!any_default) {
            const auto it = first_language ? languages.find(*first_language) : languages.end();
            if (it != languages.end()) return it->second;
            // A version resource of another language than the texts: its only one.
            return languages.size() == 1 ? std::optional<std::size_t>(languages.begin()->second) : std::nullopt;
        }
        for (const std::uint16_t language : {0x0409, 0x0000, 0x0009, 0x0400, 0x0800, 0x0C00, 0x1000}) {
            if (const auto it = languages.find(language); it != languages.end()) return it->second;
        }
        return std::nullopt;
    };

    Applier applier(base, translations, options, counts, diagnostics);
    std::vector<pe::TreeEntry> added;
    try {
        for (const auto& key : order) {
            const auto& languages = groups[key];
            const auto source = source_of(languages);
            if (!source) continue;
            pe::TreeEntry& e = (*tree)[*source];
            const std::string res = pe::id_text(e.name);
            std::optional<std::string> translated;
            switch (e.type.number) {
            case pe::type_menu:
                translated = applier.menu(e.bytes, res);
                break;
            case pe::type_dialog:
                translated = applier.dialog(e.bytes, res);
                break;
            case pe::type_string:
                if (e.name.name.empty() && e.name.number != 0) translated = applier.strings(e.bytes, e.name.number);
                break;
            default:
                translated = applier.version(e.bytes);
                break;
            }
            if (!translated) continue;
            if (!options.translation_language) {
                e.bytes = std::move(*translated);
                continue;
            }
            if (languages.count(*options.translation_language) != 0) ++counts.replaced_resources;
            pe::TreeEntry copy{e.type, e.name, *options.translation_language, e.code_page, std::move(*translated)};
            added.push_back(std::move(copy));
        }
    } catch (const Truncated&) {
        error = "有的资源模板被截断或无法识别，无法改写";
        return std::nullopt;
    }
    if (counts.replaced_resources > 0) {
        diagnostics.add(Code::TranslationsReplaced, 0,
                        cat(base, "：程序原有的 ", counts.replaced_resources, " 个语言 0x",
                            hex4(*options.translation_language), " 的资源被新的译文替换"));
    }
    for (pe::TreeEntry& e : added) tree->push_back(std::move(e));
    pe::normalise_tree(*tree);
    auto rebuilt = pe::rebuild(bytes, *layout, *tree, error);
    if (!rebuilt) return std::nullopt;
    if (rebuilt->signature_removed) {
        diagnostics.add(Code::SignatureRemoved, 0,
                        cat(base, "：程序的 Authenticode 数字签名在改写后不再有效，已从输出文件中去掉"));
    }
    return std::move(rebuilt->bytes);
}

}  // namespace lexicon
