#include "mervik/command_line.h"

#include "lexicon/base/diagnostics.h"
#include "lexicon/base/gbk.h"
#include "mervik/extract_command.h"
#include "mervik/memory_command.h"

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

std::optional<Request> parse_arguments(const std::vector<std::string>& words, std::string& error) {
    Request request;
    if (words.size() == 1 && (words[0] == "--help" || words[0] == "-h" || words[0] == "/?")) {
        request.mode = Request::Mode::Help;
        return request;
    }
    if (words.size() == 1 && words[0] == "--version") {
        request.mode = Request::Mode::Version;
        return request;
    }
    if (!words.empty() && words[0] == "--dump") {
        if (words.size() != 2) {
            error = "--dump 后面要有且只有一个词库文件名";
            return std::nullopt;
        }
        request.mode = Request::Mode::Dump;
        request.output = words[1];
        return request;
    }
    if (!words.empty() && (words[0] == "--import-po" || words[0] == "--export-po")) {
        const bool import = words[0] == "--import-po";
        if (words.size() != 4 || words[2] != "-o" || words[1].empty() || words[3].empty()) {
            error = import ? "用法：Mervik --import-po 文件.po -o 词库源文件.trs"
                           : "用法：Mervik --export-po 源文件或词库文件 -o 文件.po";
            return std::nullopt;
        }
        request.mode = import ? Request::Mode::ImportPo : Request::Mode::ExportPo;
        request.source = words[1];
        request.output = words[3];
        return request;
    }
    if (!words.empty() && words[0] == "--extract") return parse_extract_arguments(words, error);
    if (!words.empty() && is_memory_command(words[0])) return parse_memory_arguments(words, error);
    // Only the first word can be an option: a description may well start with "--".
    if (!words.empty() && words[0].size() > 2 && words[0].compare(0, 2, "--") == 0) {
        error = "未知的选项“" + words[0] + "”（可用 --help 查看用法）";
        return std::nullopt;
    }
    if (words.size() != 3) {
        error = "参数个数不对：需要 3 个（源文件、输出的词库文件、词库说明），收到 " + std::to_string(words.size()) +
                " 个；用法：Mervik 源文件 输出文件 \"说明\"";
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
