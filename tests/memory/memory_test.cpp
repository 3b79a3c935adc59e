// The translation memory: how originals are normalised and compared, how a stored
// translation is fitted to a new original, that the index finds what comparing with
// every entry finds, and which files a refresh reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <string>
#include <vector>

#include "lexicon/memory/bit_planes.h"
#include "lexicon/memory/memory.h"
#include "lexicon/memory/memory_text.h"
#include "memory_files_fake.h"

namespace lexicon {
namespace {

using testing::FakeFiles;

// Units back to text: '#' for a number, '@' for a placeholder.
std::string shown_units(const std::u16string& units) {
    std::string out;
    for (const char16_t u : units) {
        if (u == memory::number_token) {
            out += '#';
        } else if (u == memory::placeholder_token) {
            out += '@';
        } else if (u < 0x80) {
            out += static_cast<char>(u);
        } else {
            out += static_cast<char>(u >> 8);
            out += static_cast<char>(u & 0xFF);
        }
    }
    return out;
}

struct NormaliseCase {
    const char* text;
    const char* units;
    char access_key;
};

TEST(MemoryNormalise, AccessKeysNumbersPlaceholdersCaseAndBlanks) {
    const NormaliseCase cases[] = {
        {"&Save", "save", 'S'},
        {"Sa&ve", "save", 'v'},
        {"Save(&S)", "save", 'S'},
        {"  SAVE\t ", "save", 0},
        {"Save &As...", "save as", 'A'},
        {"Save As (&A)...", "save as", 'A'},
        {"R&&D", "r&d", 0},
        {"Version 2.1", "version #", 0},
        {"Copy 1,024 of 3 files", "copy # of # files", 0},
        {"%d files", "@ files", 0},
        {"%-5.2f%%", "@%", 0},
        {"%1 of %2!d!", "@ of @", 0},
        {"%2$s by %1$s", "@ by @", 0},
        {"100% of {0}", "#% of @", 0},
        {"打开(&O)", "打开", 'O'},
        {"文件  名", "文件 名", 0},
    };
    for (const NormaliseCase& c : cases) {
        const memory::Normalised n = memory::normalise(c.text);
        EXPECT_EQ(shown_units(n.units), c.units) << c.text;
        EXPECT_EQ(n.access_key, c.access_key) << c.text;
    }
}

// Real catalogues write access keys, shortcuts and closing marks each toolkit its own way;
// none of them is text.
struct FormattingCase {
    const char* text;
    const char* units;
    char access_key;
    char marker;
    const char* closing;
    const char* shortcut;
};

TEST(MemoryNormalise, ToolkitFormattingIsNoText) {
    const FormattingCase cases[] = {
        {"_Path:", "path", 'P', '_', ":", ""},
        {"Save _As...", "save as", 'A', '_', "...", ""},
        {"~Save As", "save as", 'S', '~', "", ""},
        {"&New\tCtrl+N", "new", 'N', '&', "", "\tCtrl+N"},
        {"&Search next\tF3", "search next", 'S', '&', "", "\tF3"},
        {"Page Se&tup...\tShift+Ctrl+P", "page setup", 't', '&', "...", "\tShift+Ctrl+P"},
        {"名称：", "名称", 0, 0, "\xA3\xBA", ""},
        {"页面设置(_U)\xA1\xAD", "页面设置", 'U', '_', "\xA1\xAD", ""},
        {"表头(&H):", "表头", 'H', '&', ":", ""},
        // GTK's '&' is a character when '_' marks the key.
        {"_Flip & Rotate", "flip rotate", 'F', '_', "", ""},
        // Not formatting: a name with '_', a tab between two placeholders, a '~' path.
        {"file_name", "file_name", 0, 0, "", ""},
        {"%1$s\t%2$s", "@ @", 0, 0, "", ""},
        {"~/.config and ~/.cache", "~/.config and ~/.cache", 0, 0, "", ""},
        {"Time:\t%s", "time: @", 0, 0, "", ""},
    };
    for (const FormattingCase& c : cases) {
        const memory::Normalised n = memory::normalise(c.text);
        EXPECT_EQ(shown_units(n.units), c.units) << c.text;
        EXPECT_EQ(n.access_key, c.access_key) << c.text;
        EXPECT_EQ(n.key_marker, c.marker) << c.text;
        EXPECT_EQ(n.closing, c.closing) << c.text;
        EXPECT_EQ(n.shortcut, c.shortcut) << c.text;
    }
}

TEST(MemoryNormalise, KeepsTheNumbersAndPlaceholdersInOrder) {
    const memory::Normalised n = memory::normalise("Copy %s: 3 of 12 (v2.0)");
    EXPECT_EQ(n.numbers, (std::vector<std::string_view>{"3", "12", "2.0"}));
    EXPECT_EQ(n.placeholders, (std::vector<std::string_view>{"%s"}));
}

TEST(MemoryNormalise, AGbkTrailByteIsNeverALetterOrAnAccessKey) {
    // 侨 is 0xC7 0x41: its trail byte is an upper-case A.
    const memory::Normalised n = memory::normalise(
        "\xC7\x41"
        "B");
    EXPECT_EQ(n.units.size(), 2u);
    EXPECT_EQ(n.units[0], 0xC741);
    EXPECT_EQ(n.units[1], u'b');
}

struct DistanceCase {
    std::u16string a, b;
    std::size_t limit, distance;
};

TEST(MemoryDistance, EditDistanceWithinALimit) {
    const DistanceCase cases[] = {
        {u"", u"", 3, 0},
        {u"abc", u"abc", 0, 0},
        {u"kitten", u"sitting", 5, 3},
        {u"kitten", u"sitting", 2, 3},  // over the limit: limit + 1
        {u"save as", u"save", 3, 3},
        {u"save as", u"save", 2, 3},
        {u"abcdef", u"badcfe", 6, 4},
        {u"", u"abcd", 10, 4},
        {u"open file", u"file open", 20, 8},
    };
    for (const DistanceCase& c : cases) {
        EXPECT_EQ(memory::edit_distance(c.a, c.b, c.limit), c.distance);
        EXPECT_EQ(memory::edit_distance(c.b, c.a, c.limit), c.distance);
        EXPECT_EQ(memory::DistanceTo(c.a)(c.b, c.limit), c.distance);
        EXPECT_EQ(memory::DistanceTo(c.b)(c.a, c.limit), c.distance);
    }
}

// The bit-parallel form against the table, on texts around its 64-unit word and of
// several words, with
// double-byte units and repeated characters.
TEST(MemoryDistance, TheBitParallelFormAgreesWithTheTable) {
    const char16_t alphabet[] = {u'a', u'b', u' ', 0xB4F2, 0xBFAA, 0xB4F3, memory::number_token};
    std::uint32_t seed = 11;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int round = 0; round < 3000; ++round) {
        std::u16string a, b;
        // Every other round past two words of 64 units.
        const std::size_t longest = round % 2 == 0 ? 70 : 200;
        const std::size_t la = next() % longest, lb = next() % longest;
        for (std::size_t i = 0; i < la; ++i) a += alphabet[next() % std::size(alphabet)];
        for (std::size_t i = 0; i < lb; ++i) b += alphabet[next() % std::size(alphabet)];
        const std::size_t limit = next() % (longest / 2);
        EXPECT_EQ(memory::DistanceTo(a)(b, limit), memory::edit_distance(a, b, limit))
            << la << " " << lb << " " << limit;
    }
}

TEST(MemoryDistance, ScoreIsThePercentOfCharacters) {
    EXPECT_EQ(memory::score(0, 4, 4), 100);
    EXPECT_EQ(memory::score(1, 4, 4), 75);
    EXPECT_EQ(memory::score(1, 3, 4), 75);
    EXPECT_EQ(memory::score(2, 3, 3), 33);
    EXPECT_EQ(memory::score(0, 0, 0), 100);
    // max_distance is the inverse: the largest distance that keeps the score.
    for (int min = 1; min <= 100; ++min) {
        for (std::size_t length = 1; length < 40; ++length) {
            const std::size_t d = memory::max_distance(min, length, length);
            EXPECT_GE(memory::score(d, length, length), min);
            if (d < length) {
                EXPECT_LT(memory::score(d + 1, length, length), min);
            }
        }
    }
}

struct AdaptCase {
    const char* query;
    const char* matched;
    const char* translation;
    const char* fitted;
};

TEST(MemoryAdapt, NumbersPlaceholdersAndAccessKeysFollowTheQuery) {
    const AdaptCase cases[] = {
        {"Version 2.1", "Version 2.0", "版本 2.0", "版本 2.1"},
        {"Copy 3 of 5 files", "Copy 1 of 2 files", "复制 2 个文件中的第 1 个", "复制 5 个文件中的第 3 个"},
        {"Page 7", "Page 7", "第 7 页", "第 7 页"},
        {"Step 4", "Step 1", "第一步", "第一步"},  // nothing to carry over
        {"%s files", "%d files", "%d 个文件", "%s 个文件"},
        {"&Open", "Op&en", "打开(&E)", "打开(&O)"},
        {"Open", "&Open", "打开(&O)", "打开"},
        {"&Open...", "Open...", "打开...", "打开(&O)..."},
        {"Open", "&Open...", "打开(&O)...", "打开"},
        // The query's key in its own marker, its closing mark and its shortcut.
        {"_Page Setup\xA1\xAD", "Page Se&tup...", "页面设置(&T)...", "页面设置(_P)\xA1\xAD"},
        {"_Line numbers:", "&Line numbers", "行号(&L)", "行号(_L):"},
        {"Save _As...", "Save &As...", "另存为(&A)...", "另存为(_A)..."},
        {"~Save As", "Save As", "另存为", "另存为(~S)"},
        {"&New\tCtrl+N", "New", "新建", "新建(&N)\tCtrl+N"},
        {"&Search next\tF3", "&Search next", "搜索文本(&S)", "搜索文本(&S)\tF3"},
        {"Print\tCtrl+P", "&Print...\tCtrl+Shift+P", "打印(&P)...\tCtrl+Shift+P", "打印\tCtrl+P"},
        {"Name:", "Name", "名称", "名称:"},
        {"&Save", "&Save", "保存(&S)", "保存(&S)"},
        // 侨 (0xC7 0x41) ends in a byte that looks like 'A': no access key there.
        {"Tab 2", "Tab 1", "\xC7\x41(1)", "\xC7\x41(2)"},
    };
    for (const AdaptCase& c : cases) {
        EXPECT_EQ(memory::adapt_translation(memory::normalise(c.query), memory::normalise(c.matched), c.translation),
                  c.fitted)
            << c.query;
    }
}

class MemoryTest : public ::testing::Test {
protected:
    FakeFiles files;
    Memory memory{files};
    Diagnostics diagnostics;

    void SetUp() override {
        files.put_library("LIB/common.LIB",
                          "Save &As...=另存为(&A)...\r\n"
                          "&Open=打开(&O)\r\n"
                          "Version 2.0=版本 2.0\r\n"
                          "Save the file=保存文件\r\n"
                          "Close=关闭\r\n");
        files.put_library("LIB/other.LIB",
                          "Sa&ve As...=存储为(&V)...\r\n"
                          "Close=关闭\r\n"
                          "Close all=全部关闭\r\n");
        memory.set_folder("LIB");
        memory.refresh(diagnostics);
    }

    std::vector<std::string> lines(std::string_view original, std::size_t top = 5) {
        std::vector<std::string> out;
        for (const MemorySuggestion& s : memory.suggest(original, {top, 50})) {
            out.push_back(cat(s.score, s.exact ? " = " : " ~ ", s.translation, " [", s.source, " x", s.count, "]"));
        }
        return out;
    }
};

TEST_F(MemoryTest, SuggestsExactNormalisedAndFuzzyMatchesBestFirst) {
    EXPECT_EQ(memory.files(), 2u);
    EXPECT_EQ(memory.entries(), 8u);
    EXPECT_EQ(lines("Save &As..."),
              (std::vector<std::string>{"100 = 另存为(&A)... [common.LIB x1]", "100 ~ 存储为(&A)... [other.LIB x1]"}));
    // The number of the query goes into the translation.
    EXPECT_EQ(lines("Version 2.1"), (std::vector<std::string>{"100 ~ 版本 2.1 [common.LIB x1]"}));
    // Two libraries with the same translation give one suggestion.
    EXPECT_EQ(lines("Close").front(), "100 = 关闭 [common.LIB x2]");
    EXPECT_EQ(lines("Save a file").front(), "76 ~ 保存文件 [common.LIB x1]");
    EXPECT_EQ(lines("Close", 1).size(), 1u);
    EXPECT_TRUE(lines("Something else entirely").empty());
    EXPECT_TRUE(lines("").empty());
    EXPECT_EQ(diagnostics.warnings() + diagnostics.errors(), 0u);
}

TEST_F(MemoryTest, AChangedLibraryIsReadAgainAndAnUnchangedOneIsNot) {
    files.put_library("LIB/other.LIB", "Close=合上\r\n", 2);
    memory.refresh(diagnostics);
    EXPECT_EQ(files.reads["LIB/common.LIB"], 1);
    EXPECT_EQ(files.reads["LIB/other.LIB"], 2);
    EXPECT_EQ(lines("Close all"), (std::vector<std::string>{"55 ~ 关闭 [common.LIB x1]", "55 ~ 合上 [other.LIB x1]"}));

    files.put_library("LIB/new.lib", "Close all=关闭全部\r\n");
    files.files.erase("LIB/common.LIB");
    memory.refresh(diagnostics);
    EXPECT_EQ(memory.files(), 2u);
    EXPECT_EQ(lines("Close all").front(), "100 = 关闭全部 [new.lib x1]");
    EXPECT_EQ(diagnostics.warnings() + diagnostics.errors(), 0u);
}

TEST_F(MemoryTest, AnUnreadableLibraryKeepsWhatWasReadAndIsReportedOnce) {
    // Half written, as by a colleague's save in progress, then locked.
    files.files["LIB/other.LIB"] = {files.files["LIB/other.LIB"].bytes.substr(0, 40), 2};
    memory.refresh(diagnostics);
    memory.refresh(diagnostics);
    ASSERT_EQ(diagnostics.listed().size(), 1u);
    EXPECT_EQ(diagnostics.listed()[0].code, Code::MemoryLibraryLeftOut);
    EXPECT_EQ(lines("Close all").front(), "100 = 全部关闭 [other.LIB x1]");

    files.put_library("LIB/other.LIB", "Close all=全部合上\r\n", 3);
    memory.refresh(diagnostics);
    EXPECT_EQ(lines("Close all").front(), "100 = 全部合上 [other.LIB x1]");

    files.locked = true;
    files.files["LIB/other.LIB"].modified = 4;
    memory.refresh(diagnostics);
    EXPECT_EQ(diagnostics.warnings(), 2u);
    EXPECT_EQ(lines("Close all").front(), "100 = 全部合上 [other.LIB x1]");
}

TEST_F(MemoryTest, AFolderThatIsAwayKeepsItsLibrariesAndIsReportedOnce) {
    files.folders.clear();
    memory.refresh(diagnostics);
    memory.refresh(diagnostics);
    ASSERT_EQ(diagnostics.errors(), 1u);
    EXPECT_EQ(diagnostics.listed()[0].code, Code::MemoryFolderUnreadable);
    EXPECT_EQ(memory.files(), 2u);
}

TEST(MemoryFiles, WordListsAndPoFilesNamedBesideTheFolder) {
    FakeFiles files;
    files.files["a.trs"] = {"Print=打印\r\nBad line without equals\r\n"};
    files.files["b.po"] = {
        "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
        "msgid \"Print preview\"\nmsgstr \"\xe6\x89\x93\xe5\x8d\xb0\xe9\xa2\x84\xe8\xa7\x88\"\n"};
    Memory memory(files);
    memory.add_file("a.trs");
    memory.add_file("b.po");
    memory.add_file("missing.txt");
    Diagnostics diagnostics;
    memory.refresh(diagnostics);
    EXPECT_EQ(memory.entries(), 2u);
    const auto found = memory.suggest("Print preview", {5, 30});
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].translation, "打印预览");
    EXPECT_EQ(found[0].source, "b.po");
    EXPECT_EQ(found[1].translation, "打印");
    ASSERT_EQ(diagnostics.listed().size(), 2u);
    EXPECT_EQ(diagnostics.listed()[0].code, Code::MemoryFileHasErrors);
    EXPECT_EQ(diagnostics.listed()[1].code, Code::MemoryFileUnreadable);
}

// The index against comparing with every entry: the same suggestions (score, translation,
// file and count, ties in the same order) for every query, over texts that share many
// pairs of characters, in three files. The first file holds more keys than one chunk of
// posting lists; the translations repeat, so that the N-th suggestion needs more keys.
// Most pairs are held by many keys (kept as bitmaps), a few by some (posting lists).
TEST(MemoryIndex, FindsWhatComparingWithEveryEntryFinds) {
    const char* words[] = {"open", "save", "file", "close",  "all",  "print",
                           "the",  "a",    "new",  "window", "打开", "文件"};
    std::uint32_t seed = 7;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) % 1000; };
    auto phrase = [&] {
        std::string text;
        const std::size_t n = 1 + next() % 4;
        for (std::size_t i = 0; i < n; ++i) text += cat(i ? " " : "", words[next() % std::size(words)]);
        if (next() % 5 == 0) text += cat(" ", next());
        return text;
    };
    std::string big;
    for (int i = 0; i < 70000; ++i) big += cat("item ", i, " of ", phrase(), "=", "项目", i % 7, "\r\n");
    std::string small, other;
    for (int i = 0; i < 400; ++i) small += cat(phrase(), "=", "译文", i % 50, "\r\n");
    for (int i = 0; i < 400; ++i) other += cat(phrase(), "=", "译文", i % 30, "\r\n");
    FakeFiles files;
    files.put_library("LIB/a.LIB", big);
    files.put_library("LIB/b.LIB", small);
    files.put_library("LIB/c.LIB", other);
    Memory memory(files);
    memory.set_folder("LIB");
    Diagnostics diagnostics;
    memory.refresh(diagnostics);
    ASSERT_EQ(memory.files(), 3u);
    auto shown = [](const std::vector<MemorySuggestion>& found) {
        std::vector<std::string> out;
        for (const auto& s : found) out.push_back(cat(s.score, " ", s.translation, " ", s.source, " x", s.count));
        return out;
    };
    std::vector<std::string> queries;
    for (int q = 0; q < 60; ++q) queries.push_back(phrase());
    for (int q = 0; q < 15; ++q) queries.push_back(cat("item ", next() * 70, " of ", phrase()));
    queries.push_back("item 65535 of");
    // Longer than one machine word of the bit-parallel distance.
    for (int q = 0; q < 10; ++q)
        queries.push_back(cat(phrase(), " ", phrase(), " ", phrase(), " ", phrase(), " ", phrase()));
    for (const std::string& query : queries) {
        for (const int min : {50, 70}) {
            for (const std::size_t top : {std::size_t{1}, std::size_t{5}}) {
                EXPECT_EQ(shown(memory.suggest(query, {top, min})), shown(memory.suggest_by_scan(query, {top, min})))
                    << query << " at " << min << ", top " << top;
            }
        }
    }
}

// The index adds up the bitmaps of common pairs in bit planes, several words side by
// side: every key's count must be the number of bitmaps that hold it, for every count of
// bitmaps the tree of carry-save steps handles differently (0, 1, 2, 7, 8, 9, 16, 23, 40)
// and in every lane width this processor has, from a word that is not the first.
TEST(MemoryBitPlanes, EveryKeysCountIsTheNumberOfBitmapsThatHoldIt) {
    constexpr std::size_t words = 12;
    std::uint64_t seed = 99;
    auto next = [&] { return seed = seed * 6364136223846793005ull + 1442695040888963407ull, seed; };
    std::vector<std::vector<std::uint64_t>> bitmaps(40, std::vector<std::uint64_t>(words));
    for (auto& bits : bitmaps) {
        // Some sparse, some dense, some full, so that high counts occur.
        const std::uint64_t kind = next() % 3;
        for (auto& w : bits) w = kind == 0 ? next() & next() : kind == 1 ? next() | next() : ~std::uint64_t{0};
    }
    std::vector<const std::uint64_t*> pointers;
    for (const auto& bits : bitmaps) pointers.push_back(bits.data());
    std::vector<std::size_t> widths = {1, 2};
    if (bitmap_lanes() == 4) widths.push_back(4);
    for (const std::size_t count : {0u, 1u, 2u, 7u, 8u, 9u, 16u, 23u, 40u}) {
        const auto planes = static_cast<std::size_t>(std::bit_width(count));
        for (const std::size_t lanes : widths) {
            const std::size_t w = 5;
            std::uint64_t plane[max_bit_planes][max_plane_lanes];
            add_bitmap_words(pointers.data(), count, w, planes, plane, lanes);
            for (std::size_t lane = 0; lane < lanes; ++lane) {
                for (std::size_t bit = 0; bit < 64; ++bit) {
                    std::size_t expected = 0;
                    for (std::size_t b = 0; b < count; ++b) expected += bitmaps[b][w + lane] >> bit & 1;
                    std::size_t counted = 0;
                    for (std::size_t i = 0; i < planes; ++i) counted |= (plane[i][lane] >> bit & 1) << i;
                    ASSERT_EQ(counted, expected)
                        << count << " bitmaps, " << lanes << " lanes, word " << w + lane << ", bit " << bit;
                }
            }
        }
    }
}

TEST(MemoryConsistency, DifferentTranslationsAndSharedTranslationsMostFrequentFirst) {
    FakeFiles files;
    files.put_library("LIB/a.LIB", "&File=文件(&F)\r\nOpen=打开\r\nOK=确定\r\n");
    files.put_library("LIB/b.LIB", "File=档案\r\nOpen=打开\r\nConfirm=确定\r\n");
    files.put_library("LIB/c.LIB", "Fi&le=文件(&L)\r\nOK=确定\r\n");
    Memory memory(files);
    memory.set_folder("LIB");
    Diagnostics diagnostics;
    memory.refresh(diagnostics);
    const ConsistencyReport report = check_consistency(memory);
    ASSERT_EQ(report.translations_differ.size(), 1u);
    const ConsistencyItem& file = report.translations_differ[0];
    EXPECT_EQ(file.count, 3u);
    ASSERT_EQ(file.variants.size(), 2u);
    EXPECT_EQ(file.variants[0].count, 2u);
    EXPECT_EQ(file.variants[0].sources, (std::vector<std::string>{"a.LIB", "c.LIB"}));
    EXPECT_EQ(file.variants[1].text, "档案");
    EXPECT_EQ(file.variants[1].sources, (std::vector<std::string>{"b.LIB"}));

    ASSERT_EQ(report.originals_share.size(), 1u);
    EXPECT_EQ(report.originals_share[0].text, "确定");
    EXPECT_EQ(report.originals_share[0].variants[0].text, "OK");
    EXPECT_EQ(report.originals_share[0].variants[0].count, 2u);
    EXPECT_EQ(report.originals_share[0].variants[1].text, "Confirm");
}

}  // namespace
}  // namespace lexicon
