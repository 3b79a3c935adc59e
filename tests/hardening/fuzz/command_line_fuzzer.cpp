// libFuzzer target: the compiler's reading of its raw command line. The words hold no
// more than the line (a quote opens a word only at its start; elsewhere it is a byte
// of the word), and the library path and its folder are drawn from the output argument.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mervik/command_line.h"

namespace {
void Check(bool holds) {
    if (!holds) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const auto words = mervik::split_command_line(line);
    if (!words) return 0;
    std::size_t bytes = 0;
    for (const std::string& word : *words) {
        Check(line.find(word) != std::string_view::npos);
        bytes += word.size();
    }
    Check(bytes <= line.size());
    if (words->empty()) return 0;
    std::string error;
    const auto request = mervik::parse_arguments(std::vector<std::string>(words->begin() + 1, words->end()), error);
    if (!request) {
        Check(!error.empty());
        return 0;
    }
    const std::string library = mervik::library_path(request->output);
    Check(library.compare(0, request->output.size(), request->output) == 0);
    const std::string_view folder = mervik::directory_of(library);
    Check(folder.size() <= library.size() && library.compare(0, folder.size(), folder) == 0);
    return 0;
}
