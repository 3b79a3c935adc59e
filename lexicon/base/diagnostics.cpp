#include "lexicon/base/diagnostics.h"

#include <algorithm>

#include "lexicon/base/escapes.h"
#include "lexicon/base/gbk.h"

namespace lexicon {

std::string code_name(Code code) {
    const int n = static_cast<int>(code);
    std::string name(1, is_warning(code) ? 'W' : 'E');
    if (n < 100) name += '0';
    if (n < 10) name += '0';
    name += std::to_string(n);
    return name;
}

void Diagnostics::add(Code code, std::uint32_t line, std::string text) { add_at(code, line, 0, std::move(text)); }

void Diagnostics::add_at(Code code, std::uint32_t line, std::uint32_t column, std::string text) {
    if (is_warning(code)) {
        ++warnings_;
    } else {
        ++errors_;
    }
    if (listed_.size() < max_listed_) listed_.push_back({code, line, std::move(text), column});
}

void Diagnostics::merge_found_apart(const Diagnostics& found, const std::vector<std::size_t>& positions) {
    std::vector<Diagnostic> merged;
    merged.reserve(std::min(max_listed_, listed_.size() + found.listed_.size()));
    std::size_t mine = 0;  // listed_[mine] was the mine-th message of this run
    for (std::size_t k = 0; k < found.listed_.size() && merged.size() < max_listed_; ++k) {
        while (mine < listed_.size() && mine < positions[k] && merged.size() < max_listed_) {
            merged.push_back(std::move(listed_[mine++]));
        }
        if (merged.size() < max_listed_) merged.push_back(found.listed_[k]);
    }
    while (mine < listed_.size() && merged.size() < max_listed_) merged.push_back(std::move(listed_[mine++]));
    listed_ = std::move(merged);
    errors_ += found.errors_;
    warnings_ += found.warnings_;
}

std::string shown(std::string_view text) {
    constexpr std::size_t max_shown = 60;
    std::string escaped = escape_text(text, EscapeFor::Original);
    if (escaped.size() <= max_shown) return escaped;
    return cat(gbk::prefix(escaped, max_shown), "……");
}

std::string quoted_ending(std::string_view text) {
    constexpr std::size_t max_shown = 60;
    const std::string escaped = escape_text(text, EscapeFor::Original);
    if (escaped.size() <= max_shown) return cat("“", escaped, "”");
    // The first character boundary from which the rest fits.
    std::size_t start = 0;
    while (escaped.size() - start > max_shown) start += gbk::char_length(escaped, start);
    return cat("（前略）“", std::string_view(escaped).substr(start), "”");
}

std::string format_message(const Diagnostic& d, std::string_view source_name) {
    std::string out;
    const int n = static_cast<int>(d.code);
    if (n >= 100) {
        out.append(source_name);
        if (d.line != 0) out += d.column != 0 ? cat('(', d.line, ',', d.column, ')') : cat('(', d.line, ')');
    } else {
        out.append("Mervik");
    }
    out += cat(": ", is_warning(d.code) ? "警告 " : "错误 ", code_name(d.code), ": ", d.text);
    return out;
}

}  // namespace lexicon
