// Our own Chinese texts follow the typography we check in others' translations: the
// string literals of every program (message boxes, menus, dialogs, the compiler's
// messages) and the help's prose, run through the same checks.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lexicon/base/unicode.h"
#include "lexicon/checks/typography_checks.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void ListFiles(const std::string& folder, std::vector<std::string>& out) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* d = ::readdir(dir)) {
        const std::string name = d->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "/" + name;
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) continue;
        if (S_ISDIR(info.st_mode)) {
            ListFiles(path, out);
        } else if (name.size() > 4 &&
                   (name.compare(name.size() - 4, 4, ".cpp") == 0 || name.compare(name.size() - 2, 2, ".h") == 0 ||
                    name.compare(name.size() - 3, 3, ".rc") == 0)) {
            out.push_back(path);
        }
    }
    ::closedir(dir);
}

// UTF-8 to GBK; a character GBK lacks becomes '?'.
std::string Gbk(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t n = 1;
        const std::uint32_t c = lexicon::unicode::decode_utf8(utf8, i, n);
        if (n == 0) n = 1;
        if (!lexicon::unicode::append_gbk(c, out)) out += '?';
        i += n;
    }
    return out;
}

struct Text {
    std::string where;  // file:line
    std::string utf8;
};

// The texts of a source file's statements: the string literals of one statement joined,
// with "X" where code stands between two of them ("原文“" shown(x) "”" reads as one text).
std::vector<Text> SourceTexts(const std::string& path, const std::string& source) {
    std::vector<Text> out;
    Text current;
    bool code_since_literal = false;
    int parens = 0;
    int line = 1;
    auto flush = [&] {
        bool chinese = false;
        for (unsigned char c : current.utf8) chinese = chinese || c >= 0x80;
        if (chinese) out.push_back(current);
        current = Text{};
        code_since_literal = false;
    };
    for (std::size_t i = 0; i < source.size(); ++i) {
        const char c = source[i];
        if (c == '\n') {
            ++line;
        } else if (c == '/' && i + 1 < source.size() && source[i + 1] == '/') {
            while (i < source.size() && source[i] != '\n') ++i;
            --i;
        } else if (c == '/' && i + 1 < source.size() && source[i + 1] == '*') {
            const std::size_t end = source.find("*/", i + 2);
            for (std::size_t k = i; k < end && k < source.size(); ++k) line += source[k] == '\n';
            i = end == std::string::npos ? source.size() : end + 1;
        } else if (c == '\'') {
            // a character literal: skip it whole
            i += source[i + 1] == '\\' ? 3 : 2;
        } else if (c == '"' && (i == 0 || (source[i - 1] != 'R'))) {
            if (current.where.empty()) current.where = path + ":" + std::to_string(line);
            if (code_since_literal && !current.utf8.empty()) current.utf8 += "X";
            std::size_t k = i + 1;
            for (; k < source.size() && source[k] != '"'; ++k) {
                if (source[k] == '\\' && k + 1 < source.size()) {
                    const char e = source[++k];
                    current.utf8 += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
                } else {
                    current.utf8 += source[k];
                }
            }
            i = k;
            code_since_literal = false;
        } else if (c == ';' || ((c == '{' || c == '}') && parens == 0)) {
            // A statement ends, or one row of a table: shown({...}) inside a call does not.
            flush();
        } else if (c == '(' || c == ')') {
            parens += c == '(' ? 1 : -1;
            if (parens < 0) parens = 0;
            code_since_literal = true;
        } else if (c != ' ' && c != '\t' && c != '\r') {
            code_since_literal = true;
        }
    }
    flush();
    return out;
}

// The help's prose: every line but the examples (indented by four spaces), the
// headings' anchors and the keyword lines.
std::vector<Text> HelpTexts(const std::string& path, const std::string& source) {
    std::vector<Text> out;
    std::istringstream lines(source);
    std::string text;
    for (int line = 1; std::getline(lines, text); ++line) {
        if (text.rfind("    ", 0) == 0 || text.rfind("关键字", 0) == 0) continue;
        const std::size_t anchor = text.find(" {#");
        if (anchor != std::string::npos) text.erase(anchor);
        out.push_back({path + ":" + std::to_string(line), text});
    }
    return out;
}

// Texts the program has always shown as they stand, which users and their habits know:
// the menu items' old-style captions, the open dialog's filter and the properties
// dialog's refusal (quoted in the help as well).
const char* const kKeptAsTheyAre[] = {
    "Find1X&F.查找. . .",
    "Replace1X&R.替换. . . ",
    "文本文件(*.txt)|*.txt|RTF文件(*.rtf)|*.rtf",
    "词库描述不能含有引号,文件名不能带盘符、路径及空格等",
    "有不允许的字符时，按“确认”或“放弃”都会显示“词库描述不能含有引号,文件名不能带盘符、路径及空格等”，对话框不关闭，"
    "请先改正。",
};

bool HasIdeograph(const std::string& utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t n = 1;
        const std::uint32_t c = lexicon::unicode::decode_utf8(utf8, i, n);
        if (c >= 0x4E00 && c <= 0x9FFF) return true;
        i += n == 0 ? 1 : n;
    }
    return false;
}

TEST(OwnTexts, FollowTheChineseTypographyWeCheck) {
    const std::string root = VELMORA_SOURCE_ROOT;
    std::vector<std::string> files;
    for (const char* folder :
         {"app", "documents", "search", "generation", "widgets", "win", "korvex", "mervik", "lexicon"}) {
        ListFiles(root + "/" + folder, files);
    }
    std::vector<Text> texts;
    for (const std::string& file : files) {
        for (Text& t : SourceTexts(file.substr(root.size() + 1), ReadFile(file))) texts.push_back(std::move(t));
    }
    std::vector<std::string> help;
    DIR* dir = ::opendir((root + "/docs/help").c_str());
    ASSERT_NE(dir, nullptr);
    while (const dirent* d = ::readdir(dir)) {
        const std::string name = d->d_name;
        if (name.size() > 3 && name.compare(name.size() - 3, 3, ".md") == 0) help.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : help) {
        for (Text& t : HelpTexts("docs/help/" + name, ReadFile(root + "/docs/help/" + name))) texts.push_back(t);
    }
    ASSERT_GT(texts.size(), 500u);

    std::size_t faults = 0;
    for (const Text& t : texts) {
        // A lone mark in code ("（") is data, not a text anyone reads.
        if (!HasIdeograph(t.utf8)) continue;
        bool kept = false;
        for (const char* k : kKeptAsTheyAre) kept = kept || Gbk(t.utf8) == k;  // the literals here are GBK too
        if (kept) continue;
        lexicon::Diagnostics messages;
        lexicon::check_typography("", Gbk(t.utf8), 1, messages);
        for (const lexicon::Diagnostic& d : messages.listed()) {
            ++faults;
            ADD_FAILURE() << t.where << ": " << lexicon::code_name(d.code) << " in \"" << t.utf8 << "\"";
        }
    }
    std::printf("%zu texts of our own checked, %zu faults\n", texts.size(), faults);
}

}  // namespace
