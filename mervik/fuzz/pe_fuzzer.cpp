// libFuzzer target: any bytes as the resource section of a program (random bytes would
// almost never pass a whole PE header), and the same bytes as a menu, a dialog and a
// string-table template. Nothing may crash, and a word list the extractor writes must
// compile without a syntax error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lexicon/base/diagnostics.h"
#include "lexicon/program/pe_resources.h"
#include "lexicon/program/program_extract.h"
#include "lexicon/wordlist/word_list.h"

namespace {

void put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i) & 0xFF);
}

// A PE32 file whose one section, at RVA 0x1000, holds `rsrc` as its resource directory.
std::string wrap(std::string_view rsrc) {
    std::string pe(0x200, '\0');
    pe[0] = 'M';
    pe[1] = 'Z';
    put32(pe, 0x3C, 0x40);
    pe.replace(0x40, 4, std::string("PE\0\0", 4));
    put32(pe, 0x44, 0x0001014C);  // i386, one section
    put32(pe, 0x54, 224);         // optional header size
    put32(pe, 0x58, 0x10B);
    put32(pe, 0x58 + 92, 16);
    put32(pe, 0x58 + 96 + 16, 0x1000);
    put32(pe, 0x58 + 96 + 20, static_cast<std::uint32_t>(rsrc.size()));
    const std::size_t section = 0x58 + 224;
    put32(pe, section + 8, static_cast<std::uint32_t>(rsrc.size()));
    put32(pe, section + 12, 0x1000);
    put32(pe, section + 16, static_cast<std::uint32_t>(rsrc.size()));
    put32(pe, section + 20, 0x200);
    return pe.append(rsrc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lexicon;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    pe::Menu menu;
    pe::Dialog dialog;
    std::vector<pe::StringEntry> strings;
    (void)pe::parse_menu(bytes, menu, error);
    (void)pe::parse_dialog(bytes, dialog, error);
    (void)pe::parse_string_block(bytes, 1, strings, error);
    (void)pe::read_resources(bytes, error);

    Diagnostics diagnostics(50);
    ProgramExtractor extractor({});
    if (!extractor.add("fuzz.exe", wrap(bytes), diagnostics)) return 0;
    Diagnostics compiled(50);
    (void)compile_word_list(extractor.word_list(), compiled);
    // E109 is left out: clang keeps the comment lines' Chinese words in UTF-8 (gcc
    // writes them in GBK), which makes the list look like UTF-8.
    for (const Diagnostic& d : compiled.listed()) {
        const int n = static_cast<int>(d.code);
        if ((n >= 101 && n <= 104) || n == 106 || n == 107) std::abort();
    }
    return 0;
}
