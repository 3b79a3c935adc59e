// libFuzzer target: the GBK byte classes of the lexicon library and of the document
// editor on any bytes. Every scan must stay inside the text, agree with the others on
// where characters start, and never cut a double-byte character.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "documents/gbk_text.h"
#include "lexicon/base/gbk.h"

namespace {

void Check(bool holds) {
    if (!holds) __builtin_trap();
}

// Where the editor's walk puts character starts (a lead byte takes whatever follows).
std::vector<bool> WalkStarts(std::string_view text) {
    std::vector<bool> starts(text.size() + 1, false);
    for (std::size_t i = 0; i < text.size(); i += lexicon::gbk::walk_length(text, i)) starts[i] = true;
    starts[text.size()] = true;
    return starts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace gbk = lexicon::gbk;
    if (size < 2) return 0;
    const std::size_t maxBytes = data[0] % 64;  // small limits reach the chunk edges
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string_view view = text;
    const std::vector<bool> starts = WalkStarts(view);

    // The compiler's check: everything before the first invalid byte is valid on its own.
    const std::size_t invalid = gbk::find_invalid(view);
    Check(invalid == std::string_view::npos || invalid < view.size());
    if (invalid != std::string_view::npos) Check(gbk::find_invalid(view.substr(0, invalid)) == std::string_view::npos);

    // The editor's check is weaker (control bytes are text to it): valid for the
    // compiler means well formed for the editor.
    const std::size_t nonGbk = documents::FindNonGbk(view);
    if (invalid == std::string_view::npos) Check(nonGbk == std::string_view::npos);
    if (nonGbk != std::string_view::npos) {
        Check(nonGbk < view.size() && gbk::is_lead(static_cast<unsigned char>(view[nonGbk])));
        Check(documents::FindNonGbk(view.substr(0, nonGbk)) == std::string_view::npos);
    }

    const std::size_t separator = gbk::find_last_separator(view);
    if (separator != std::string_view::npos) Check(view[separator] == '\\' || view[separator] == '/');

    const std::string_view cut = gbk::prefix(view, maxBytes);
    Check(cut.size() <= maxBytes && cut.size() <= view.size());
    for (std::size_t i = 0; i < cut.size(); i += gbk::char_length(cut, i))
        Check(i + gbk::char_length(view, i) <= cut.size());

    // step_back finds the start of the character before every walk start, from the
    // start of the text and from any earlier boundary.
    for (std::size_t i = 1, previous = 0, earlier = 0; i <= view.size(); ++i) {
        if (!starts[i]) continue;
        Check(gbk::step_back(view, earlier, i) == previous);
        if (i < 64) Check(gbk::step_back(view, 0, i) == previous);
        earlier = previous;
        previous = i;
    }

    // Stream chunks: each ends on a character start (unless it is one byte long) and
    // never between a CR of its own and an LF when it could be helped; together they
    // cover the text.
    const std::size_t chunk = maxBytes + 1;
    for (std::size_t at = 0; at < view.size();) {
        const std::size_t end = documents::GbkChunkEnd(view, at, chunk);
        Check(end > at && end <= view.size() && end - at <= chunk);
        if (end - at > 1) {
            Check(starts[end]);
            Check(!(end < view.size() && starts[end - 1] && view[end - 1] == '\r' && view[end] == '\n'));
        }
        at = end;
    }

    // The same text as UTF-16 units, two bytes a unit.
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < view.size(); i += 2)
        wide.push_back(
            static_cast<char16_t>(static_cast<unsigned char>(view[i]) | static_cast<unsigned char>(view[i + 1]) << 8));
    for (std::size_t at = 0; at < wide.size();) {
        const std::size_t end = documents::Utf16ChunkEnd(wide, at, chunk);
        Check(end > at && end <= wide.size() && end - at <= chunk);
        if (end - at > 1 && end < wide.size()) {
            Check(!(wide[end - 1] >= 0xD800 && wide[end - 1] <= 0xDBFF && wide[end] >= 0xDC00 && wide[end] <= 0xDFFF));
            Check(!(wide[end - 1] == u'\r' && wide[end] == u'\n'));
        }
        at = end;
    }
    return 0;
}
