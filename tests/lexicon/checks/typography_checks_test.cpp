// The typography checks of a translation: which warning, at which character.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lexicon/checks/typography_checks.h"
#include "lexicon/wordlist/word_list.h"

namespace lexicon {
namespace {

struct Case {
    const char* name;
    const char* original;
    const char* translation;
    std::vector<std::string> expected;  // "W212@5": code and the character's number
};

std::vector<std::string> found(const char* original, const char* translation) {
    Diagnostics diagnostics;
    check_typography(original, translation, 1, diagnostics);
    std::vector<std::string> out;
    for (const Diagnostic& d : diagnostics.listed()) {
        const std::size_t at = d.text.find("第 ");
        const std::string column = at == std::string::npos ? ""
                                                           : d.text.substr(at + 3, d.text.find(' ', at + 3) - at - 3);
        out.push_back(code_name(d.code) + (column.empty() ? "" : "@" + column));
    }
    return out;
}

const std::vector<Case> cases = {
    {"comma between Chinese characters", "Open, then save", "打开,然后保存", {"W212@3"}},
    {"full stop after Chinese characters", "Done.", "完成.", {"W212@3"}},
    {"colon and question mark", "Name: is it ok?", "名称:可以吗?", {"W212@3", "W212@7"}},
    {"half-width brackets round Chinese", "File (new)", "文件(新建)", {"W212@3", "W212@6"}},
    {"access key suffix is no fault", "&Open...", "打开(&O)...", {}},
    {"ellipsis is no fault", "Wait...", "请稍候...", {}},
    {"file name and path are no fault", "Open readme.txt in C:\\temp", "打开说明.txt，位于C:\\temp", {}},
    {"punctuation in Latin text is no fault", "Use GNU, then Qt.", "使用 GNU, then Qt", {}},
    {"placeholder before a mark is no fault", "%s: not found", "%s: 未找到", {}},
    {"shown key without ampersand", "Open (O)", "打开(O)", {}},
    {"full-width letters and digits", "Page 1 of ABC", "第１页，共ＡＢＣ", {"W213@2", "W213@6", "W213@7", "W213@8"}},
    {"ideographic space where the original has a space", "New file", "新建　文件", {"W213@3"}},
    {"full-width digit the original lacks", "Chapter", "第１章", {"W213@2"}},
    {"full-width letters the original lacks",
     "Set the architecture",
     "设置 ＣＰＵ 架构",
     {"W213@4", "W213@5", "W213@6"}},
    {"full stop between Chinese sentences, a domain in the original",
     "Reverse domain (org.example). Please update",
     "反向域名.请更新",
     {"W212@5"}},
    {"full stop between Chinese sentences, a version in the original",
     "Function 2.0. When used as",
     "函数.当作为",
     {"W212@3"}},
    {"unclosed quotation mark", "Say \"hi\"", "说“你好", {"W214@2"}},
    {"unclosed quotation mark beside a placeholder, an apostrophe in the original",
     "Can't find '%s'!",
     "找不到“%s！",
     {"W214@4"}},
    {"closing bracket first", "(a) b", "）甲（乙", {"W214@1"}},
    {"balanced pairs", "The \"book\" (new)", "《书》【新】「旧」“甲”‘乙’（丙）", {}},
    {"original itself unbalanced", "(see below", "（见下文", {}},
    {"key inside the words", "&Open", "打&开", {"W215@2"}},
    {"key with a Chinese letter", "&Open", "打开(&开)", {"W215@4"}},
    {"key not at the end", "&Open file", "打开(&O)文件", {"W215@3"}},
    {"key before a colon is right", "&Name:", "名称(&N):", {}},
    {"literal ampersands are no key", "Tom && Jerry", "汤姆 && 杰瑞", {}},
    {"shortcut suffix kept byte for byte", "&New\tCtrl+N", "新建(&N)\tCtrl+N", {}},
    {"shortcut suffix changed", "&New\tCtrl+N", "新建(&N)\tCtrl+Ｎ", {"W213@13", "W215"}},
    {"Latin translation keeps its key", "&Open", "&Open", {}},
    // What real catalogues showed to be no fault.
    {"underscore mnemonic of a toolkit", "_Fullscreen", "全屏(_F)", {}},
    {"mark used as syntax in the original", "--from=OWNER:GROUP", "--from=所有者:组", {}},
    {"list syntax", "app;tool;", "应用;工具;", {}},
    {"prose colon is still a fault where the original has syntax too", "Usage: a:b", "用法: 甲:乙", {"W212@3"}},
    {"syntax copied from the original", "do COMMANDS; done", "do 命令; done", {}},
    {"apostrophe in a name", "N’Ko", "N’Ko（西非书面语言）", {}},
    {"mixed quotes in the original", "`%s' is missing", "缺少“%s”", {}},
    {"literal ampersand in help text", "Use AT&T syntax\n", "用 AT&T 语法\n", {}},
    {"tab in a column of help text is no shortcut", "  -a\tprint all", "  -a\t打印全部", {}},
    {"F-key shortcut kept", "&Refresh\tF5", "刷新(&R)\tF5", {}},
};

TEST(TypographyChecks, FindEachFaultAtItsCharacter) {
    for (const Case& c : cases) {
        EXPECT_EQ(found(c.original, c.translation), c.expected) << c.name;
    }
}

TEST(TypographyChecks, FindEachFaultWhereverTheTranslationPutsIt) {
    // The marks are looked for many bytes at a time: the same fault after 0 to 40 bytes
    // of Chinese text (odd counts after one ASCII letter) must still be found, one
    // character further on for each character before it.
    for (const Case& c : cases) {
        if (c.expected.empty()) continue;
        for (std::size_t bytes = 0; bytes <= 40; ++bytes) {
            std::string before = bytes % 2 == 1 ? "a" : "";
            for (std::size_t k = 0; k < bytes / 2; ++k) before += "甲";
            const std::size_t shift = bytes % 2 + bytes / 2;
            std::vector<std::string> expected;
            for (const std::string& e : c.expected) {
                const std::size_t at = e.find('@');
                expected.push_back(at == std::string::npos
                                       ? e
                                       : e.substr(0, at + 1) + std::to_string(std::stoul(e.substr(at + 1)) + shift));
            }
            EXPECT_EQ(found(c.original, (before + c.translation).c_str()), expected)
                << c.name << ", " << bytes << " bytes before";
        }
    }
}

std::vector<std::string> compiled(const std::string& source) {
    Diagnostics diagnostics;
    compile_word_list(source, diagnostics);
    std::vector<std::string> out;
    for (const Diagnostic& d : diagnostics.listed()) {
        out.push_back(code_name(d.code) + "/" + std::to_string(d.line) +
                      (d.column != 0 ? "," + std::to_string(d.column) : std::string()));
    }
    return out;
}

// The opt-out comment names the checks it turns off, for the entry right after it only,
// and stacks with the placeholder opt-out; any warning about one entry can be named.
TEST(TypographyChecks, OptOutNamesTheCheckForOneEntry) {
    EXPECT_EQ(compiled(";@no-check W212 W214\r\n"
                       ";@no-placeholder-check\r\n"
                       "Done, %d.=“完成,%s。\r\n"
                       "Done, now=完成,现在\r\n"),
              (std::vector<std::string>{"W208/3", "W212/4,15"}));
    EXPECT_EQ(compiled(";@no-check W206 W203\r\n"
                       "Open...=打开\r\n"
                       "Save=Save\r\n"
                       "Close...=关闭\r\n"),
              (std::vector<std::string>{"W203/3", "W206/4"}));

    CheckOptOut off;
    EXPECT_FALSE(off.read(";@no-checkW212"));
    EXPECT_FALSE(off.read("; no-check W212"));
    std::vector<std::string_view> unknown;
    EXPECT_TRUE(off.read(";@no-check  w213 W999 E108 W201", &unknown));
    EXPECT_EQ(unknown, (std::vector<std::string_view>{"W999", "E108", "W201"}));
    EXPECT_TRUE(off.off(Code::FullWidthLatin));
    EXPECT_FALSE(off.off(Code::HalfWidthPunctuation));
}

// A mistyped opt-out must not pass silently: the entry keeps its warnings and the
// comment gets one of its own.
TEST(TypographyChecks, MistypedOptOutIsReported) {
    EXPECT_EQ(compiled(";@no-check W2l2\r\n"
                       "Done, now=完成,现在\r\n"
                       ";@no-check\r\n"
                       "Open...=打开\r\n"),
              (std::vector<std::string>{"W217/1", "W212/2,15", "W217/3", "W206/4"}));
}

// The message about a mistyped opt-out names the checks it may turn off, from the
// table of codes: a new entry check shows up there without another edit.
TEST(TypographyChecks, MistypedOptOutNamesTheChecksOfTheTable) {
    EXPECT_EQ(entry_check_names(), "W202–W206 和 W212–W216");
    for (const CodeInfo& info : code_table) {
        EXPECT_EQ(is_entry_check(info.code), info.kind == CodeKind::EntryCheck) << code_name(info.code);
    }
    Diagnostics diagnostics;
    compile_word_list(";@no-check W999\r\nOpen=打开\r\n", diagnostics);
    ASSERT_EQ(diagnostics.listed().size(), 1u);
    EXPECT_NE(diagnostics.listed()[0].text.find("W202–W206 和 W212–W216"), std::string::npos)
        << diagnostics.listed()[0].text;
}

// The column is the byte of the line where the fault stands (as the status bar counts),
// counting what the line spells before the translation (blanks, '=', escapes) and
// escapes inside it.
TEST(TypographyChecks, MessagesNameTheColumnOfTheLine) {
    struct {
        const char* name;
        const char* source;
        const char* expected;
    } cases[] = {
        {"plain entry", "Open, save=打开,保存", "W212/1,16"},
        {"blanks around the equals sign", "  Open, save =  打开,保存", "W212/1,21"},
        {"escape in the original", "a\\=b, c=甲,乙", "W212/1,11"},
        {"escape in the translation before the fault", "a\\=b, c=甲\\t乙丙,丁", "W212/1,17"},
        {"hex escape in the translation", "a\\=b, c=甲\\x1B乙丙,丁", "W212/1,19"},
        {"Chinese in the original", "文件, save=文件,保存", "W212/1,16"},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> got = compiled(c.source);
        ASSERT_EQ(got.size(), 1u) << c.name << ": " << testing::PrintToString(got);
        EXPECT_EQ(got[0], c.expected) << c.name;
    }
    Diagnostic d{Code::HalfWidthPunctuation, 12, "x", 7};
    EXPECT_EQ(format_message(d, "temp.trs"), "temp.trs(12,7): 警告 W212: x");
}

// Within a marked menu or dialog two translations may not share an access key; outside
// a scope, or across two scopes, they may.
TEST(TypographyChecks, AccessKeyClashInsideAScope) {
    EXPECT_EQ(compiled("&Open=打开(&O)\r\n"
                       "&Options=选项(&O)\r\n"
                       ";@scope 文件菜单\r\n"
                       "&Open...=打开(&O)...\r\n"
                       "Sa&ve=保存(&V)\r\n"
                       "&Optional=可选(&o)\r\n"
                       ";@no-check W216\r\n"
                       "&Other=其他(&O)\r\n"
                       ";@scope 编辑菜单\r\n"
                       "&Others=其他的(&O)\r\n"
                       ";@end-scope\r\n"
                       "&Over=超过(&O)\r\n"),
              (std::vector<std::string>{"W216/6"}));
    EXPECT_EQ(access_key_of("Tom && &Jerry"), "J");
    EXPECT_EQ(access_key_of("&a&b"), "");
    EXPECT_EQ(access_key_of("文件(&f)"), "F");
}

}  // namespace
}  // namespace lexicon
