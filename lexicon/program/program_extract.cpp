#include "lexicon/program/program_extract.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

#include "lexicon/base/escapes.h"
#include "lexicon/base/gbk.h"
#include "lexicon/base/unicode.h"
#include "lexicon/checks/access_key_scope.h"
#include "lexicon/program/pe_resources.h"
#include "lexicon/wordlist/word_list.h"
#include "lexicon/wordlist/word_list_writer.h"

namespace lexicon {

namespace {

bool is_letter(std::uint32_t cp) {
    if ((cp >= 'A' && cp <= 'Z') || (cp >= 'a' && cp <= 'z')) return true;
    if (cp == 0xAA || cp == 0xB5 || cp == 0xBA) return true;
    if (cp >= 0xC0 && cp <= 0x24F) return cp != 0xD7 && cp != 0xF7;
    if (cp >= 0x370 && cp <= 0x1FFF) return true;   // Greek to the Latin additions
    if (cp >= 0x2C00 && cp <= 0x2DFF) return true;  // Glagolitic, Coptic, Georgian
    if (cp >= 0x3040 && cp <= 0xD7FF) return true;  // kana, CJK, Hangul
    if (cp >= 0xF900 && cp <= 0xFAFF) return true;  // CJK compatibility
    if (cp >= 0xFF21 && cp <= 0xFF3A) return true;  // full-width Latin
    if (cp >= 0xFF41 && cp <= 0xFF5A) return true;
    return cp >= 0xFF66 && cp <= 0xFFDC;  // half-width kana, Hangul
}

std::uint32_t next_code_point(const std::u16string& text, std::size_t& i) {
    std::uint32_t cp = text[i++];
    if (cp >= 0xD800 && cp < 0xDC00 && i < text.size() && text[i] >= 0xDC00 && text[i] < 0xE000) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i++] - 0xDC00u);
    }
    return cp;
}

bool has_letter(const std::u16string& text) {
    for (std::size_t i = 0; i < text.size();) {
        if (is_letter(next_code_point(text, i))) return true;
    }
    return false;
}

std::string code_point_name(std::uint32_t cp) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
    return buf;
}

// The text in GBK, or false with the first character GBK lacks in `bad` (control
// characters other than tab, CR and LF count as lacking: a word list cannot hold them).
bool to_gbk(const std::u16string& text, std::string& out, std::uint32_t& bad) {
    out.clear();
    for (std::size_t i = 0; i < text.size();) {
        const std::uint32_t cp = next_code_point(text, i);
        const bool control = (cp < 0x20 && cp != '\t' && cp != '\r' && cp != '\n') || cp == 0x7F;
        if (control || !unicode::append_gbk(cp, out)) {
            bad = cp;
            return false;
        }
    }
    return true;
}

std::string hex32(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}

std::string font_text(const pe::DialogFont& font) {
    if (!font.present) return "";
    std::string face = pe::id_text({0, font.face.empty() ? u"?" : font.face});
    std::string text = cat(" 字体 \"", face, "\" ", font.points);
    if (font.weight != 0 && font.weight != 400) text += cat(" ", font.weight);
    if (font.italic) text += " 斜体";
    return text;
}

bool is_default_source(std::uint16_t language) {
    // Neutral in any of its forms, US English, and English without a region.
    return (language & 0x3FF) == 0 || language == 0x0409 || language == 0x0009;
}

struct Group {
    std::map<std::uint16_t, const pe::Resource*> by_language;
};

}  // namespace

std::string path_text(const std::vector<std::uint16_t>& path) {
    std::string text;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i > 0) text += '.';
        text += std::to_string(path[i] + 1);
    }
    return text;
}

std::optional<std::string> extracted_original(const std::u16string& text) {
    if (text.empty() || !has_letter(text)) return std::nullopt;
    std::string gbk;
    std::uint32_t bad = 0;
    if (!to_gbk(text, gbk, bad) || gbk.size() > max_text_bytes) return std::nullopt;
    return gbk;
}

bool is_default_source_language(std::uint16_t language) { return is_default_source(language); }

std::optional<std::uint16_t> parse_language(std::string_view word) {
    if (word.empty()) return std::nullopt;
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        base = 16;
        word.remove_prefix(2);
    }
    std::uint32_t value = 0;
    for (const char c : word) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFF) return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

void ProgramExtractor::add_text(std::string_view file_name, const std::u16string& original,
                                const std::u16string* translation, std::string comment, std::string why_empty,
                                Diagnostics& diagnostics) {
    if (original.empty() || !has_letter(original)) return;
    ++counts_.places;
    std::string gbk;
    std::uint32_t bad = 0;
    if (!to_gbk(original, gbk, bad)) {
        ++counts_.left_out;
        diagnostics.add(Code::ExtractNotGbk, 0,
                        cat(comment, "：字符 ", code_point_name(bad), " 在 GBK 中没有，这段文字不提取"));
        return;
    }
    if (gbk.size() > max_text_bytes) {
        ++counts_.left_out;
        diagnostics.add(
            Code::ExtractTooLong, 0,
            cat(comment, "：文字长 ", gbk.size(), " 字节，超过了词库的上限 ", max_text_bytes, " 字节，不提取"));
        return;
    }
    Place place{std::move(comment), {}, std::move(why_empty)};
    if (translation != nullptr && !translation->empty()) {
        std::string t;
        if (!to_gbk(*translation, t, bad)) {
            place.why_empty = cat("译文含有 GBK 中没有的字符 ", code_point_name(bad));
        } else if (t.size() > max_text_bytes) {
            place.why_empty = cat("译文长 ", t.size(), " 字节，超过了上限 ", max_text_bytes, " 字节");
        } else {
            place.translation = std::move(t);
            place.why_empty.clear();
        }
    }
    (void)file_name;
    const auto [it, fresh] = index_.try_emplace(gbk, items_.size());
    if (fresh) items_.push_back({std::move(gbk), {}});
    items_[it->second].places.push_back(std::move(place));
}

bool ProgramExtractor::add(std::string_view file_name, std::string_view head, std::uint64_t part_offset,
                           std::string_view part, Diagnostics& diagnostics) {
    std::string_view base = file_name;
    if (const std::size_t sep = gbk::find_last_separator(base); sep != std::string_view::npos) {
        base = base.substr(sep + 1);
    }
    std::string error;
    const auto resources = pe::read_resources(head, part_offset, part, error);
    if (!resources) {
        diagnostics.add(Code::ProgramUnreadable, 0, cat("无法读取程序“", file_name, "”的资源：", error));
        return false;
    }
    // The resources by type and id, each with its languages.
    std::vector<std::pair<std::pair<std::uint16_t, pe::ResourceId>, Group>> groups;
    bool any_default = false, any_translation = false;
    const std::uint16_t first_language = resources->empty() ? 0 : resources->front().language;
    for (const pe::Resource& r : *resources) {
        any_default = any_default || is_default_source(r.language);
        any_translation = any_translation || r.language == options_.translation_language;
        if (groups.empty() || groups.back().first.first != r.type || !(groups.back().first.second == r.id)) {
            groups.push_back({{r.type, r.id}, {}});
        }
        groups.back().second.by_language.emplace(r.language, &r);
    }
    const auto source_of = [&](const Group& g) -> const pe::Resource* {
        if (options_.source_language) {
            const auto it = g.by_language.find(*options_.source_language);
            return it == g.by_language.end() ? nullptr : it->second;
        }
        if (!any_default) {
            const auto it = g.by_language.find(first_language);
            return it == g.by_language.end() ? nullptr : it->second;
        }
        for (const std::uint16_t language : {0x0409, 0x0000, 0x0009, 0x0400, 0x0800, 0x0C00, 0x1000}) {
            if (const auto it = g.by_language.find(static_cast<std::uint16_t>(language)); it != g.by_language.end()) {
                return it->second;
            }
        }
        return nullptr;
    };

    // Everything is parsed first: a damaged template stops the file before any of it is added.
    struct Parsed {
        const pe::Resource* source;
        const pe::Resource* translation;
        pe::Menu menu[2];
        pe::Dialog dialog[2];
        std::vector<pe::StringEntry> strings[2];
    };
    std::vector<Parsed> parsed;
    for (const auto& [key, group] : groups) {
        const pe::Resource* source = source_of(group);
        if (source == nullptr) continue;
        const auto t = group.by_language.find(options_.translation_language);
        const pe::Resource* translation = t == group.by_language.end() || t->second == source ? nullptr : t->second;
        Parsed& p = parsed.emplace_back();
        p.source = source;
        p.translation = translation;
        for (int side = 0; side < 2; ++side) {
            const pe::Resource* r = side == 0 ? source : translation;
            if (r == nullptr) continue;
            bool ok = true;
            if (r->type == pe::type_menu) ok = pe::parse_menu(r->bytes, p.menu[side], error);
            if (r->type == pe::type_dialog) ok = pe::parse_dialog(r->bytes, p.dialog[side], error);
            if (r->type == pe::type_string) {
                if (!r->id.name.empty()) continue;  // a named string block is not one the system can load
                ok = pe::parse_string_block(r->bytes, r->id.number, p.strings[side], error);
            }
            if (!ok) {
                static const char* const types[] = {"", "", "", "", "菜单", "对话框", "字符串表"};
                diagnostics.add(Code::ProgramUnreadable, 0,
                                cat("无法读取程序“", file_name, "”的", types[r->type], " ", pe::id_text(r->id),
                                    "（语言 ", hex32(r->language).substr(6), "）：", error));
                return false;
            }
        }
    }

    ++counts_.files;
    const std::string lang = hex32(options_.translation_language).replace(2, 4, "");
    for (const Parsed& p : parsed) {
        const std::string res = pe::id_text(p.source->id);
        const bool has_t = p.translation != nullptr;
        const char* missing_what = p.source->type == pe::type_menu     ? "菜单"
                                   : p.source->type == pe::type_dialog ? "对话框"
                                                                       : "字符串表";
        const std::string missing = has_t || !any_translation
                                        ? std::string()
                                        : cat("程序中没有这个", missing_what, "的 ", lang, " 译文");
        if (p.source->type == pe::type_menu) {
            const pe::Menu& s = p.menu[0];
            const pe::Menu& t = p.menu[1];
            const auto id_count = [](const pe::Menu& m, std::uint32_t id) {
                std::size_t n = 0;
                for (const pe::MenuItem& i : m.items) n += !i.popup && i.id == id;
                return n;
            };
            for (const pe::MenuItem& item : s.items) {
                const bool by_id = !item.popup && item.id != 0;
                // An item with an id still says where it is: the access-key check takes the
                // items of one popup together.
                std::string comment = by_id ? cat(base, " MENU ", res, " 项 ", item.id, " 位置 ", path_text(item.path))
                                            : cat(base, " MENU ", res, " 位置 ", path_text(item.path));
                const std::u16string* translated = nullptr;
                std::string why = missing;
                if (has_t) {
                    for (const pe::MenuItem& ti : t.items) {
                        if (ti.path == item.path && ti.popup == item.popup && (item.popup || ti.id == item.id)) {
                            translated = &ti.text;
                            break;
                        }
                    }
                    if (translated == nullptr && by_id && id_count(s, item.id) == 1 && id_count(t, item.id) == 1) {
                        for (const pe::MenuItem& ti : t.items) {
                            if (!ti.popup && ti.id == item.id) translated = &ti.text;
                        }
                    }
                    if (translated == nullptr) {
                        why = by_id ? cat("译文菜单里没有与此对应的项 ", item.id)
                                    : cat("译文菜单的结构不同，位置 ", path_text(item.path), " 处没有对应的弹出菜单");
                    }
                }
                add_text(base, item.text, translated, std::move(comment), std::move(why), diagnostics);
            }
        } else if (p.source->type == pe::type_dialog) {
            const pe::Dialog& s = p.dialog[0];
            const pe::Dialog& t = p.dialog[1];
            const std::string font = font_text(s.font);
            add_text(base, s.caption, has_t ? &t.caption : nullptr, cat(base, " DIALOG ", res, " 标题", font), missing,
                     diagnostics);
            const auto id_count = [](const pe::Dialog& d, std::uint32_t id) {
                std::size_t n = 0;
                for (const pe::Control& c : d.controls) n += c.id == id;
                return n;
            };
            for (std::size_t i = 0; i < s.controls.size(); ++i) {
                const pe::Control& c = s.controls[i];
                // An icon's or a bitmap's text is the name of its image, not a text to translate.
                const std::uint32_t kind = c.style & 0x1F;
                if (c.text_is_ordinal || (c.class_name == u"STATIC" && (kind == 3 || kind == 0xE || kind == 0xF))) {
                    continue;
                }
                std::string comment = cat(base, " DIALOG ", res, " 控件 ", static_cast<std::int32_t>(c.id), " ",
                                          pe::id_text({0, c.class_name}), " ", c.cx, "x", c.cy, " 样式 ",
                                          hex32(c.style), font);
                const std::u16string* translated = nullptr;
                std::string why = missing;
                if (has_t) {
                    const std::size_t in_s = id_count(s, c.id), in_t = id_count(t, c.id);
                    if (in_s == 1 && in_t == 1) {
                        for (const pe::Control& tc : t.controls) {
                            if (tc.id == c.id) translated = &tc.text;
                        }
                    } else if (in_t == 0) {
                        why = cat("译文对话框里没有控件 ", c.id);
                    } else if (t.controls.size() == s.controls.size() && t.controls[i].id == c.id) {
                        translated = &t.controls[i].text;  // a repeated id, paired by its position
                    } else {
                        why = cat("控件号 ", c.id, " 重复，而译文对话框的控件与原文不同，无法对应");
                    }
                }
                add_text(base, c.text, translated, std::move(comment), std::move(why), diagnostics);
            }
        } else {
            for (const pe::StringEntry& e : p.strings[0]) {
                const std::u16string* translated = nullptr;
                std::string why = missing;
                if (has_t) {
                    for (const pe::StringEntry& te : p.strings[1]) {
                        if (te.id == e.id) translated = &te.text;
                    }
                    if (translated == nullptr) why = cat("译文字符串表里没有字符串 ", e.id);
                }
                add_text(base, e.text, translated, cat(base, " STRINGTABLE ", e.id), std::move(why), diagnostics);
            }
        }
    }
    counts_.entries = items_.size();
    std::size_t translated = 0;
    for (const Item& item : items_) {
        for (const Place& place : item.places) {
            if (!place.translation.empty()) {
                ++translated;
                break;
            }
        }
    }
    counts_.translated = translated;
    return true;
}

std::string ProgramExtractor::word_list() const {
    std::string out;
    for (const Item& item : items_) {
        const std::string* translation = nullptr;
        for (const Place& place : item.places) {
            if (!place.translation.empty()) {
                translation = &place.translation;
                break;
            }
        }
        for (const Place& place : item.places) {
            out += "; ";
            out += place.comment;
            if (!place.translation.empty() && translation != nullptr && place.translation != *translation) {
                out += cat(" （此处译文：", escape_text(place.translation, EscapeFor::Translation), "）");
            } else if (place.translation.empty() && !place.why_empty.empty()) {
                out += cat(" （无译文：", place.why_empty, "）");
            }
            out += "\r\n";
        }
        append_word_list_line(out, item.original, translation != nullptr ? *translation : std::string_view());
    }
    return out;
}

namespace {

// The menu or dialog whose access keys a place's text shares: "a.exe MENU 1 位置 2" for
// the items of a menu's second popup, "a.exe MENU 1 位置" for its menu bar, "a.exe DIALOG
// 7" for a dialog's controls. Empty for other places (string tables, captions).
std::string access_key_scope_of(std::string_view comment) {
    while (!comment.empty() && (comment.front() == ';' || comment.front() == ' ')) comment.remove_prefix(1);
    if (const std::size_t at = comment.find(" DIALOG "); at != std::string_view::npos) {
        const std::size_t control = comment.find(" 控件 ");
        if (control == std::string_view::npos) return {};
        return std::string(comment.substr(0, control));
    }
    const std::size_t menu = comment.find(" MENU ");
    const std::size_t position = comment.find(" 位置 ");
    if (menu == std::string_view::npos || position == std::string_view::npos) return {};
    std::string_view path = comment.substr(position + std::string_view(" 位置 ").size());
    path = path.substr(0, path.find(' '));
    const std::size_t last = path.rfind('.');
    const std::size_t item = comment.find(" 项 ");
    return cat(comment.substr(0, std::min(position, item)), " 位置 ",
               last == std::string_view::npos ? std::string_view() : path.substr(0, last));
}

}  // namespace

void check_extracted_access_keys(std::string_view source, const WordList& list, Diagnostics& diagnostics) {
    std::unordered_map<std::uint32_t, std::string_view> translations;
    for (const Entry& e : list.entries()) translations.emplace(e.line, list.translation(e));
    struct Key {
        std::string key;
        std::uint32_t line;
        std::string_view translation;
    };
    std::map<std::string, std::vector<Key>> scopes;
    std::vector<std::string> pending;
    std::uint32_t line = 0;
    for (std::size_t at = 0; at < source.size();) {
        std::size_t end = source.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = source.size();
        const std::string_view text = source.substr(at, end - at);
        ++line;
        at = end < source.size() && source[end] == '\r' && end + 1 < source.size() && source[end + 1] == '\n' ? end + 2
                                                                                                              : end + 1;
        if (text.starts_with("; ")) {
            if (std::string scope = access_key_scope_of(text); !scope.empty()) pending.push_back(std::move(scope));
            continue;
        }
        if (text.starts_with(";")) continue;
        const auto found = translations.find(line);
        if (found != translations.end()) {
            const std::string key = access_key_of(found->second);
            if (!key.empty()) {
                for (const std::string& scope : pending) {
                    std::vector<Key>& keys = scopes[scope];
                    const bool repeated = std::any_of(keys.begin(), keys.end(),
                                                      [&](const Key& k) { return k.line == line; });
                    if (repeated) continue;
                    for (const Key& k : keys) {
                        if (k.key != key) continue;
                        diagnostics.add(
                            Code::AccessKeyTwiceInScope, line,
                            cat("快捷键“&", key, "”在“", scope, "”中已由第 ", k.line, " 行的“", shown(k.translation),
                                "”使用；同一处的两项用同一个快捷键时，按键只能选中其中一项"));
                        break;
                    }
                    keys.push_back({key, line, found->second});
                }
            }
        }
        pending.clear();
    }
}

std::optional<DialogPlace> parse_dialog_place(std::string_view line) {
    const std::size_t marker = line.find(" 控件 ");
    if (marker == std::string_view::npos || line.find(" DIALOG ") == std::string_view::npos) return std::nullopt;
    std::string_view rest = line.substr(marker + std::string_view(" 控件 ").size());
    const auto word = [&rest]() {
        while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        const std::size_t end = rest.find(' ');
        const std::string_view w = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
        return w;
    };
    const auto number = [](std::string_view w, int& out) {
        if (w.empty() || w.size() > 6) return false;
        int v = 0;
        bool negative = false;
        if (w.front() == '-') {
            negative = true;
            w.remove_prefix(1);
        }
        if (w.empty()) return false;
        for (const char c : w) {
            if (c < '0' || c > '9') return false;
            v = v * 10 + (c - '0');
        }
        out = negative ? -v : v;
        return true;
    };
    DialogPlace place;
    std::string_view head = line.substr(0, marker);
    while (!head.empty() && (head.front() == ';' || head.front() == ' ')) head.remove_prefix(1);
    place.where = cat(head, " 控件 ", word());
    place.class_name = std::string(word());
    const std::string_view size = word();
    const std::size_t x = size.find('x');
    if (x == std::string_view::npos || !number(size.substr(0, x), place.cx) || !number(size.substr(x + 1), place.cy)) {
        return std::nullopt;
    }
    if (word() != "样式") return std::nullopt;
    const std::string_view style = word();
    if (style.size() != 10 || !style.starts_with("0x")) return std::nullopt;
    for (const char c : style.substr(2)) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0) return std::nullopt;
        place.style = place.style << 4 | static_cast<std::uint32_t>(digit);
    }
    if (word() != "字体") return place;  // the system font
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    if (!rest.starts_with('"')) return std::nullopt;
    const std::size_t close = rest.find('"', 1);
    if (close == std::string_view::npos) return std::nullopt;
    place.font_face = std::string(rest.substr(1, close - 1));
    rest.remove_prefix(close + 1);
    if (!number(word(), place.font_points)) return std::nullopt;
    for (std::string_view w = word(); !w.empty() && !w.starts_with("（"); w = word()) {
        if (w == "斜体") {
            place.italic = true;
        } else if (!number(w, place.font_weight)) {
            break;
        }
    }
    return place;
}

}  // namespace lexicon
