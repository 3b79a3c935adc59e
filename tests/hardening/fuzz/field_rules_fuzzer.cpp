// libFuzzer target: the lexicon properties dialog's field rules and the compiler's
// command line built from them. A field cut to its limit keeps whole characters and
// never grows past it; allowed fields reach the compiler as the same words.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "generation/compiler_command_line.h"
#include "lexicon/base/gbk.h"
#include "lexicon/base/lexicon_fields.h"
#include "mervik/command_line.h"

namespace {
void Check(bool holds) {
    if (!holds) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Three fields split at the first two 0x01 bytes: before, after, and a file name.
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::size_t first = all.find('\x01');
    if (first == std::string_view::npos) return 0;
    const std::size_t second = all.find('\x01', first + 1);
    if (second == std::string_view::npos) return 0;
    const std::string_view before = all.substr(0, first);
    const std::string_view after = all.substr(first + 1, second - first - 1);
    const std::string_view fileName = all.substr(second + 1);

    for (std::size_t limit : {lexicon::kFileNameMaxBytes, lexicon::kDescriptionMaxBytes}) {
        const auto fitted = lexicon::FitToByteLimit(before, after, limit);
        if (after.size() <= limit) {
            Check(!fitted);
            continue;
        }
        Check(fitted.has_value());
        Check(fitted->text.size() <= limit);
        std::size_t characters = 0;
        for (std::size_t i = 0; i < fitted->text.size(); i += lexicon::gbk::walk_length(fitted->text, i)) ++characters;
        Check(fitted->caret <= characters);
    }

    const bool allowed = lexicon::LexiconFieldsAllowed(after, fileName);
    const std::string line = lexicon::CompilerCommandLine(fileName, after);
    const auto words = mervik::split_command_line(line);
    if (!allowed) return 0;
    // The compiler reads back exactly what the dialog allowed.
    Check(words.has_value() && words->size() == 4);
    Check((*words)[0] == "Mervik.exe" && (*words)[1] == "temp.trs");
    Check((*words)[3] == after);
    const std::string& output = (*words)[2];
    Check(output.compare(0, 4, "LIB\\") == 0 && output.compare(4, fileName.size(), fileName) == 0);
    std::string error;
    (void)mervik::parse_arguments(std::vector<std::string>(words->begin() + 1, words->end()), error);
    (void)mervik::library_path(output);
    return 0;
}
