// libFuzzer target: any bytes as a PO file. What the import accepts must be a word list
// without syntax errors, and that list, exported to PO and imported again, must give the
// same entries (less those that go out as fuzzy).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "lexicon/base/diagnostics.h"
#include "lexicon/exchange/po_reader.h"
#include "lexicon/exchange/po_writer.h"
#include "lexicon/wordlist/word_list.h"

namespace {

using namespace lexicon;
using Pairs = std::vector<std::pair<std::string, std::string>>;

// Every entry of the list, translated or not, in the order of the source.
Pairs all_entries(const WordList& list) {
    Pairs out;
    const auto& done = list.entries();
    const auto& open = list.untranslated();
    for (std::size_t a = 0, b = 0; a < done.size() || b < open.size();) {
        const bool take_done = b == open.size() || (a < done.size() && done[a].line < open[b].line);
        const Entry& e = take_done ? done[a++] : open[b++];
        out.emplace_back(list.original(e), list.translation(e));
    }
    return out;
}

bool syntax_error(const Diagnostics& d) {
    for (const Diagnostic& m : d.listed()) {
        const int n = static_cast<int>(m.code);
        if ((n >= 101 && n <= 104) || n == 109) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Diagnostics diagnostics(50);
    const PoImport imported = word_list_from_po({reinterpret_cast<const char*>(data), size}, diagnostics);
    for (const Diagnostic& d : diagnostics.listed()) (void)format_message(d, "fuzz.po");
    if (diagnostics.errors() > 0) {
        if (!imported.word_list.empty()) std::abort();
        return 0;
    }

    Diagnostics compiled(SIZE_MAX);
    const WordList list = compile_word_list(imported.word_list, compiled);
    if (syntax_error(compiled)) std::abort();
    if (compiled.errors() > 0) return 0;

    PoWriter writer("fuzz", "2026-01-01 00:00+0000");
    Diagnostics exported(SIZE_MAX);
    const Pairs before = all_entries(list);
    Pairs expected;
    for (const auto& [original, translation] : before) {
        const std::size_t fuzzy = exported.warnings();
        writer.add(original, translation, 0, exported);
        if (exported.warnings() == fuzzy) expected.emplace_back(original, translation);
    }
    if (exported.errors() > 0) return 0;  // a character from GBK's user-defined areas

    Diagnostics again(50);
    const PoImport reimported = word_list_from_po(writer.text(), again);
    if (again.errors() > 0) std::abort();
    Diagnostics recompiled(50);
    const WordList list_again = compile_word_list(reimported.word_list, recompiled);
    if (recompiled.errors() > 0 || all_entries(list_again) != expected) std::abort();
    return 0;
}
