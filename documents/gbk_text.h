#pragma once
// Window-free facts about GBK (code page 936) byte strings, as the document editor
// needs them: which bytes form one character, where a stream chunk may end, and
// whether a file's bytes are GBK text at all.
#include <cstddef>
#include <string_view>

namespace documents {

// The offset of the first byte that is not part of a well-formed code page 936
// character, or npos when the whole string is well formed. Single bytes 0x00..0x80
// and 0xFF stand for themselves (the code page maps 0x80 and 0xFF to characters of
// their own); a lead byte needs a trail byte after it.
std::size_t FindNonGbk(std::string_view bytes);

// Where a stream chunk that starts at `start` and may hold up to `maxBytes` bytes
// should end: never inside a double-byte character and never between CR and LF,
// unless the chunk could not otherwise hold anything at all. Returns an offset in
// (start, text.size()] when start < text.size().
std::size_t GbkChunkEnd(std::string_view text, std::size_t start, std::size_t maxBytes);

// The same for UTF-16 text: never between the two halves of a surrogate pair and
// never between CR and LF.
std::size_t Utf16ChunkEnd(std::u16string_view text, std::size_t start, std::size_t maxUnits);

}  // namespace documents
