// One entry from the library editor's two fields, judged by the compiler's own code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lexicon/wordlist/entry_edit.h"

namespace lexicon {
namespace {

struct Case {
    const char* name;
    std::string original_field;
    std::string translation_field;
    // Either the texts taken, or the first message's code.
    std::string original;
    std::string translation;
    const char* first_code;  // nullptr: no message
};

TEST(EntryFields, AreCheckedAsTheCompilerChecksAWordListLine) {
    const std::vector<Case> cases = {
        {"plain entry", "&Open...", "打开(&O)...", "&Open...", "打开(&O)...", nullptr},
        {"an equals sign in the original is text", "a=b", "c=d", "a=b", "c=d", nullptr},
        {"an escaped equals sign stays one", "a\\=b", "c", "a=b", "c", nullptr},
        {"a leading semicolon is text", ";x", "y", ";x", "y", nullptr},
        {"escapes as in the word list", "\\sName:\\s", "\\s名称：\\s", " Name: ", " 名称： ", nullptr},
        {"backslash and line breaks", "C:\\\\x\\n", "盘\\r\\n", "C:\\x\n", "盘\r\n", nullptr},
        {"blanks at the ends are dropped", "  Save  ", "\t保存 ", "Save", "保存", nullptr},
        {"trail byte 0x5C is no escape", "\x81\x5C", "\x81\x5C", "\x81\x5C", "\x81\x5C", nullptr},
        {"empty translation is a warning", "Empty", "", "Empty", "", "W202"},
        {"access keys differ: a warning", "&Open", "打开", "&Open", "打开", "W204"},
        {"GTK's underscore key, its '&' a character", "_Flip & Rotate", "翻转和旋转(_F)", "_Flip & Rotate",
         "翻转和旋转(_F)", nullptr},
        {"GTK's underscore key missing: a warning", "_Flip & Rotate", "翻转和旋转", "_Flip & Rotate", "翻转和旋转",
         "W204"},
        {"an underscore inside a name is no key", "file_name", "文件名", "file_name", "文件名", nullptr},
        {"two placeholders round a tab: nothing to translate", "%1$s\\t%2$s", "%1$s\\t%2$s", "%1$s\t%2$s", "%1$s\t%2$s",
         nullptr},
        {"an untranslated text: a warning", "Open", "Open", "Open", "Open", "W203"},
        {"placeholders differ: refused", "%d files", "%s 个文件", "", "", "E108"},
        {"bad escape in the original", "a\\q", "b", "", "", "E104"},
        {"bad escape in the translation", "a", "b\\q", "", "", "E104"},
        {"lone backslash ending the original", "abc\\", "x", "", "", "E104"},
        {"lone backslash ending the translation", "abc", "x\\", "", "", "E104"},
        {"empty original", "  ", "x", "", "", "E102"},
        {"invalid GBK byte", "a\xFF", "x", "", "", "E103"},
        {"control character", "a\x01", "x", "", "", "E103"},
        {"a bell and a field separator as escapes", "Ring\\a", "是\\x1Fy", "Ring\a", "是\x1Fy", nullptr},
        {"longest original and translation", std::string(65535, 'a'), std::string(65535, 'x'), std::string(65535, 'a'),
         std::string(65535, 'x'), nullptr},
        {"original too long", std::string(65536, 'a'), "x", "", "", "E106"},
        {"translation too long", "a", std::string(65536, 'x'), "", "", "E107"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Diagnostics diagnostics;
        const auto checked = check_entry_fields(c.original_field, c.translation_field, diagnostics);
        const bool refused = c.first_code && c.first_code[0] == 'E';
        ASSERT_EQ(checked.has_value(), !refused) << entry_line(c.original_field, c.translation_field);
        if (checked) {
            EXPECT_EQ(checked->original, c.original);
            EXPECT_EQ(checked->translation, c.translation);
        }
        if (c.first_code) {
            ASSERT_FALSE(diagnostics.listed().empty());
            EXPECT_EQ(code_name(diagnostics.listed().front().code), c.first_code);
        } else {
            EXPECT_TRUE(diagnostics.listed().empty()) << diagnostics.listed().front().text;
        }
    }
}

// A long text in a multi-line field: a line for each \n escape, and back to the same
// escapes, whatever the user leaves in the field.
TEST(EntryFields, ShowALineForEachLineBreakAndReadBackTheSameEscapes) {
    const struct {
        const char* name;
        std::string escaped;
        std::string shown;
    } shown[] = {
        {"one line", "Open", "Open"},
        {"a break after each \\n but the last", "Usage:\\n  -a\\tall\\n  -h\\n",
         "Usage:\\n\r\n  -a\\tall\\n\r\n  -h\\n"},
        {"an empty line", "a\\n\\nb", "a\\n\r\n\\n\r\nb"},
        {"an escaped backslash before n is no line break", "C:\\\\new", "C:\\\\new"},
        {"\\r\\n: the break comes after the \\n", "a\\r\\nb", "a\\r\\n\r\nb"},
        {"trail byte 0x5C before n", "\x81\x5Cn\\nb", "\x81\x5Cn\\n\r\nb"},
    };
    for (const auto& c : shown) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(field_lines(c.escaped), c.shown);
        EXPECT_EQ(join_field_lines(c.shown), c.escaped);
    }
    const struct {
        const char* name;
        std::string field;
        std::string escaped;
    } typed[] = {
        {"Enter in the middle of a line is a new line", "Usage:\r\n  -a", "Usage:\\n  -a"},
        {"Enter after a shown break is an empty line", "a\\n\r\n\r\nb", "a\\n\\nb"},
        {"the shown break removed: the lines join", "a\\nb", "a\\nb"},
        {"a lone LF or CR pasted is a new line", "a\nb\rc", "a\\nb\\nc"},
        {"a break at the end", "a\r\n", "a\\n"},
    };
    for (const auto& c : typed) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(join_field_lines(c.field), c.escaped);
    }
}

}  // namespace
}  // namespace lexicon
