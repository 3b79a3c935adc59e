#include "lexicon/base/large_pages.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace lexicon {

void advise_large_pages([[maybe_unused]] const void* data, [[maybe_unused]] std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t large_page = std::uintptr_t{2} << 20;
    if (bytes < 2 * large_page) return;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + large_page - 1) & ~(large_page - 1);
    const std::uintptr_t last = (begin + bytes) & ~(large_page - 1);
    // The address is moved from the pointer itself, which keeps its provenance.
    if (last > first) {
        ::madvise(const_cast<char*>(static_cast<const char*>(data)) + (first - begin), last - first, MADV_HUGEPAGE);
    }
#endif
}

void prefault(void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    constexpr std::uintptr_t page = 4096;
    const auto address = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t before = address & (page - 1);  // back to the page's start
    // Older systems do not know the advice; the pages then come one fault at a time.
    ::madvise(static_cast<char*>(data) - before, bytes + before, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

namespace {
constexpr std::size_t large_page = std::size_t{2} << 20;
// Below this a buffer is an ordinary allocation.
constexpr std::size_t large_from = std::size_t{1} << 20;
}  // namespace

void* allocate_large(std::size_t bytes) {
#if defined(__linux__)
    if (bytes >= large_from) {
        const std::size_t rounded = (bytes + large_page - 1) & ~(large_page - 1);
        void* data = nullptr;
        if (::posix_memalign(&data, large_page, rounded) != 0) throw std::bad_alloc();
        advise_large_pages(data, rounded);
        return data;
    }
#endif
    return ::operator new(bytes);
}

void free_large(void* data, [[maybe_unused]] std::size_t bytes) noexcept {
#if defined(__linux__)
    if (bytes >= large_from) {
        std::free(data);  // NOLINT(cppcoreguidelines-no-malloc): it came from posix_memalign
        return;
    }
#endif
    ::operator delete(data);
}

}  // namespace lexicon
