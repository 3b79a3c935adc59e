#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "lexicon/byte_sink.h"
#include "lexicon/word_list.h"

namespace lexicon {

// Size in bytes of the library for these entries, or nothing when it would pass the
// 4 GB that its 32-bit offsets can address.
std::optional<std::uint64_t> library_size(const WordList& list, std::string_view description);

// Streams the library through one buffer into `sink`. False when the sink failed.
// The description must be at most format::max_description_bytes long.
bool write_library(const WordList& list, std::string_view description, ByteSink& sink);

}  // namespace lexicon
