// libFuzzer target: any bytes as a word list. A source that compiles must give a library
// that the reader accepts and in which every entry finds its own translation.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lexicon/base/byte_sink.h"
#include "lexicon/base/diagnostics.h"
#include "lexicon/library/library_reader.h"
#include "lexicon/library/library_writer.h"
#include "lexicon/wordlist/word_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lexicon;
    Diagnostics diagnostics(50);
    const WordList list = compile_word_list(std::string(reinterpret_cast<const char*>(data), size), diagnostics);
    for (const Diagnostic& d : diagnostics.listed()) (void)format_message(d, "temp.trs");
    if (diagnostics.errors() > 0) return 0;

    StringSink sink;
    if (!write_library(list, "fuzz", sink)) std::abort();
    std::string error;
    const auto library = Library::open(sink.bytes, error);
    if (!library || library->size() != list.entries().size()) std::abort();
    for (const Entry& e : list.entries()) {
        if (library->lookup(list.original(e)) != list.translation(e)) std::abort();
    }
    return 0;
}
