#pragma once
// Large buffers paged in 2 MB at a time where the system offers it: a fresh buffer of
// many megabytes otherwise costs a page fault every 4 KB on its first write.
#include <cstddef>
#include <string>
#include <vector>

namespace lexicon {

// Advises the whole 2 MB pages inside [data, data + bytes); harmless where unsupported.
void advise_large_pages(const void* data, std::size_t bytes);

// Memory for a buffer of `bytes`: from a megabyte on it starts on a 2 MB boundary and is
// advised as large pages, so that no part of it is paged in 4 KB at a time. Throws
// std::bad_alloc. Freed with free_large and the same size.
void* allocate_large(std::size_t bytes);
void free_large(void* data, std::size_t bytes) noexcept;

// For the vectors of many megabytes that a large word list builds.
template <typename T>
struct LargePageAllocator {
    using value_type = T;
    LargePageAllocator() = default;
    template <typename U>
    explicit LargePageAllocator(const LargePageAllocator<U>& /*other*/) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(allocate_large(n * sizeof(T))); }
    void deallocate(T* data, std::size_t n) noexcept { free_large(data, n * sizeof(T)); }
    friend bool operator==(const LargePageAllocator& /*a*/, const LargePageAllocator& /*b*/) { return true; }
};

template <typename T>
using LargeVector = std::vector<T, LargePageAllocator<T>>;

// Reserves room for `count` elements, in large pages when the room is large. Call it on
// an empty container, before the first write.
template <typename T, typename Allocator>
void reserve_large(std::vector<T, Allocator>& v, std::size_t count) {
    v.reserve(count);
    advise_large_pages(v.data(), count * sizeof(T));
}
// Maps every page of [data, data + bytes) in one call where the system can, not a fault
// per page at the first write.
void prefault(void* data, std::size_t bytes);

// For a buffer about to be filled whole (a file read into it): its pages are mapped at
// once.
inline void reserve_large(std::string& s, std::size_t count) {
    s.reserve(count);
    advise_large_pages(s.data(), count);
    prefault(s.data(), count);
}

}  // namespace lexicon
