#pragma once
// Mervik's commands and options as data (commands.def): the parser, the usage lines and
// --help read them, and scripts/check_tables.py holds the manual page to them.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "mervik/command_line.h"

namespace mervik {

// What an option's value sets in the Request.
enum class OptionField {
    Output,
    SourceLanguage,
    TranslationLanguage,
    MemoryFolder,
    MemoryFile,
    Top,
    MinScore,
    Library,
    NoFit
};
enum class Presence { Optional, Required, Repeated };

struct CommandSpec {
    Request::Mode mode;
    std::string_view name;      // the first word; "" for a compile
    std::string_view operands;  // as the usage line names them
    std::size_t fewest;         // operands
    std::size_t most;           // 0: any number
    std::string_view summary;   // --help's text; lines separated by '\n'
};

struct OptionSpec {
    Request::Mode mode;
    std::string_view name;
    std::string_view value;  // as the usage line names it
    OptionField field;
    Presence presence;
};

std::span<const CommandSpec> command_specs();
std::span<const OptionSpec> option_specs();
// The command with that first word, or nullptr.
const CommandSpec* command_named(std::string_view name);
const CommandSpec& command_spec(Request::Mode mode);

// "Mervik --extract 程序... -o 词库源文件.trs [--source-lang 语言号] [--translation-lang 语言号]"
std::string usage_line(Request::Mode mode);
// What --help prints (CR LF line ends).
std::string help_text();

}  // namespace mervik
