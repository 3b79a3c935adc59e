#include "generation/compiler_command_line.h"

#include "lexicon/base/gbk.h"

namespace generation {

namespace {

// The output argument without its quotes.
std::string OutputArgument(std::string_view fileName) {
    std::string output = "LIB\\";
    output += fileName;
    if (output.find('.') != std::string::npos) output += ".LIB";
    return output;
}

}  // namespace

std::string CompilerCommandLine(std::string_view fileName, std::string_view description) {
    const std::string output = OutputArgument(fileName);

    std::string line = "Mervik.exe ";
    line += "  ";
    line += "temp.trs ";
    line += '"';
    line += output;
    line += '"';
    line += "  ";
    line += '"';
    line += description;
    line += '"';
    return line;
}

std::vector<std::string> StoppedCompilerTemporaryFiles(std::string_view fileName, std::string_view programDir,
                                                       unsigned long processId) {
    std::string library = OutputArgument(fileName);
    const std::size_t separator = lexicon::gbk::find_last_separator(library);
    if (library.find('.', separator + 1) == std::string::npos) library += ".LIB";
    const std::string suffix = "." + std::to_string(processId) + ".tmp";
    return {library + suffix, std::string(programDir) + "Mervik.ERR" + suffix};
}

}  // namespace generation
