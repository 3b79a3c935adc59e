// The concordance search's logic on the host: where a word matches in GBK text, and which
// entries of a memory of several libraries it finds, in which order and how many.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lexicon/base/gbk_substring.h"
#include "lexicon/memory/concordance.h"
#include "tests/memory/memory_files_fake.h"

namespace lexicon {
namespace {

struct SubstringCase {
    const char* text;
    const char* word;
    std::size_t at;
};

TEST(GbkSubstring, MatchesWholeCharactersAndLettersWithoutCase) {
    constexpr std::size_t none = std::string_view::npos;
    const SubstringCase cases[] = {
        {"Save As", "as", 5},
        {"SAVE", "save", 0},
        {"另存为", "存", 2},
        {"打开文件", "文件", 4},
        // 0x81 0x61 is one character whose second byte looks like "a".
        {"\x81\x61", "a", none},
        {"x\x81\x61"
         "A",
         "a", 3},
        // "\xB4\xF2" (打) then "\xBF\xAA" (开): "\xF2\xBF" straddles the two.
        {"\xB4\xF2\xBF\xAA", "\xF2\xBF", none},
        // A Chinese character's bytes in lower case are not "upper case" letters.
        {"文件", "文件", 0},
        {"file", "files", none},
        {"", "a", none},
        {"any", "", 0},
    };
    for (const SubstringCase& c : cases) {
        EXPECT_EQ(GbkSubstring(c.word).Find(c.text), c.at) << c.text << " / " << c.word;
    }
}

class Concordance : public ::testing::Test {
protected:
    void SetUp() override {
        files.put_library("LIB/通用.LIB", "Open File=打开文件\r\nFile=文件\r\nSave the file=保存文件\r\nEdit=编辑\r\n");
        files.put_library("LIB/其他.LIB", "File=档案\r\nProfile=配置\r\nFILE NAME=文件名\r\n");
        files.put_library("LIB/菜单.LIB",
                          "Save &as...=另存为(&A)...\r\n_Save As=另存为(_S)\r\nSa~ve as=另存为\r\nsave_as=save_as\r\n");
        memory.set_folder("LIB");
        Diagnostics diagnostics;
        memory.refresh(diagnostics);
    }
    // Each hit as "file|original|translation|where in the original|where in the translation".
    std::vector<std::string> Hits(const char* word, ConcordanceScope scope, std::size_t limit = 100) {
        const ConcordanceResult r = find_in_memory(memory, word, scope, limit);
        std::vector<std::string> out;
        for (const ConcordanceHit& h : r.hits) {
            const auto at = [](std::size_t p) {
                return p == ConcordanceHit::none ? std::string("-") : std::to_string(p);
            };
            out.push_back(h.source + "|" + h.original + "|" + h.translation + "|" + at(h.in_original) + "|" +
                          at(h.in_translation));
        }
        total = r.total;
        return out;
    }
    testing::FakeFiles files;
    Memory memory{files};
    std::size_t total = 0;
};

TEST_F(Concordance, FindsAWordInTheOriginalsOfEveryLibraryShortestFirst) {
    EXPECT_EQ(Hits("file", ConcordanceScope::Originals), (std::vector<std::string>{
                                                             "其他.LIB|File|档案|0|-",
                                                             "通用.LIB|File|文件|0|-",
                                                             "其他.LIB|Profile|配置|3|-",
                                                             "其他.LIB|FILE NAME|文件名|0|-",
                                                             "通用.LIB|Open File|打开文件|5|-",
                                                             "通用.LIB|Save the file|保存文件|9|-",
                                                         }));
    EXPECT_EQ(total, 6u);
}

TEST_F(Concordance, AccessKeysOfEveryToolkitAreNoPartOfTheWords) {
    // "Sa~ve as" keeps its '~' inside a word; "save_as" is a name, found as it is written.
    EXPECT_EQ(Hits("save as", ConcordanceScope::Originals), (std::vector<std::string>{
                                                                "菜单.LIB|_Save As|另存为(_S)|1|-",
                                                                "菜单.LIB|Save &as...|另存为(&A)...|0|-",
                                                            }));
    EXPECT_EQ(Hits("save_as", ConcordanceScope::Originals), (std::vector<std::string>{"菜单.LIB|save_as|save_as|0|-"}));
}

TEST_F(Concordance, FindsAWordInTheTranslationsOrInBoth) {
    EXPECT_EQ(Hits("文件", ConcordanceScope::Translations), (std::vector<std::string>{
                                                                "通用.LIB|File|文件|-|0",
                                                                "其他.LIB|FILE NAME|文件名|-|0",
                                                                "通用.LIB|Open File|打开文件|-|4",
                                                                "通用.LIB|Save the file|保存文件|-|4",
                                                            }));
    // Searched in both, an entry is found once and says where the word is in each text.
    EXPECT_EQ(Hits("文件", ConcordanceScope::Originals), std::vector<std::string>{});
    EXPECT_EQ(Hits("edit", ConcordanceScope::Both), (std::vector<std::string>{"通用.LIB|Edit|编辑|0|-"}));
    EXPECT_EQ(Hits("档", ConcordanceScope::Both), (std::vector<std::string>{"其他.LIB|File|档案|-|0"}));
    EXPECT_EQ(Hits("", ConcordanceScope::Both), std::vector<std::string>{});
    EXPECT_EQ(Hits("nothing", ConcordanceScope::Both), std::vector<std::string>{});
}

TEST_F(Concordance, KeepsTheBestUpToTheLimitAndCountsEveryMatch) {
    EXPECT_EQ(Hits("file", ConcordanceScope::Originals, 2),
              (std::vector<std::string>{"其他.LIB|File|档案|0|-", "通用.LIB|File|文件|0|-"}));
    EXPECT_EQ(total, 6u);

    // Many matches: the trimming on the way keeps exactly the shortest.
    std::string list;
    for (int i = 0; i < 5000; ++i)
        list += "item " + std::string(static_cast<std::size_t>(i % 37), 'x') + std::to_string(i) + "=条目\r\n";
    files.put_library("LIB/大.LIB", list);
    Diagnostics diagnostics;
    memory.refresh(diagnostics);
    const ConcordanceResult r = find_in_memory(memory, "ITEM", ConcordanceScope::Originals, 10);
    EXPECT_EQ(r.total, 5000u);
    ASSERT_EQ(r.hits.size(), 10u);
    EXPECT_EQ(r.hits.front().original, "item 0");
    for (std::size_t i = 1; i < r.hits.size(); ++i) EXPECT_LE(r.hits[i - 1].original.size(), r.hits[i].original.size());
    EXPECT_LE(r.hits.back().original.size(), std::string("item 1000").size());
}

}  // namespace
}  // namespace lexicon
