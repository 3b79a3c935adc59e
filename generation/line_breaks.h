#pragma once
// Line breaks of the two files a generation run exchanges with the compiler.
#include <string>
#include <string_view>
#include <vector>

namespace generation {

// The lines of Mervik.ERR, in file order, unchanged. A line ends at CR LF, at a lone CR
// or at a lone LF; a NUL byte ends the text; a last line without a break counts, and a
// break at the very end adds no empty line.
std::vector<std::string> SplitMessageLines(std::string_view bytes);

// The source file's bytes: the editor's text with every line break as CR LF. The
// editor may hold a lone CR or LF (a file loaded with them keeps them).
std::string WithCrLfLineBreaks(std::string_view text);

}  // namespace generation
