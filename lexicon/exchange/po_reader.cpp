#include "lexicon/exchange/po_reader.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "lexicon/base/gbk.h"
#include "lexicon/base/unicode.h"
#include "lexicon/checks/entry_checks.h"
#include "lexicon/wordlist/word_list.h"
#include "lexicon/wordlist/word_list_writer.h"

namespace lexicon {

namespace {

enum class Charset { Utf8, Gbk, Ascii, Latin1 };

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i])) return false;
    }
    return true;
}

bool charset_named(std::string_view name, Charset& charset) {
    static const struct {
        std::string_view name;
        Charset charset;
    } known[] = {
        {"UTF-8", Charset::Utf8},    {"UTF8", Charset::Utf8},         {"GBK", Charset::Gbk},
        {"CP936", Charset::Gbk},     {"MS936", Charset::Gbk},         {"WINDOWS-936", Charset::Gbk},
        {"GB2312", Charset::Gbk},    {"EUC-CN", Charset::Gbk},        {"GB18030", Charset::Gbk},
        {"ASCII", Charset::Ascii},   {"US-ASCII", Charset::Ascii},    {"ANSI_X3.4-1968", Charset::Ascii},
        {"CHARSET", Charset::Ascii}, {"ISO-8859-1", Charset::Latin1}, {"ISO_8859-1", Charset::Latin1},
        {"LATIN1", Charset::Latin1},
    };
    for (const auto& k : known) {
        if (equal_ignoring_case(name, k.name)) {
            charset = k.charset;
            return true;
        }
    }
    return false;
}

std::string hex_byte(unsigned char c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", c);
    return buf;
}

std::string code_point_name(std::uint32_t cp) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
    return buf;
}

constexpr bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// A text of an entry as read: its bytes in the file's charset, escapes resolved, and
// the line of each string that it was written in, so that a conversion error names
// the right line.
struct Field {
    std::string bytes;
    std::vector<std::pair<std::size_t, std::uint32_t>> pieces;  // (start in bytes, line)
    std::uint32_t line = 0;                                     // of its keyword; 0 when the entry has none
    void clear() {
        bytes.clear();
        pieces.clear();
        line = 0;
    }
    bool present() const { return line != 0; }
};

class Reader {
public:
    Reader(std::string_view po, Diagnostics& diagnostics) : po_(po), diagnostics_(diagnostics) {
        import_.word_list.reserve(po.size() / 2 + 64);
        has_contexts_ = po.find("msgctxt") != std::string_view::npos;
    }

    PoImport run();

private:
    enum class Target { None, Context, Id, IdPlural, Str, StrPlural };

    bool read_line(std::string_view line);
    bool read_keyword(std::string_view line, std::size_t at);
    bool read_string(std::string_view line, std::size_t at);
    bool finish_entry();
    bool finish_open_entry();
    void start_entry();
    bool entry_open() const { return context_.present() || id_.present(); }
    void read_header(std::string_view header);
    enum class Converted { Ok, LeftOut, Invalid };
    Converted convert(const Field& field, std::string& gbk);
    Field* target_field();

    void syntax_error(std::size_t column, const std::string& text) {
        diagnostics_.add(Code::PoSyntax, line_, cat("第 ", column, " 列：", text));
    }

    std::string_view po_;
    Diagnostics& diagnostics_;
    PoImport import_;
    std::uint32_t line_ = 0;
    Charset charset_ = Charset::Utf8;
    bool stopped_ = false;
    std::size_t entries_seen_ = 0;

    // The entry being read.
    Target target_ = Target::None;
    Field context_, id_, id_plural_, str_;
    bool plural_str_ = false;
    bool fuzzy_ = false, no_c_format_ = false;
    // Flags read before the entry that they belong to.
    bool next_fuzzy_ = false, next_no_c_format_ = false;
    std::uint32_t obsolete_context_line_ = 0;

    std::string original_, translation_;  // reused

    // Contexts: a word list looks texts up by the original alone. An entry with a
    // context comes in without it unless another entry has the same original with
    // another translation; that is known only at the end of the file, so these entries
    // wait there, and the entries without one are remembered (only in files that have
    // contexts at all).
    struct Waiting {
        std::string original, translation;
        std::uint32_t line;
        bool no_c_format;
    };
    struct Seen {
        std::string translation;
        std::uint32_t line;
    };
    bool has_contexts_ = false;
    std::vector<Waiting> waiting_;
    std::unordered_map<std::string, Seen> plain_;
    void append_entry(std::string_view original, std::string_view translation, bool no_c_format);
    void finish_contexts();
};

PoImport Reader::run() {
    std::string_view po = po_;
    if (po.starts_with("\xEF\xBB\xBF")) po.remove_prefix(3);
    if (const std::size_t nul = po.find('\0'); nul != std::string_view::npos) {
        std::uint32_t line = 1;
        std::size_t line_start = 0;
        for (std::size_t i = 0; i < nul; ++i) {
            if (po[i] == '\n') {
                ++line;
                line_start = i + 1;
            }
        }
        diagnostics_.add(Code::PoSyntax, line,
                         cat("第 ", nul - line_start + 1, " 列有 NUL 字节（0x00）；PO 文件是文本文件，不能含有 NUL"));
        return {};
    }
    std::size_t pos = 0;
    while (pos < po.size() && !stopped_) {
        std::size_t end = po.find('\n', pos);
        if (end == std::string_view::npos) end = po.size();
        ++line_;
        if (!read_line(po.substr(pos, end - pos))) return {};
        pos = end + 1;
    }
    if (!stopped_ && !finish_entry()) return {};
    finish_contexts();
    return std::move(import_);
}

void Reader::append_entry(std::string_view original, std::string_view translation, bool no_c_format) {
    std::string& out = import_.word_list;
    if (no_c_format) {
        out.append(placeholder_opt_out);
        out.append("\r\n");
    }
    append_word_list_line(out, original, translation);
    ++import_.entries;
}

void Reader::finish_contexts() {
    // Every translation an original has among the entries with a context.
    std::unordered_map<std::string_view, std::vector<const Waiting*>> by_original;
    for (const Waiting& w : waiting_) by_original[w.original].push_back(&w);
    std::unordered_map<std::string_view, bool> written;
    for (const Waiting& w : waiting_) {
        const Waiting* other = nullptr;
        std::uint32_t other_line = 0;
        if (const auto plain = plain_.find(w.original); plain != plain_.end()) {
            if (plain->second.translation != w.translation) other_line = plain->second.line;
        }
        if (other_line == 0) {
            for (const Waiting* v : by_original[w.original]) {
                if (v->translation != w.translation) {
                    other = v;
                    break;
                }
            }
            if (other != nullptr) other_line = other->line;
        }
        if (other_line != 0) {
            ++import_.context;
            diagnostics_.add(Code::PoContextConflict, w.line,
                             cat("带 msgctxt（上下文）的条目与第 ", other_line,
                                 " 行的条目原文相同、译文不同；词库只按原文查找，分不开这两个条目，这一条不导入"));
            continue;
        }
        ++import_.contexts_dropped;
        // The same text once: an entry without a context, or an earlier one with one.
        if (plain_.contains(w.original) || written[w.original]) continue;
        written[w.original] = true;
        append_entry(w.original, w.translation, w.no_c_format);
    }
}

bool Reader::read_line(std::string_view line) {
    std::size_t at = 0;
    while (at < line.size() && is_blank(line[at])) ++at;
    if (at == line.size()) return true;
    if (line[at] == '"') {
        if (target_ == Target::None) {
            syntax_error(at + 1, "字符串前面缺少关键字（msgid、msgstr 等）");
            return false;
        }
        return read_string(line, at);
    }
    if (line[at] == '#') {
        // A comment ends the entry before it; flags belong to the entry after it.
        if (str_.present() || plural_str_) {
            if (!finish_entry()) return false;
        }
        const char kind = at + 1 < line.size() ? line[at + 1] : ' ';
        if (kind == ',') {
            std::string_view flags = line.substr(at + 2);
            while (!flags.empty()) {
                const std::size_t comma = flags.find(',');
                std::string_view flag = flags.substr(0, comma);
                while (!flag.empty() && is_blank(flag.front())) flag.remove_prefix(1);
                while (!flag.empty() && is_blank(flag.back())) flag.remove_suffix(1);
                if (flag == "fuzzy") next_fuzzy_ = true;
                if (flag == "no-c-format") next_no_c_format_ = true;
                if (comma == std::string_view::npos) break;
                flags.remove_prefix(comma + 1);
            }
        } else if (kind == '~') {
            // An obsolete entry: one warning for it, at its msgctxt or msgid.
            std::string_view rest = line.substr(at + 2);
            while (!rest.empty() && is_blank(rest.front())) rest.remove_prefix(1);
            const bool context = rest.starts_with("msgctxt");
            const bool id = rest.starts_with("msgid") && !rest.starts_with("msgid_plural");
            if (context || (id && obsolete_context_line_ == 0)) {
                ++import_.obsolete;
                diagnostics_.add(Code::PoEntryLeftOut, line_, "已作废的条目（#~）不导入");
            }
            obsolete_context_line_ = context ? line_ : 0;
            next_fuzzy_ = next_no_c_format_ = false;
        }
        if (kind != '~') obsolete_context_line_ = 0;
        return true;
    }
    obsolete_context_line_ = 0;
    return read_keyword(line, at);
}

void Reader::start_entry() {
    fuzzy_ = std::exchange(next_fuzzy_, false);
    no_c_format_ = std::exchange(next_no_c_format_, false);
}

bool Reader::read_keyword(std::string_view line, std::size_t at) {
    std::size_t end = at;
    while (end < line.size() && ((line[end] >= 'a' && line[end] <= 'z') || line[end] == '_')) ++end;
    const std::string_view keyword = line.substr(at, end - at);
    const std::size_t column = at + 1;
    if (keyword == "msgctxt" || keyword == "msgid") {
        if (id_.present() && !str_.present() && !plural_str_) {
            syntax_error(column, cat("上一个 msgid（第 ", id_.line, " 行）后面缺少 msgstr"));
            return false;
        }
        if (keyword == "msgid" && context_.present() && !id_.present()) {
            target_ = Target::Id;
        } else {
            if (entry_open() && !finish_entry()) return false;
            start_entry();
            target_ = keyword == "msgid" ? Target::Id : Target::Context;
        }
        (keyword == "msgid" ? id_ : context_).line = line_;
    } else if (keyword == "msgid_plural") {
        if (!id_.present() || str_.present() || plural_str_ || id_plural_.present()) {
            syntax_error(column, "msgid_plural 只能紧跟在 msgid 之后");
            return false;
        }
        id_plural_.line = line_;
        target_ = Target::IdPlural;
    } else if (keyword == "msgstr") {
        const bool indexed = end < line.size() && line[end] == '[';
        if (!id_.present() || str_.present() || (plural_str_ && !indexed)) {
            syntax_error(column, "msgstr 前面缺少 msgid，或者一个条目有两个 msgstr");
            return false;
        }
        if (indexed) {
            if (!id_plural_.present()) {
                syntax_error(column, "msgstr[n] 只能用于有 msgid_plural 的条目");
                return false;
            }
            const std::size_t close = line.find(']', end);
            bool digits = close != std::string_view::npos && close > end + 1;
            for (std::size_t i = end + 1; digits && i < close; ++i) digits = line[i] >= '0' && line[i] <= '9';
            if (!digits) {
                syntax_error(end + 1, "msgstr[ 后面应是数字和“]”");
                return false;
            }
            // Every msgstr[n] of the entry is read; the entry is left out as a whole.
            target_ = Target::StrPlural;
            end = close + 1;
            while (end < line.size() && is_blank(line[end])) ++end;
            if (end >= line.size() || line[end] != '"') {
                syntax_error(end + 1, "关键字后面缺少用双引号括起来的字符串");
                return false;
            }
            return read_string(line, end);
        }
        if (id_plural_.present()) {
            syntax_error(column, "有 msgid_plural 的条目要用 msgstr[0]、msgstr[1]……");
            return false;
        }
        str_.line = line_;
        target_ = Target::Str;
    } else if (keyword.empty()) {
        syntax_error(column, "这一行既不是注释，也不是关键字或字符串");
        return false;
    } else {
        syntax_error(column, "无法识别的关键字（可用的是 msgctxt、msgid、msgid_plural、msgstr）");
        return false;
    }
    while (end < line.size() && is_blank(line[end])) ++end;
    if (end >= line.size() || line[end] != '"') {
        syntax_error(end + 1, "关键字后面缺少用双引号括起来的字符串");
        return false;
    }
    return read_string(line, end);
}

Field* Reader::target_field() {
    switch (target_) {
    case Target::Context:
        return &context_;
    case Target::Id:
        return &id_;
    case Target::IdPlural:
        return &id_plural_;
    case Target::Str:
        return &str_;
    case Target::StrPlural:
        plural_str_ = true;
        return nullptr;
    case Target::None:
        break;
    }
    return nullptr;
}

// Reads the string that starts at line[at] == '"' into the current field.
bool Reader::read_string(std::string_view line, std::size_t at) {
    Field* field = target_field();
    if (field != nullptr) field->pieces.emplace_back(field->bytes.size(), line_);
    std::string scratch;
    std::string& out = field != nullptr ? field->bytes : scratch;
    std::size_t i = at + 1;
    for (;;) {
        const std::size_t stop = line.find_first_of("\"\\", i);
        if (stop == std::string_view::npos) {
            syntax_error(at + 1, "字符串缺少结束的双引号");
            return false;
        }
        out.append(line.substr(i, stop - i));
        i = stop;
        if (line[i] == '"') break;
        if (i + 1 >= line.size()) {
            syntax_error(at + 1, "字符串缺少结束的双引号");
            return false;
        }
        const char e = line[i + 1];
        i += 2;
        switch (e) {
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '"':
            out += '"';
            break;
        case '\\':
            out += '\\';
            break;
        case 'a':
            out += '\a';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'v':
            out += '\v';
            break;
        case '\'':
            out += '\'';
            break;
        case '?':
            out += '?';
            break;
        case 'x': {
            unsigned value = 0;
            std::size_t digits = 0;
            for (; i < line.size() && digits < 2 && std::isxdigit(static_cast<unsigned char>(line[i])); ++i, ++digits) {
                const char c = upper(line[i]);
                value = value * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'A' + 10);
            }
            if (digits == 0) {
                syntax_error(i - 1, "转义“\\x”后面缺少十六进制数字");
                return false;
            }
            out += static_cast<char>(value);
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                unsigned value = static_cast<unsigned>(e - '0');
                for (std::size_t digits = 1; i < line.size() && digits < 3 && line[i] >= '0' && line[i] <= '7';
                     ++i, ++digits) {
                    value = value * 8 + static_cast<unsigned>(line[i] - '0');
                }
                out += static_cast<char>(value & 0xFF);
                break;
            }
            syntax_error(i - 1,
                         "无效的转义序列（可用的是 \\n \\t \\r \\\" \\\\ \\a \\b \\f \\v 以及八进制和十六进制）");
            return false;
        }
    }
    for (std::size_t j = i + 1; j < line.size(); ++j) {
        if (!is_blank(line[j])) {
            syntax_error(j + 1, "字符串结束的双引号后面还有别的内容");
            return false;
        }
    }
    return true;
}

void Reader::read_header(std::string_view header) {
    // "Content-Type: text/plain; charset=UTF-8\n"
    for (std::size_t at = 0; at + 8 <= header.size(); ++at) {
        if (!equal_ignoring_case(header.substr(at, 8), "charset=")) continue;
        std::size_t end = at + 8;
        while (end < header.size() && !is_blank(header[end]) && header[end] != '\n' && header[end] != ';') ++end;
        const std::string_view name = header.substr(at + 8, end - at - 8);
        if (!charset_named(name, charset_)) {
            std::string printable;
            for (const char c : name.substr(0, 40)) printable += c > 0x20 && c < 0x7F ? c : '?';
            diagnostics_.add(
                Code::PoUnknownCharset, str_.line,
                cat("头条目声明的字符集“", printable,
                    "”无法识别；可用的字符集是 UTF-8、GBK（GB2312、CP936、GB18030）、ASCII 和 ISO-8859-1"));
            stopped_ = true;
        }
        return;
    }
}

// The field's text in GBK. Bytes that are not valid in the charset are an error; a
// character that GBK lacks, or NUL, leaves the entry out with a warning. Either is reported with the line of the string it stands in.
Reader::Converted Reader::convert(const Field& field, std::string& gbk) {
    gbk.clear();
    for (std::size_t k = 0; k < field.pieces.size(); ++k) {
        const std::size_t begin = field.pieces[k].first;
        const std::size_t end = k + 1 < field.pieces.size() ? field.pieces[k + 1].first : field.bytes.size();
        const std::string_view piece(field.bytes.data() + begin, end - begin);
        const std::uint32_t line = field.pieces[k].second;
        auto fail = [&](std::string text) {
            diagnostics_.add(Code::PoUnconvertible, line, std::move(text));
            return Converted::Invalid;
        };
        auto leave_out = [&](std::size_t& reason, std::string text) {
            ++reason;
            diagnostics_.add(Code::PoCharacterLeftOut, line, std::move(text));
            return Converted::LeftOut;
        };
        for (std::size_t i = 0; i < piece.size();) {
            const auto c = static_cast<unsigned char>(piece[i]);
            std::uint32_t cp = c;
            std::size_t n = 1;
            if (c >= 0x80) {
                switch (charset_) {
                case Charset::Utf8:
                    cp = unicode::decode_utf8(piece, i, n);
                    if (n == 0) {
                        return fail(
                            cat("字符串中的字节 ", hex_byte(c), " 不是合法的 UTF-8（头条目声明的字符集是 UTF-8）"));
                    }
                    break;
                case Charset::Gbk:
                    n = gbk::char_length(piece, i);
                    if (n == 1 && c != 0x80) return fail(cat("字符串中的字节 ", hex_byte(c), " 不是 GBK 中的字符"));
                    gbk.append(piece.substr(i, n));
                    i += n;
                    continue;
                case Charset::Ascii:
                    return fail(cat("字符串中的字节 ", hex_byte(c), " 不是 ASCII 字符（头条目没有声明别的字符集）"));
                case Charset::Latin1:
                    break;
                }
            }
            // Control characters come in as the word list's escapes; only NUL cannot,
            // since a program looks its texts up as NUL-terminated strings.
            if (cp == 0) {
                return leave_out(import_.control,
                                 "条目中有 NUL 字符 U+0000（\\0），程序按以 NUL 结尾的字符串查找文字，这个条目不导入");
            }
            if (!unicode::append_gbk(cp, gbk)) {
                return leave_out(import_.no_gbk,
                                 cat("条目中的字符 ", code_point_name(cp), " 在 GBK 中没有，这个条目不导入"));
            }
            i += n;
        }
    }
    return Converted::Ok;
}

bool Reader::finish_entry() {
    target_ = Target::None;
    if (!entry_open()) return true;
    const bool ok = finish_open_entry();
    context_.clear();
    id_.clear();
    id_plural_.clear();
    str_.clear();
    plural_str_ = false;
    return ok;
}

bool Reader::finish_open_entry() {
    if (id_.present() && !str_.present() && !plural_str_) {
        diagnostics_.add(Code::PoSyntax, id_.line, "msgid 后面缺少 msgstr（文件在这个条目中结束）");
        return false;
    }
    if (!id_.present()) {
        diagnostics_.add(Code::PoSyntax, context_.line, "msgctxt 后面缺少 msgid");
        return false;
    }
    const bool first = entries_seen_++ == 0;
    if (id_.bytes.empty() && !context_.present() && !id_plural_.present()) {
        if (first) {
            read_header(str_.bytes);
            return !stopped_;
        }
        diagnostics_.add(Code::PoSyntax, id_.line, "msgid 为空；只有文件开头的头条目可以没有原文");
        return true;
    }
    if (id_plural_.present()) {
        ++import_.plural;
        diagnostics_.add(Code::PoEntryLeftOut, id_.line,
                         "有复数形式（msgid_plural）的条目不导入：词库格式没有复数形式");
        return true;
    }
    if (fuzzy_) {
        ++import_.fuzzy;
        diagnostics_.add(Code::PoFuzzyLeftOut, id_.line,
                         "标为 fuzzy（需要审核）的条目不导入；审核后去掉 fuzzy 标记再导入");
        return true;
    }
    // One message for an entry: the translation is looked at only when the original
    // came through.
    const Converted id = convert(id_, original_);
    if (id == Converted::Invalid) return true;
    if (id == Converted::LeftOut || convert(str_, translation_) != Converted::Ok) return true;
    if (context_.present()) {
        waiting_.push_back({original_, translation_, context_.line, no_c_format_});
        return true;
    }
    if (has_contexts_) plain_.try_emplace(original_, Seen{translation_, id_.line});
    append_entry(original_, translation_, no_c_format_);
    return true;
}

}  // namespace

PoImport word_list_from_po(std::string_view po, Diagnostics& diagnostics) {
    Reader reader(po, diagnostics);
    PoImport result = reader.run();
    if (diagnostics.errors() > 0) return {};
    // Two characters whose bytes happen to spell the UTF-8 byte-order mark must not open
    // the list, where they would make it look like UTF-8.
    if (result.word_list.starts_with("\xEF\xBB\xBF")) result.word_list.insert(0, "\r\n");
    return result;
}

}  // namespace lexicon
