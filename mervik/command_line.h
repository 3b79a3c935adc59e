#pragma once
// What Mervik is asked to do, from a raw Windows command line or from argv.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mervik {

// Splits a raw command line (GetCommandLineA) into words. A word is either a run of
// bytes other than blank and tab, or everything between two double quotes, taken byte
// for byte: there is no escape character, so "abc\" is the word abc\ and a GBK trail
// byte 0x5C needs no care. Nothing when a quote is left open.
std::optional<std::vector<std::string>> split_command_line(std::string_view line);

struct Request {
    enum class Mode {
        Compile,
        Help,
        Version,
        Dump,
        ImportPo,
        ExportPo,
        Extract,
        Suggest,
        SuggestFile,
        Pretranslate,
        Consistency,
        Apply
    };
    Mode mode = Mode::Compile;
    std::string source;
    std::string output;  // as given; see library_path() (a compile) and native_path()
    std::string description;
    // --extract
    std::vector<std::string> programs;
    std::optional<std::uint16_t> source_language;
    std::uint16_t translation_language = 0x0804;
    // --apply
    std::vector<std::string> libraries;
    bool translation_language_given = false;
    bool no_fit = false;
    // The memory commands (memory_command.h)
    std::string memory_folder;
    std::vector<std::string> memory_files;
    std::size_t top = 5;
    int min_score = 0;  // 0: the command's own default
};

// The words after the program name. On failure `error` holds the message text.
std::optional<Request> parse_arguments(const std::vector<std::string>& words, std::string& error);

// The library's path from the output argument: ".LIB" is added when the file name
// (after the last separator) has no '.'; the editor sends LIB\abc for abc.
std::string library_path(std::string_view output);

// Why Windows refuses the last part of a path as a file name ("" when it takes it): a
// character from < > : " / \ | ? * or a control character, a device name such as CON,
// NUL, COM1 or LPT1 (with or without an extension), or a trailing full stop or blank.
// GBK-aware: a trail byte is never taken for one of those characters.
std::string file_name_refusal(std::string_view path);

// The directory part of a path, without its separator ("" when there is none).
std::string_view directory_of(std::string_view path);

}  // namespace mervik
