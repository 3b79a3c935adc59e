#pragma once
// The rules of the lexicon properties dialog's two fields, on GBK bytes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lexicon {

// The editor's description field holds at most 100 bytes, within the 255 that a library
// holds (format::max_description_bytes, Mervik's and KORVEX's limit).
constexpr std::size_t kDescriptionMaxBytes = 100;
constexpr std::size_t kFileNameMaxBytes = 8;

// False when the description holds a double quote, or the file name a double quote,
// blank, backslash or colon. Byte by byte on purpose: a Chinese character whose trail
// byte is 0x5C would end up as a path separator on the compiler's side.
bool LexiconFieldsAllowed(std::string_view description, std::string_view fileName);

// A field after an edit that took it past its byte limit: the inserted text is cut to
// what fits (whole characters), the rest of the field is kept, and the caret goes
// behind what was kept of the insertion. Positions count characters, as the edit
// control does.
struct FittedField {
    std::string text;
    std::size_t caret = 0;
};
// Nothing when `after` fits within `maxBytes`.
std::optional<FittedField> FitToByteLimit(std::string_view before, std::string_view after, std::size_t maxBytes);

}  // namespace lexicon
