#pragma once
// The checks of Chinese typography and of the Windows conventions inside a translation:
// half-width marks among Chinese characters, full-width Latin letters, paired marks
// that do not close, and access keys not written as "(&X)".
#include <cstdint>
#include <string_view>

#include "lexicon/diagnostics.h"

namespace lexicon {

// The comment line that, directly before an entry, turns one of these checks off for
// that entry: ";@no-check W212". Several codes may follow, separated by blanks.
constexpr std::string_view check_opt_out = ";@no-check";

// A set of the typography codes (W212-W229) turned off for one entry.
class CheckOptOut {
public:
    // Reads the comment line; false when it is no opt-out line.
    bool read(std::string_view comment);
    bool off(Code code) const;
    void clear() { bits_ = 0; }

private:
    std::uint32_t bits_ = 0;
};

// Runs every typography check on one entry of GBK text. Each message names the
// character of the translation it is about (1-based, counted in characters).
void check_typography(std::string_view original, std::string_view translation, std::uint32_t line,
                      Diagnostics& diagnostics, const CheckOptOut& opt_out = {});

}  // namespace lexicon
