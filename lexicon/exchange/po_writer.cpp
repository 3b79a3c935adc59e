#include "lexicon/exchange/po_writer.h"

#include <cstdio>

#include "lexicon/base/gbk.h"
#include "lexicon/base/unicode.h"
#include "lexicon/checks/entry_checks.h"

namespace lexicon {

namespace {

// The text in UTF-8; false at the first GBK character without a code point, whose
// bytes `bad` then holds. Runs of ASCII, most of a word list, are copied as they stand.
bool gbk_to_utf8(std::string_view gbk_text, std::string& utf8, std::string_view& bad) {
    utf8.clear();
    std::size_t i = 0;
    while (i < gbk_text.size()) {
        std::size_t ascii_end = i;
        while (ascii_end < gbk_text.size() && static_cast<unsigned char>(gbk_text[ascii_end]) < 0x80) ++ascii_end;
        utf8.append(gbk_text.data() + i, ascii_end - i);
        i = ascii_end;
        if (i == gbk_text.size()) break;
        const std::size_t n = gbk::char_length(gbk_text, i);
        const std::uint32_t cp = unicode::from_gbk(gbk_text.data() + i, n);
        if (cp == 0) {
            bad = gbk_text.substr(i, n);
            return false;
        }
        unicode::append_utf8(cp, utf8);
        i += n;
    }
    return true;
}

bool needs_escape(unsigned char c) { return c < 0x20 || c == '"' || c == '\\' || c == 0x7F; }

void append_escaped(std::string_view utf8, std::string& out) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t plain_end = i;
        while (plain_end < utf8.size() && !needs_escape(static_cast<unsigned char>(utf8[plain_end]))) ++plain_end;
        out.append(utf8.data() + i, plain_end - i);
        i = plain_end;
        if (i == utf8.size()) break;
        const char c = utf8[i++];
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\a':
            out += "\\a";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\v':
            out += "\\v";
            break;
        default: {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += buf;
        }
        }
    }
}

bool begins_with_newline(std::string_view t) { return !t.empty() && t.front() == '\n'; }
bool ends_with_newline(std::string_view t) { return !t.empty() && t.back() == '\n'; }

}  // namespace

PoWriter::PoWriter(std::string_view project, std::string_view revision_date) {
    std::string project_utf8;
    std::string_view bad;
    if (project.empty() || !gbk_to_utf8(project, project_utf8, bad)) project_utf8 = "Velmora";
    text_ = "msgid \"\"\nmsgstr \"\"\n\"Project-Id-Version: ";
    append_escaped(project_utf8, text_);
    text_ += "\\n\"\n\"PO-Revision-Date: ";
    text_ += revision_date;
    text_ +=
        "\\n\"\n"
        "\"Last-Translator: \\n\"\n"
        "\"Language-Team: \\n\"\n"
        "\"Language: zh_CN\\n\"\n"
        "\"MIME-Version: 1.0\\n\"\n"
        "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
        "\"Content-Transfer-Encoding: 8bit\\n\"\n"
        "\"X-Generator: Mervik\\n\"\n";
}

void PoWriter::append_string(std::string_view keyword, std::string_view utf8) {
    text_ += keyword;
    // A text with inner line breaks is written one line of it per string, as
    // translation tools show it.
    const std::size_t inner = utf8.find('\n');
    if (inner == std::string_view::npos || inner + 1 == utf8.size()) {
        text_ += " \"";
        append_escaped(utf8, text_);
        text_ += "\"\n";
        return;
    }
    text_ += " \"\"\n";
    std::string_view rest(utf8);
    while (!rest.empty()) {
        const std::size_t cut = rest.find('\n');
        const std::size_t n = cut == std::string_view::npos ? rest.size() : cut + 1;
        text_ += '"';
        append_escaped(rest.substr(0, n), text_);
        text_ += "\"\n";
        rest.remove_prefix(n);
    }
}

void PoWriter::add(std::string_view original, std::string_view translation, std::uint32_t line,
                   Diagnostics& diagnostics) {
    std::string_view bad;
    if (!gbk_to_utf8(original, original_utf8_, bad) || !gbk_to_utf8(translation, translation_utf8_, bad)) {
        char hex[16];
        std::snprintf(hex, sizeof hex, bad.size() == 2 ? "0x%02X 0x%02X" : "0x%02X", static_cast<unsigned char>(bad[0]),
                      bad.size() == 2 ? static_cast<unsigned char>(bad[1]) : 0);
        diagnostics.add(Code::PoUnconvertible, line,
                        cat("GBK 字符 ", hex, "（用户自定义区）没有对应的 Unicode 字符，无法写入 PO 文件：“",
                            shown(original), "”"));
        return;
    }
    text_ += '\n';
    // msgfmt -c refuses a translation that differs from its original in a line break at
    // either end; such an entry goes out as fuzzy, for the translator to look at.
    const bool translated = !translation.empty();
    const bool fuzzy = translated && (begins_with_newline(original) != begins_with_newline(translation) ||
                                      ends_with_newline(original) != ends_with_newline(translation));
    const char* format = nullptr;
    if (translated && !placeholders_match(original, translation)) {
        format = "no-c-format";  // the entry's placeholder check was turned off
    } else if (placeholder_style(original).printf && strict_printf(original) &&
               (!translated || strict_printf(translation))) {
        format = "c-format";
    }
    if (fuzzy || format != nullptr) {
        text_ += "#, ";
        if (fuzzy) text_ += format != nullptr ? "fuzzy, " : "fuzzy";
        if (format != nullptr) text_ += format;
        text_ += '\n';
    }
    append_string("msgid", original_utf8_);
    append_string("msgstr", translation_utf8_);
    if (fuzzy) {
        diagnostics.add(Code::ExportedAsFuzzy, line,
                        cat("译文与原文开头或结尾的换行不一致，这一条目在 PO 文件中标为 fuzzy（需要审核）：“",
                            shown(original), "”"));
    }
    ++entries_;
}

}  // namespace lexicon
