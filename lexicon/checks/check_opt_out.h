#pragma once
// The per-entry opt-out of the entry checks: a comment line directly before an entry,
//   ;@no-check W206 W212
// turns the named warnings off for that entry only, so that a reviewed false alarm
// never comes back.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/base/diagnostics.h"

namespace lexicon {

constexpr std::string_view check_opt_out = ";@no-check";

// The warnings about one entry that an opt-out may name (kind EntryCheck in codes.def).
bool is_entry_check(Code code);
// The same as the user reads them: "W202–W206 和 W212–W216".
std::string entry_check_names();

class CheckOptOut {
public:
    // Reads a comment line; false when it is no opt-out line. The names that are no
    // entry check go to `unknown`; the rest still count.
    bool read(std::string_view comment, std::vector<std::string_view>* unknown = nullptr);
    bool off(Code code) const;
    bool any() const { return bits_ != 0; }
    void clear() { bits_ = 0; }

private:
    std::uint64_t bits_ = 0;  // bit n: W(200 + n)
};

}  // namespace lexicon
