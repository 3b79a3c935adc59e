#include "lexicon/base/gbk.h"

namespace lexicon::gbk {

std::size_t find_last_separator(std::string_view path) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < path.size();) {
        if (path[i] == '\\' || path[i] == '/') found = i;
        i += char_length(path, i);
    }
    return found;
}

std::size_t find_invalid(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if ((c < 0x20 && c != '\t') || c == 0x7F) return i;
            ++i;
        } else if (c == 0x80) {
            ++i;  // the euro sign of code page 936
        } else if (is_lead(c) && i + 1 < text.size() && is_trail(static_cast<unsigned char>(text[i + 1]))) {
            i += 2;
        } else {
            return i;
        }
    }
    return std::string_view::npos;
}

std::string_view prefix(std::string_view text, std::size_t max_bytes) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + char_length(text, end);
        if (next > max_bytes) break;
        end = next;
    }
    return text.substr(0, end);
}

}  // namespace lexicon::gbk
