#pragma once
// Window-free rules of the document windows and the file commands: captions,
// the close prompt, the extension Open adds, the file dialog filter, the messages.
// All texts are GBK bytes.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "win/file_messages.h"

namespace documents {

// The caption prefix of a document that has never been saved.
inline constexpr std::string_view kNoname = "NONAME";

// The caption New gives its window: NONAME and the number of document windows
// open besides the new one (`openDocuments` counts the new one too).
std::string NonameCaption(std::size_t openDocuments);

// Save goes through the save dialog for any caption that holds NONAME anywhere
// (an exact, case-sensitive match), not only for the captions New gives.
bool NeedsSaveDialog(std::string_view caption);

// The close query's box: its caption and its text for a window captioned `caption`.
extern const char* const kCloseQueryCaption;
std::string CloseQueryPrompt(std::string_view caption);

// The two file types of the open dialog, in the order of its filter (1-based, as
// the dialog counts them).
enum class FileType { Text = 1, Rtf = 2 };
extern const char* const kOpenFilter;  // "文本文件(*.txt)|*.txt|RTF文件(*.rtf)|*.rtf"

// A filter written with bars as the file dialogs want it: every bar becomes a zero
// byte and the list ends with two. Only real bars count, never the trail byte of a
// double-byte character.
std::string DialogFilter(std::string_view barSeparated);

// The path Open reads: a path without a full stop anywhere (folder names included)
// gets ".TXT" or ".RTF" by the chosen file type; any other path stays as it is.
std::string PathToOpen(std::string_view chosen, FileType type);

// The messages of the file errors live with the safe save, which throws them.
using win::CannotCreateFile;
using win::CannotOpenFile;
using win::kFailedToLoadStream;
using win::kFailedToSaveStream;

// The box shown when a plain-text file holds bytes that the next save would change.
extern const char* const kNotGbkCaption;
std::string NotGbkWarning(std::string_view path);

// The question asked (under kNotGbkCaption) when a plain-text file is UTF-8 and not
// GBK, or UTF-16 ("UTF-16LE", "UTF-16BE"): Yes converts it to GBK, No reads its bytes
// as GBK.
std::string ConversionQuestion(std::string_view path, std::string_view encoding);
inline std::string Utf8Question(std::string_view path) { return ConversionQuestion(path, "UTF-8"); }
// What the conversion could not keep: the characters GBK lacks, by code point (a
// message box speaks GBK, so it cannot show them), at most kMissingListed of them.
inline constexpr std::size_t kMissingListed = 20;
std::string MissingCharactersMessage(const std::vector<char32_t>& missing);

// Typing and pasting stop at this many bytes of text; loading a file does not.
inline constexpr std::size_t kMaxTypedBytes = 655360;
// Whether an edit that removes `removedBytes` and adds `addedBytes` to a text of
// `textBytes` bytes stays within the limit. An edit that does not grow the text is
// always allowed, even in a text that was loaded beyond the limit.
bool EditFits(std::size_t textBytes, std::size_t removedBytes, std::size_t addedBytes);

}  // namespace documents
