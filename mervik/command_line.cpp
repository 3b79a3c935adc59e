#include "mervik/command_line.h"

#include <algorithm>

#include "lexicon/base/diagnostics.h"
#include "lexicon/base/gbk.h"
#include "lexicon/program/program_extract.h"
#include "mervik/command_table.h"

namespace mervik {
using namespace lexicon;  // the compiler is built on the shared lexicon library

std::optional<std::vector<std::string>> split_command_line(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i == line.size()) return words;
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos) return std::nullopt;
            words.emplace_back(line.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            const std::size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
            words.emplace_back(line.substr(start, i - start));
        }
    }
}

namespace {

// A whole number from low to high, written in decimal digits only.
bool parse_number(std::string_view word, int low, int high, int& value) {
    if (word.empty() || word.size() > 6) return false;
    int n = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    if (n < low || n > high) return false;
    value = n;
    return true;
}

// Sets what an option's value stands for; false (with the message) for a value the
// option does not take.
bool set_option(Request& request, const OptionSpec& option, const std::string& value, std::string& error) {
    int number = 0;
    switch (option.field) {
    case OptionField::Output:
        request.output = value;
        return true;
    case OptionField::SourceLanguage:
    case OptionField::TranslationLanguage: {
        const auto language = parse_language(value);
        if (!language) {
            error = cat(option.name, " 的值“", value, "”不是语言号（例如 0x0409 或 2052）");
            return false;
        }
        if (option.field == OptionField::SourceLanguage) {
            request.source_language = *language;
        } else {
            request.translation_language = *language;
            request.translation_language_given = true;
        }
        return true;
    }
    case OptionField::MemoryFolder:
        request.memory_folder = value;
        return true;
    case OptionField::MemoryFile:
        request.memory_files.push_back(value);
        return true;
    case OptionField::Library:
        request.libraries.push_back(value);
        return true;
    case OptionField::NoFit:
        request.no_fit = true;
        return true;
    case OptionField::Top:
        if (!parse_number(value, 1, 100, number)) {
            error = cat(option.name, " 后面要写 1 到 100 的数，不是“", value, "”");
            return false;
        }
        request.top = static_cast<std::size_t>(number);
        return true;
    case OptionField::MinScore:
        if (!parse_number(value, 1, 100, number)) {
            error = cat(option.name, " 后面要写 1 到 100 的分数，不是“", value, "”");
            return false;
        }
        request.min_score = number;
        return true;
    }
    return false;
}

const OptionSpec* option_of(Request::Mode mode, std::string_view name) {
    for (const OptionSpec& o : option_specs()) {
        if (o.mode == mode && o.name == name) return &o;
    }
    return nullptr;
}

bool looks_like_option(std::string_view word) { return word.size() > 1 && word[0] == '-'; }

std::optional<Request> parse_compile(const std::vector<std::string>& words, std::string& error) {
    Request request;
    // Only the first word can be an option: a description may well start with "--".
    if (!words.empty() && words[0].size() > 2 && words[0].compare(0, 2, "--") == 0) {
        error = "未知的选项“" + words[0] + "”（可用 --help 查看用法）";
        return std::nullopt;
    }
    if (words.size() != 3) {
        error = cat("参数个数不对：需要 3 个（源文件、输出的词库文件、词库说明），收到 ", words.size(), " 个；用法：",
                    usage_line(Request::Mode::Compile));
        return std::nullopt;
    }
    request.source = words[0];
    request.output = words[1];
    request.description = words[2];
    if (request.source.empty()) {
        error = "源文件名为空";
        return std::nullopt;
    }
    const std::size_t sep = gbk::find_last_separator(request.output);
    const std::string_view name = sep == std::string::npos ? std::string_view(request.output)
                                                           : std::string_view(request.output).substr(sep + 1);
    if (name.empty()) {
        error = "输出文件“" + request.output + "”没有文件名";
        return std::nullopt;
    }
    return request;
}

}  // namespace

std::optional<Request> parse_arguments(const std::vector<std::string>& words, std::string& error) {
    Request request;
    if (words.empty() || (words.size() == 1 && (words[0] == "-h" || words[0] == "/?"))) {
        request.mode = Request::Mode::Help;
        return request;
    }
    const CommandSpec* command = command_named(words[0]);
    if (command == nullptr) return parse_compile(words, error);
    request.mode = command->mode;
    const std::string usage = cat("用法：", usage_line(command->mode));

    std::vector<std::string> operands;
    std::size_t i = 1;
    // A text to look up may start with '-' itself: it is taken as it stands.
    if (command->mode == Request::Mode::Suggest && words.size() > 1) operands.push_back(words[i++]);
    std::vector<const OptionSpec*> given;
    for (; i < words.size(); ++i) {
        const std::string& word = words[i];
        const OptionSpec* option = option_of(command->mode, word);
        if (option == nullptr) {
            if (looks_like_option(word)) {
                error = cat(command->name, " 不认识选项“", word, "”；", usage);
                return std::nullopt;
            }
            operands.push_back(word);
            continue;
        }
        if (option->presence != Presence::Repeated && std::find(given.begin(), given.end(), option) != given.end()) {
            error = cat(option->name, " 只能给一次；", usage);
            return std::nullopt;
        }
        given.push_back(option);
        if (option->value.empty()) {
            set_option(request, *option, std::string(), error);  // a switch: it takes no value
            continue;
        }
        if (i + 1 == words.size() || words[i + 1].empty()) {
            error = cat("选项“", word, "”后面缺少值；", usage);
            return std::nullopt;
        }
        if (!set_option(request, *option, words[++i], error)) return std::nullopt;
    }
    const bool empty_operand = std::find(operands.begin(), operands.end(), std::string()) != operands.end();
    if (operands.size() < command->fewest || (command->most != 0 && operands.size() > command->most) || empty_operand) {
        error = usage;
        return std::nullopt;
    }
    for (const OptionSpec& o : option_specs()) {
        if (o.mode == command->mode && o.presence == Presence::Required &&
            std::find(given.begin(), given.end(), &o) == given.end()) {
            error = cat("缺少 ", o.name, " ", o.value, "；", usage);
            return std::nullopt;
        }
    }

    switch (command->mode) {
    case Request::Mode::Dump:
        request.output = operands[0];
        break;
    case Request::Mode::Extract:
    case Request::Mode::Apply:
        request.programs = operands;
        break;
    case Request::Mode::Consistency:
        request.memory_folder = operands[0];
        break;
    default:
        if (!operands.empty()) request.source = operands[0];
        break;
    }
    // A look-up needs a memory: a folder, files, or both.
    if ((command->mode == Request::Mode::Suggest || command->mode == Request::Mode::SuggestFile) &&
        request.memory_folder.empty() && request.memory_files.empty()) {
        error = cat("缺少 --memory 文件夹；", usage);
        return std::nullopt;
    }
    // An extraction pre-translates from a memory folder; its files and score go with it.
    if (command->mode == Request::Mode::Extract && request.memory_folder.empty() &&
        (!request.memory_files.empty() || request.min_score != 0)) {
        error = cat("--memory-file 和 --min 要与 --memory 一起用；", usage);
        return std::nullopt;
    }
    if (command->mode == Request::Mode::Apply && request.libraries.empty()) {
        error = cat("缺少 --library 词库或词表；", usage);
        return std::nullopt;
    }
    return request;
}

std::string library_path(std::string_view output) {
    const std::size_t sep = gbk::find_last_separator(output);
    const std::string_view name = sep == std::string_view::npos ? output : output.substr(sep + 1);
    std::string path(output);
    if (name.find('.') == std::string_view::npos) path += ".LIB";
    return path;
}

std::string file_name_refusal(std::string_view path) {
    const std::size_t sep = gbk::find_last_separator(path);
    const std::string_view name = sep == std::string_view::npos ? path : path.substr(sep + 1);
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t n = gbk::char_length(name, i);
        const auto c = static_cast<unsigned char>(name[i]);
        if (n == 1 && c < 0x20) return "文件名中不能有控制字符";
        if (n == 1 && std::string_view("<>:\"|?*").find(name[i]) != std::string_view::npos) {
            return cat("文件名中不能有字符 ", name.substr(i, 1),
                       "（Windows 的文件名不能含有 < > : \" | ? * 这些字符）");
        }
        i += n;
    }
    if (!name.empty() && (name.back() == '.' || name.back() == ' ')) return "文件名不能以句点或空格结尾";
    // Device names are refused whatever the extension: "con.LIB" is the console.
    std::string stem(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& ch : stem) ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch);
    const bool numbered_device = stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
                                 stem[3] >= '1' && stem[3] <= '9';
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || numbered_device) {
        return cat(stem, " 是 Windows 保留的设备名，不能用作文件名");
    }
    return {};
}

std::string_view directory_of(std::string_view path) {
    const std::size_t sep = gbk::find_last_separator(path);
    return sep == std::string_view::npos ? std::string_view() : path.substr(0, sep);
}

}  // namespace mervik
