// libFuzzer target: any bytes as a library file. Opening must either refuse them or give
// a library whose entries, look-ups and dump stay inside the data. The checksum is not
// checked, so that mutated files reach the structural checks.
#include <cstddef>
#include <cstdint>
#include <string>

#include "lexicon/base/escapes.h"
#include "lexicon/library/library_reader.h"
#include "lexicon/wordlist/word_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lexicon;
    std::string error;
    const auto library = Library::open(std::string(reinterpret_cast<const char*>(data), size), error,
                                       Library::Options{false});
    if (!library) return 0;
    std::size_t count = 0;
    for (const LibraryEntry e : *library) {
        (void)library->lookup(e.original);
        (void)escape_text(e.original, EscapeFor::Original);
        (void)escape_text(e.translation, EscapeFor::Translation);
        ++count;
    }
    (void)library->lookup("not there");
    (void)library->description();
    if (count != library->size()) __builtin_trap();
    return 0;
}
