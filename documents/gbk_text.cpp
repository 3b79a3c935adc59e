#include "documents/gbk_text.h"

#include "lexicon/base/gbk.h"

namespace documents {

std::size_t FindNonGbk(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        auto c = static_cast<unsigned char>(bytes[i]);
        if (!lexicon::gbk::is_lead(c)) {
            ++i;  // 0x00..0x80 and 0xFF
            continue;
        }
        if (i + 1 >= bytes.size() || !lexicon::gbk::is_trail(static_cast<unsigned char>(bytes[i + 1]))) return i;
        i += 2;
    }
    return std::string_view::npos;
}

std::size_t GbkChunkEnd(std::string_view text, std::size_t start, std::size_t maxBytes) {
    if (start >= text.size()) return text.size();
    std::size_t limit = text.size() - start < maxBytes ? text.size() : start + maxBytes;
    // Walk whole characters from the start: only the walk knows whether a byte in
    // 0x81..0xFE is a lead byte or the trail byte of the character before it.
    std::size_t end = start, lastWidth = 0;
    while (end < limit) {
        std::size_t width = lexicon::gbk::walk_length(text, end);
        if (end + width > limit) break;
        end += width;
        lastWidth = width;
    }
    // Only a CR of its own: a CR taken as the trail of a lead byte stays with it.
    if (end > start + 1 && lastWidth == 1 && end < text.size() && text[end - 1] == '\r' && text[end] == '\n') --end;
    if (end == start) end = start + 1;  // a chunk of one byte cannot be helped
    return end;
}

std::size_t Utf16ChunkEnd(std::u16string_view text, std::size_t start, std::size_t maxUnits) {
    if (start >= text.size()) return text.size();
    std::size_t end = text.size() - start < maxUnits ? text.size() : start + maxUnits;
    if (end < text.size()) {
        char16_t last = text[end - 1];
        // Neither a surrogate pair nor a CR LF pair is split between two chunks.
        bool splitsPair = (last >= 0xD800 && last <= 0xDBFF) || (last == u'\r' && text[end] == u'\n');
        if (end > start + 1 && splitsPair) --end;
    }
    return end;
}

}  // namespace documents
