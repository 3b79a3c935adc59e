#pragma once
// Writes a copy of a program whose menus, dialogs, string tables and version texts show
// the translations of a library: each text that extraction would write is looked up by
// that original. Dialog controls too narrow for their translation are widened.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "lexicon/base/diagnostics.h"

namespace lexicon {

struct ApplyOptions {
    std::optional<std::uint16_t> source_language;  // none: the rule extraction uses
    // none: the source language's resources are translated in place; else the translated
    // resources go under this language beside the originals.
    std::optional<std::uint16_t> translation_language;
    bool fit = true;  // false: the dialogs' geometry stays as it is
};

struct ApplyCounts {
    std::size_t translated = 0;          // texts replaced
    std::size_t untranslated = 0;        // texts the libraries have no translation for
    std::size_t refused = 0;             // translations a check refused
    std::size_t widened = 0;             // controls made wider
    std::size_t not_fitting = 0;         // texts that still do not fit
    std::size_t replaced_resources = 0;  // resources of the translation language replaced
};

// A translation found for an original (GBK), and whether a check refuses it: the check
// that does ("E108", "W204"), empty when none.
struct Found {
    std::string_view translation;
    std::string refused_by;
};
using Translations = std::function<std::optional<Found>(std::string_view original)>;

// The program in `bytes` with the translations applied; nothing with `error` (GBK) when
// the file cannot be read or rewritten. The messages about single texts go to
// `diagnostics` (W242, W244, W245, W246).
std::optional<std::string> apply_translations(std::string_view file_name, std::string_view bytes,
                                              const Translations& translations, const ApplyOptions& options,
                                              ApplyCounts& counts, Diagnostics& diagnostics, std::string& error);

// Whether a translation may replace its original in a program: "E108" when their
// placeholders differ, "W204" when their access-key counts do; empty when it may.
std::string refusing_check(std::string_view original, std::string_view translation);

}  // namespace lexicon
