#pragma once
// Whether a file can be opened at all: what its text will cost the editor's control,
// told before anything is loaded, so that a list too large for the address space is
// refused with a message instead of ending the program (and the other windows'
// unsaved work with it). Window-free.
#include <cstdint>
#include <string>
#include <string_view>

namespace documents {

// The memory a text of `bytes` bytes in `lines` lines needs in the editor, with room
// for one 全部替换 (which keeps the text before it, a second text of the same size, for
// undoing it). The control's share grows with both: per byte for its characters, per
// line for the paragraph it lays out. Measured under Wine, 32-bit: a 10 MB list of
// 194,000 lines holds 1.7 GB once open.
std::uint64_t EstimatedOpenBytes(std::uint64_t bytes, std::uint64_t lines);

// The refusal: the file's size, what opening it would need and what the program has
// left, and that Mervik compiles lists of this size.
std::string TooLargeToOpenMessage(std::string_view path, std::uint64_t bytes, std::uint64_t needed,
                                  std::uint64_t available);

// "50.0 MB", "1.7 GB".
std::string SizeText(std::uint64_t bytes);

}  // namespace documents
