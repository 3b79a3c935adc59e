#pragma once
// The open-addressing index over hashed originals: the word list finds duplicates with
// it while compiling, and a library stores the same slots as its index.
#include <cstddef>
#include <cstdint>

namespace lexicon {

// An open-addressing slot: the hash of the original and what it finds (an entry number
// plus one while compiling, a record offset in the library; 0 = free).
struct Slot {
    std::uint32_t hash;
    std::uint32_t entry;
};

// Maps a hash to a slot of a table of `slots` slots; shared with the library reader.
inline std::size_t home_slot(std::uint32_t hash, std::size_t slots) {
    return static_cast<std::size_t>((static_cast<std::uint64_t>(hash) * slots) >> 32);
}

// A hint to start loading memory that is needed soon; the hash tables are larger than
// the caches, and each insert would otherwise wait for its slot.
inline void prefetch(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

}  // namespace lexicon
