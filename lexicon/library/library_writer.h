#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "lexicon/base/byte_sink.h"
#include "lexicon/wordlist/word_list.h"

namespace lexicon {

// Size in bytes of the library for these entries, or nothing when it would pass the
// 4 GB that its 32-bit offsets can address.
std::optional<std::uint64_t> library_size(const WordList& list, std::string_view description);

// Streams the library through one buffer into `sink`. False when the sink failed.
// The description must be at most format::max_description_bytes long.
bool write_library(const WordList& list, std::string_view description, ByteSink& sink);

// The same for entries held elsewhere (the library editor's table), in this order. The
// originals must be unique, as a compiled word list's are; the same entries and
// description give the same bytes as writing the compiled list.
struct TextPair {
    std::string_view original;
    std::string_view translation;
};
std::optional<std::uint64_t> library_size(std::span<const TextPair> entries, std::string_view description);
bool write_library(std::span<const TextPair> entries, std::string_view description, ByteSink& sink);

}  // namespace lexicon
