#include "lexicon/wordlist/word_list_writer.h"

#include "lexicon/base/diagnostics.h"
#include "lexicon/base/escapes.h"

namespace lexicon {

std::string word_list_line(std::string_view original, std::string_view translation) {
    std::string line;
    append_word_list_line(line, original, translation, {});
    return line;
}

void append_word_list_line(std::string& out, std::string_view original, std::string_view translation,
                           std::string_view line_end) {
    out += escape_text(original, EscapeFor::Original);
    out += '=';
    out += escape_text(translation, EscapeFor::Translation);
    out += line_end;
}

std::string library_list_header(std::string_view description, std::size_t entries) {
    const bool one_line = description.find_first_of("\r\n") == std::string_view::npos;
    return cat("; 词库说明：", one_line ? std::string(description) : escape_text(description, EscapeFor::Translation),
               "\r\n; 条目数：", entries, "\r\n");
}

}  // namespace lexicon
