#include "lexicon/entry_edit.h"

#include "lexicon/gbk.h"
#include "lexicon/word_list.h"

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
                                               Diagnostics& diagnostics) {
    const WordList list = compile_word_list(entry_line(original_field, translation_field), diagnostics);
    // An untranslated entry is kept apart from those a library takes, but it is still the
    // one entry of the line.
    const std::vector<Entry>& found = list.entries().empty() ? list.untranslated() : list.entries();
    if (diagnostics.errors() > 0 || found.size() != 1) return std::nullopt;
    const Entry& entry = found.front();
    return CheckedEntry{std::string(list.original(entry)), std::string(list.translation(entry))};
}

}  // namespace lexicon
