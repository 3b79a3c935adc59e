// Prints the cost of a random hit in a compiled library:
//   mervik_lookup_bench LIBRARY [LOOKUPS]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <time.h>

#include "lexicon/library/library_reader.h"

// <chrono> cannot be compiled with the GBK execution character set (its "µs").
static double now_ns() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s LIBRARY [LOOKUPS]\n", argv[0]);
        return 2;
    }
    const long lookups = argc > 2 ? std::atol(argv[2]) : 2000000;
    std::ifstream in(argv[1], std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string error;
    const auto library = lexicon::Library::open(std::move(bytes), error);
    if (!library) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 2;
    }
    std::vector<std::string_view> keys;
    keys.reserve(library->size());
    for (const lexicon::LibraryEntry e : *library) keys.push_back(e.original);
    if (keys.empty()) return 2;

    // The keys in random order, copied one after the other in the order of the look-ups:
    // the caller's own key is usually at hand, so only the library's memory is cold.
    std::mt19937 random(12345);
    std::uniform_int_distribution<std::uint32_t> pick(0, static_cast<std::uint32_t>(keys.size() - 1));
    std::string key_bytes;
    std::vector<std::uint32_t> key_ends;
    key_ends.reserve(static_cast<std::size_t>(lookups));
    for (long i = 0; i < lookups; ++i) {
        key_bytes.append(keys[pick(random)]);
        key_ends.push_back(static_cast<std::uint32_t>(key_bytes.size()));
    }

    std::size_t found = 0;
    const double start = now_ns();
    std::uint32_t begin = 0;
    for (const std::uint32_t end : key_ends) {
        found += library->lookup(std::string_view(key_bytes.data() + begin, end - begin)).has_value();
        begin = end;
    }
    const double stop = now_ns();
    const double ns = (stop - start) / static_cast<double>(lookups);

    std::string missing_key = "\x01no such original";
    std::size_t misses = 0;
    const double miss_start = now_ns();
    for (long i = 0; i < lookups / 4; ++i) {
        missing_key[0] = static_cast<char>('A' + i % 26);
        misses += !library->lookup(missing_key).has_value();
    }
    const double miss_stop = now_ns();
    const double miss_ns = (miss_stop - miss_start) / static_cast<double>(lookups / 4);

    std::printf("entries %u, lookups %ld, hits %zu: %.1f ns per random hit, %.1f ns per miss\n", library->size(),
                lookups, found, ns, miss_ns);
    return found == static_cast<std::size_t>(lookups) && misses == static_cast<std::size_t>(lookups / 4) ? 0 : 1;
}
