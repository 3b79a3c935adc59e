#include "lexicon/wordlist/entry_edit.h"

#include "lexicon/base/gbk.h"
#include "lexicon/checks/entry_checks.h"
#include "lexicon/wordlist/word_list.h"

namespace lexicon {

namespace {

void append_line_breaks_escaped(std::string& out, char c) {
    if (c == '\n') {
        out += "\\n";
    } else if (c == '\r') {
        out += "\\r";
    } else {
        out += c;
    }
}

}  // namespace

namespace {

// The escape scan shared by the two below: `visit(i, n, escaped_newline)` for each
// character or escape of the text, n its bytes.
template <typename Visit>
void walk_escaped(std::string_view text, Visit visit) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = gbk::char_length(text, i);
        if (n == 1 && text[i] == '\\' && i + 1 < text.size()) n = 1 + gbk::char_length(text, i + 1);
        visit(i, n, n == 2 && text[i] == '\\' && text[i + 1] == 'n');
        i += n;
    }
}

}  // namespace

std::string field_lines(std::string_view escaped) {
    std::string out;
    out.reserve(escaped.size() + escaped.size() / 16);
    walk_escaped(escaped, [&](std::size_t i, std::size_t n, bool escaped_newline) {
        out.append(escaped.substr(i, n));
        if (escaped_newline && i + n < escaped.size()) out += "\r\n";
    });
    return out;
}

std::string join_field_lines(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    bool after_newline = false;
    walk_escaped(field, [&](std::size_t i, std::size_t n, bool escaped_newline) {
        const char c = field[i];
        if (c == '\r' || c == '\n') {
            // CR LF is one break: its LF was seen with the CR.
            if (c == '\n' && i > 0 && field[i - 1] == '\r') return;
            if (!after_newline) out += "\\n";
            after_newline = false;
            return;
        }
        out.append(field.substr(i, n));
        after_newline = escaped_newline;
    });
    return out;
}

std::string entry_line(std::string_view original_field, std::string_view translation_field) {
    std::string line;
    line.reserve(original_field.size() + translation_field.size() + 8);
    bool seen_text = false;
    for (std::size_t i = 0; i < original_field.size();) {
        const std::size_t n = gbk::char_length(original_field, i);
        const char c = original_field[i];
        if (n == 2) {
            line.append(original_field.substr(i, 2));
        } else if (c == '\\' && i + 1 < original_field.size() && gbk::char_length(original_field, i + 1) == 1) {
            // An escape is the compiler's to judge; only its second byte is taken along.
            line += c;
            append_line_breaks_escaped(line, original_field[i + 1]);
            i += 2;
            seen_text = true;
            continue;
        } else if (c == '\\' && i + 1 == original_field.size()) {
            // A backslash with nothing to escape: the line ends here, so the compiler
            // reports it as the lone backslash it is, not as an escaped '='.
            line += c;
            return line;
        } else if (c == '=' || (c == ';' && !seen_text)) {
            line += '\\';
            line += c;
        } else {
            append_line_breaks_escaped(line, c);
        }
        if (c != ' ' && c != '\t') seen_text = true;
        i += n;
    }
    line += '=';
    for (const char c : translation_field) append_line_breaks_escaped(line, c);
    return line;
}

std::optional<CheckedEntry> check_entry_fields(std::string_view original_field, std::string_view translation_field,
                                               Diagnostics& diagnostics, bool placeholders_confirmed) {
    if (placeholders_confirmed) {
        // The entry is line 2 behind the opt-out line; its messages are given for line 1.
        Diagnostics behind;
        const std::string source = cat(placeholder_opt_out, "\r\n", entry_line(original_field, translation_field));
        const WordList list = compile_word_list(source, behind);
        for (const Diagnostic& d : behind.listed()) {
            if (d.code != Code::PlaceholderCheckOff)
                diagnostics.add_at(d.code, d.line > 1 ? d.line - 1 : d.line, d.column, d.text);
        }
        const auto& found = list.entries().empty() ? list.untranslated() : list.entries();
        if (behind.errors() > 0 || found.size() != 1) return std::nullopt;
        return CheckedEntry{std::string(list.original(found.front())), std::string(list.translation(found.front()))};
    }
    const WordList list = compile_word_list(entry_line(original_field, translation_field), diagnostics);
    // An untranslated entry is kept apart from those a library takes, but it is still the
    // one entry of the line.
    const auto& found = list.entries().empty() ? list.untranslated() : list.entries();
    if (diagnostics.errors() > 0 || found.size() != 1) return std::nullopt;
    const Entry& entry = found.front();
    return CheckedEntry{std::string(list.original(entry)), std::string(list.translation(entry))};
}

}  // namespace lexicon
