#include "generation/compiler_command_line.h"

namespace generation {

std::string CompilerCommandLine(std::string_view fileName, std::string_view description) {
    std::string output = "LIB\\";
    output += fileName;
    if (output.find('.') != std::string::npos) output += ".LIB";

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

}  // namespace generation
