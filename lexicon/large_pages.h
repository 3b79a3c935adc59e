#pragma once
// Large buffers paged in 2 MB at a time where the system offers it: a fresh buffer of
// many megabytes otherwise costs a page fault every 4 KB on its first write.
#include <cstddef>
#include <string>
#include <vector>

namespace lexicon {

// Advises the whole 2 MB pages inside [data, data + bytes); harmless where unsupported.
void advise_large_pages(const void* data, std::size_t bytes);

// Reserves room for `count` elements, in large pages when the room is large. Call it on
// an empty container, before the first write.
template <typename T>
void reserve_large(std::vector<T>& v, std::size_t count) {
    v.reserve(count);
    advise_large_pages(v.data(), count * sizeof(T));
}
inline void reserve_large(std::string& s, std::size_t count) {
    s.reserve(count);
    advise_large_pages(s.data(), count);
}

}  // namespace lexicon
