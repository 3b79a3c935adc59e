// libFuzzer target: the two line-break rules of a generation run on any bytes. The
// message file's lines hold no break and no NUL and give back the text before the first
// NUL; the source file's text has CR LF breaks only and the same lines as the editor's.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "generation/line_breaks.h"

namespace {
void Check(bool holds) {
    if (!holds) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = generation::SplitMessageLines(bytes);
    const std::string_view text = bytes.substr(0, bytes.find('\0'));
    std::size_t kept = 0;
    for (const std::string& line : lines) {
        Check(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
        kept += line.size();
    }
    std::size_t breaks = 0;
    for (char c : text) breaks += c == '\r' || c == '\n';
    Check(kept + breaks == text.size());  // only breaks are dropped, and each line is in order
    std::size_t at = 0;
    for (const std::string& line : lines) {
        at = text.find(line, at);
        Check(at != std::string_view::npos);
        at += line.size();
    }

    const std::string source = generation::WithCrLfLineBreaks(text);
    for (std::size_t i = 0; i < source.size(); ++i) {
        if (source[i] == '\r') Check(i + 1 < source.size() && source[i + 1] == '\n');
        if (source[i] == '\n') Check(i > 0 && source[i - 1] == '\r');
    }
    Check(generation::SplitMessageLines(source) == generation::SplitMessageLines(text));
    Check(generation::WithCrLfLineBreaks(source) == source);
    return 0;
}
