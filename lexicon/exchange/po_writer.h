#pragma once
// Writes entries as a PO file in UTF-8 that gettext's tools accept (msgfmt -c).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "lexicon/base/diagnostics.h"

namespace lexicon {

class PoWriter {
public:
    // `project` names the texts in the header (GBK); `revision_date` is the header's
    // "YYYY-MM-DD HH:MM+ZZZZ".
    PoWriter(std::string_view project, std::string_view revision_date);

    // One entry (GBK texts; an empty translation is an untranslated entry). `line` is
    // where the entry stands in its source, 0 for a library. A character without a
    // Unicode code point is reported, and the entry left out.
    void add(std::string_view original, std::string_view translation, std::uint32_t line, Diagnostics& diagnostics);

    std::size_t entries() const { return entries_; }
    const std::string& text() const { return text_; }

private:
    void append_string(std::string_view keyword, std::string_view utf8);

    std::string text_;
    std::string original_utf8_, translation_utf8_;  // the entry's texts in UTF-8, reused
    std::size_t entries_ = 0;
};

}  // namespace lexicon
