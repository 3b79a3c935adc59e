// How a word list is read: lines, comments, blanks, escapes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "lexicon/base/escapes.h"
#include "lexicon/base/gbk.h"
#include "lexicon/wordlist/word_list.h"
#include "lexicon/wordlist/word_list_writer.h"

namespace lexicon {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

struct Parsed {
    Pairs entries;
    std::vector<std::uint32_t> lines;
    std::size_t errors;
};

Parsed parse(std::string source) {
    Diagnostics diagnostics;
    const WordList list = compile_word_list(std::move(source), diagnostics);
    Parsed p{{}, {}, diagnostics.errors()};
    for (const Entry& e : list.entries()) {
        p.entries.emplace_back(list.original(e), list.translation(e));
        p.lines.push_back(e.line);
    }
    return p;
}

struct Case {
    const char* name;
    std::string source;
    Pairs entries;
};

const std::vector<Case> cases = {
    {"menu item", "&Open...=&O.打开...\r\n", {{"&Open...", "&O.打开..."}}},
    {"blanks around the equals sign and at the ends are dropped",
     "  Open file  =  打开文件  \r\n",
     {{"Open file", "打开文件"}}},
    {"tabs count as blanks", "\tOpen\t=\t打开\t\n", {{"Open", "打开"}}},
    {"escaped equals sign in the original", "a\\=b=c=d\n", {{"a=b", "c=d"}}},
    {"escaped blanks are kept", "\\sName:\\s=\\s名称：\\s\n", {{" Name: ", " 名称： "}}},
    {"blanks between an escaped blank and the equals sign are dropped", "a\\s  =b\n", {{"a ", "b"}}},
    {"backslash, tab and line breaks", "C:\\\\dir=a\\tb\\r\\nc\n", {{"C:\\dir", "a\tb\r\nc"}}},
    {"control characters: letter escapes and \\xHH in either case",
     "Ring\\a\\b=\\f\\v\\x1B\\x1f\\x7F\\x01\n",
     {{"Ring\a\b", "\f\v\x1B\x1F\x7F\x01"}}},
    {"an escaped control byte is text, not a blank to drop", "a\\x1F=b\\v\n", {{"a\x1F", "b\v"}}},
    {"original starting with a semicolon", "\\;x=y\n", {{";x", "y"}}},
    {"semicolon later in a line is text", "a;b=c;d\n", {{"a;b", "c;d"}}},
    {"comments and blank lines", "; c1\n   ; c2\n\n   \n\t\na=b\n", {{"a", "b"}}},
    {"trail byte 0x5C is part of the character", "\x81\x5C=x\x81\x5C\n", {{"\x81\x5C", "x\x81\x5C"}}},
    {"last line without a line break", "a=b\nc=d", {{"a", "b"}, {"c", "d"}}},
    {"an untranslated entry stays out of the library", "a=\nb=乙\n", {{"b", "乙"}}},
    {"duplicate kept once", "a=b\na=b\n", {{"a", "b"}}},
};

class ParseCases : public ::testing::TestWithParam<Case> {};

TEST_P(ParseCases, Entries) {
    const Parsed p = parse(GetParam().source);
    EXPECT_EQ(p.errors, 0u);
    EXPECT_EQ(p.entries, GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(Mervik, ParseCases, ::testing::ValuesIn(cases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(WordList, LineNumbersCountEveryKindOfLineBreak) {
    // CR LF, lone CR, lone LF and LF CR (two breaks) each end a line.
    const Parsed p = parse("a=1\r\nb=2\rc=3\nd=4\n\re=5");
    EXPECT_EQ(p.lines, (std::vector<std::uint32_t>{1, 2, 3, 4, 6}));
}

TEST(WordList, ManyEntriesFindTheirDuplicates) {
    // More entries than a small file's index starts with, and mixed line breaks that the
    // line estimate undercounts: the index has to grow and still find every duplicate.
    std::string source;
    for (int i = 0; i < 5000; ++i) source += "k" + std::to_string(i) + "=v" + std::to_string(i) + (i % 2 ? "\r" : "\n");
    for (int i = 0; i < 5000; i += 7) source += "k" + std::to_string(i) + "=other\n";
    Diagnostics diagnostics(10);
    const WordList list = compile_word_list(source, diagnostics);
    EXPECT_EQ(list.entries().size(), 5000u);
    EXPECT_EQ(diagnostics.errors(), (5000u + 6) / 7);
}

TEST(WordList, LongLinesOfMixedTextReadAsTheyAreWritten) {
    // Plain text is passed over many bytes at a time, and moved along after an escape;
    // wherever a line puts its blanks, escapes, double-byte characters (with an ASCII or
    // a backslash trail byte), euro signs, the equals sign and its faults, each line must
    // read as this plain model of it says: the first unescaped '=' splits it, unescaped
    // blanks at the ends are dropped, and its first byte that is no GBK is an error at
    // its column.
    const std::vector<std::string> pieces = {
        "a",        "Zz",       " ",        "  ",   "\t",   "\xD6\xD0", "\xB9\xFA\xBC\xD2",
        "\x81\x40", "\x81\x5C", "\xFE\x7E", "\x80", "=",    ".",        "\\s",
        "\\\\",     "\\=",      "\x81 ",    "\xFF", "\x7F", "\x01",
    };
    struct Expected {
        bool entry;
        std::string original, translation;
        std::size_t bad_column;  // 0: none
    };
    auto model = [](const std::string& line) {
        const std::size_t bad = gbk::find_invalid(line);
        if (bad != std::string::npos) return Expected{false, {}, {}, bad + 1};
        std::string text[2];
        std::vector<bool> blank[2];  // an unescaped blank
        int side = 0;
        for (std::size_t i = 0; i < line.size();) {
            const std::size_t n = gbk::char_length(line, i);
            std::string c = line.substr(i, n);
            if (c == "\\") {
                c = line[i + 1] == 's' ? " " : line.substr(i + 1, 1);
                ++i;
            } else if (c == "=" && side == 0) {
                side = 1;
                ++i;
                continue;
            }
            text[side] += c;
            blank[side].resize(text[side].size(), n == 1 && (line[i] == ' ' || line[i] == '\t'));
            i += n;
        }
        if (side == 0) return Expected{false, {}, {}, 0};
        for (int k = 0; k < 2; ++k) {
            std::size_t from = 0, to = text[k].size();
            while (from < to && blank[k][from]) ++from;
            while (to > from && blank[k][to - 1]) --to;
            text[k] = text[k].substr(from, to - from);
        }
        return Expected{true, text[0], text[1], 0};
    };
    std::mt19937 random(22);
    std::string source;
    std::vector<Expected> expected;
    for (int n = 0; n < 3000; ++n) {
        std::string line = "k" + std::to_string(n);
        const int count = static_cast<int>(random() % 40);
        // Most lines are valid, so that their texts get compared too.
        const std::size_t choices = random() % 4 == 0 ? pieces.size() : pieces.size() - 4;
        for (int k = 0; k < count; ++k) line += pieces[random() % choices];
        if (random() % 2 == 0) line += "=";
        source += line + "\r\n";
        expected.push_back(model(line));
    }
    Diagnostics diagnostics(100000);
    const WordList list = compile_word_list(source, diagnostics, EntryWork::WhileReading);
    std::vector<std::pair<std::string, std::string>> entries;
    for (const auto* some : {&list.entries(), &list.untranslated()}) {
        for (const Entry& e : *some) {
            if (entries.size() < e.line) entries.resize(e.line);
            entries[e.line - 1] = {std::string(list.original(e)), std::string(list.translation(e))};
        }
    }
    entries.resize(expected.size());
    std::vector<const Diagnostic*> errors(expected.size());
    for (const Diagnostic& d : diagnostics.listed()) {
        if (d.code == Code::InvalidGbk || d.code == Code::MissingEquals) errors[d.line - 1] = &d;
    }
    std::size_t faults = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Expected& e = expected[i];
        SCOPED_TRACE("line " + std::to_string(i + 1));
        if (e.entry) {
            EXPECT_EQ(errors[i], nullptr);
            EXPECT_EQ(entries[i].first, e.original);
            EXPECT_EQ(entries[i].second, e.translation);
            continue;
        }
        ++faults;
        ASSERT_NE(errors[i], nullptr);
        EXPECT_EQ(errors[i]->code, e.bad_column != 0 ? Code::InvalidGbk : Code::MissingEquals);
        if (e.bad_column != 0) {
            EXPECT_NE(errors[i]->text.find("第 " + std::to_string(e.bad_column) + " 列"), std::string::npos)
                << errors[i]->text;
        }
    }
    EXPECT_EQ(diagnostics.errors(), faults);
    EXPECT_GT(faults, 300u);
    EXPECT_LT(faults, 2700u);
}

// Every writer of a word list goes through word_list_line.
TEST(WordListLine, ReadsBackAsTheSameBytes) {
    const std::vector<std::string> texts = {
        "plain",    " lead", "trail ", "  both  ", "a=b",   ";semi",  "a;b",   "tab\there", "cr\rlf\n", "back\\slash",
        "\x81\x5C", "中 文", "\t",     " ",        "a \t ", "bell\a", "\x1F;", "\x7F\x01",  "\b\f\v",   "\x1Bx1B",
    };
    for (const std::string& original : texts) {
        for (const std::string& translation : texts) {
            const std::string line = word_list_line(original, translation) + "\n";
            const Parsed p = parse(line);
            ASSERT_EQ(p.entries.size(), 1u) << line;
            EXPECT_EQ(p.entries[0].first, original) << line;
            EXPECT_EQ(p.entries[0].second, translation) << line;
        }
    }
}

// A library written out as a word list, by --dump or by KORVEX's export: its description
// and count are comments, whatever the description holds, and the entries follow.
TEST(WordListLine, LibraryHeaderStaysCommentLines) {
    EXPECT_EQ(library_list_header("说明", 2), "; 词库说明：说明\r\n; 条目数：2\r\n");
    const std::string header = library_list_header("第一行\r\nOpen=打开", 1);
    EXPECT_EQ(header, "; 词库说明：第一行\\r\\nOpen=打开\r\n; 条目数：1\r\n");
    const Parsed p = parse(header + word_list_line("Open", "打开") + "\r\n");
    ASSERT_EQ(p.entries.size(), 1u);
    EXPECT_EQ(p.entries[0].second, "打开");
}

}  // namespace
}  // namespace lexicon
