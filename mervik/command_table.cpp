#include "mervik/command_table.h"

#include <array>

namespace mervik {

namespace {

constexpr CommandSpec commands[] = {
#define MERVIK_COMMAND(mode, name, operands, fewest, most, summary) \
    {Request::Mode::mode, name, operands, fewest, most, summary},
#define MERVIK_OPTION(mode, name, value, field, presence)
#include "mervik/commands.def"
#undef MERVIK_COMMAND
#undef MERVIK_OPTION
};

constexpr OptionSpec options[] = {
#define MERVIK_COMMAND(mode, name, operands, fewest, most, summary)
#define MERVIK_OPTION(mode, name, value, field, presence) \
    {Request::Mode::mode, name, value, OptionField::field, Presence::presence},
#include "mervik/commands.def"
#undef MERVIK_COMMAND
#undef MERVIK_OPTION
};

// Where --help starts a command's summary: a longer usage line puts it on a line of its own.
constexpr std::size_t summary_column = 35;

}  // namespace

std::span<const CommandSpec> command_specs() { return commands; }
std::span<const OptionSpec> option_specs() { return options; }

const CommandSpec* command_named(std::string_view name) {
    for (const CommandSpec& c : commands) {
        if (!c.name.empty() && c.name == name) return &c;
    }
    return nullptr;
}

const CommandSpec& command_spec(Request::Mode mode) {
    for (const CommandSpec& c : commands) {
        if (c.mode == mode) return c;
    }
    return commands[0];
}

std::string usage_line(Request::Mode mode) {
    const CommandSpec& command = command_spec(mode);
    std::string line = "Mervik";
    if (!command.name.empty()) line.append(" ").append(command.name);
    if (!command.operands.empty()) line.append(" ").append(command.operands);
    for (const OptionSpec& o : options) {
        if (o.mode != mode) continue;
        std::string part(o.name);
        if (!o.value.empty()) part.append(" ").append(o.value);
        if (o.presence == Presence::Required) {
            line.append(" ").append(part);
        } else {
            line.append(" [").append(part).append("]");
            if (o.presence == Presence::Repeated) line.append("...");
        }
    }
    return line;
}

std::string help_text() {
    std::string text =
        "Mervik：把词库源文件（GBK 文本，每行“原文=译文”）编译成词库文件。\r\n"
        "\r\n"
        "用法：\r\n";
    for (const CommandSpec& c : commands) {
        std::string line = "  " + usage_line(c.mode);
        // GBK text: a byte is a column.
        if (line.size() + 1 < summary_column) {
            line.append(summary_column - line.size(), ' ');
        } else {
            line.append("\r\n").append(summary_column, ' ');
        }
        for (const char ch : c.summary) {
            if (ch == '\n') {
                line.append("\r\n").append(summary_column, ' ');
            } else {
                line.push_back(ch);
            }
        }
        text.append(line).append("\r\n");
    }
    text +=
        "\r\n"
        "编译的消息写在程序所在文件夹的 Mervik.ERR 中。\r\n"
        "退出码：0 已生成词库，1 源文件有错误，2 其他失败（参数、文件读写）。\r\n";
    return text;
}

}  // namespace mervik
