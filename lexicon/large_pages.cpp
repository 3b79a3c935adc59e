#include "lexicon/large_pages.h"

#include <cstdint>

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
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

}  // namespace lexicon
