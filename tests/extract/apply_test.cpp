// Writing resources back: the resource-tree writer against its reader on random trees,
// the file rebuild (in place, appended section, overlay, signature, refusals), the
// translations applied to each kind of template, the dialog fitting rule and Mervik
// --apply's refusals. Wine's own programs are rebuilt by apply_real_data_test.py.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "lexicon/program/dialog_fit.h"
#include "lexicon/program/pe_file.h"
#include "lexicon/program/pe_resources.h"
#include "lexicon/program/program_apply.h"
#include "lexicon/program/program_extract.h"
#include "lexicon/program/resource_tree.h"
#include "memory_platform.h"
#include "mervik/driver.h"
#include "pe_builder.h"

namespace {

using namespace extract_test;
using lexicon::ApplyCounts;
using lexicon::ApplyOptions;
using lexicon::Diagnostics;
using lexicon::Found;
using lexicon::pe::ResourceId;
using lexicon::pe::TreeEntry;
using mervik::testing::MemoryPlatform;

constexpr std::uint16_t en = 0x0409, zh = 0x0804;

std::uint32_t get32(const std::string& s, std::size_t at) {
    return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8 |
           static_cast<unsigned char>(s[at + 2]) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}

ResourceId random_id(std::mt19937& rng) {
    ResourceId id;
    if (rng() % 3 == 0) {
        const std::size_t length = 1 + rng() % 6;
        for (std::size_t i = 0; i < length; ++i) id.name.push_back(static_cast<char16_t>('A' + rng() % 4));
    } else {
        id.number = static_cast<std::uint16_t>(rng() % 8);
    }
    return id;
}

TEST(ResourceTree, RandomTreesReadBackAsWritten) {
    std::mt19937 rng(20261211);
    for (int round = 0; round < 300; ++round) {
        std::vector<TreeEntry> entries;
        const std::size_t count = rng() % 40;
        for (std::size_t i = 0; i < count; ++i) {
            TreeEntry e{random_id(rng),
                        random_id(rng),
                        static_cast<std::uint16_t>(rng() % 4 * 0x0404),
                        static_cast<std::uint32_t>(rng() % 2 ? 0 : 936),
                        {}};
            e.bytes.resize(rng() % 50);
            for (char& c : e.bytes) c = static_cast<char>(rng());
            entries.push_back(std::move(e));
        }
        lexicon::pe::normalise_tree(entries);
        const std::uint32_t rva = 0x1000 * (1 + rng() % 16);
        const std::string section = lexicon::pe::write_resource_tree(entries, rva);
        const lexicon::pe::DataAt data_at = [&](std::uint32_t at,
                                                std::uint32_t size) -> std::optional<std::string_view> {
            if (at < rva || at - rva + std::uint64_t{size} > section.size()) return std::nullopt;
            return std::string_view(section).substr(at - rva, size);
        };
        std::string error;
        const auto back = lexicon::pe::read_resource_tree(section, data_at, error);
        ASSERT_TRUE(back) << error;
        ASSERT_EQ(back->size(), entries.size()) << "round " << round;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ((*back)[i].type, entries[i].type);
            EXPECT_EQ((*back)[i].name, entries[i].name);
            EXPECT_EQ((*back)[i].language, entries[i].language);
            EXPECT_EQ((*back)[i].code_page, entries[i].code_page);
            EXPECT_EQ((*back)[i].bytes, entries[i].bytes);
        }
        // The same list gives the same bytes.
        EXPECT_EQ(lexicon::pe::write_resource_tree(*back, rva), section);
    }
}

TEST(ResourceTree, LaterEntryWithTheSameKeyWins) {
    const auto entry = [](std::uint16_t type, ResourceId name, const char* bytes) {
        return TreeEntry{ResourceId{type, {}}, std::move(name), en, 0, bytes};
    };
    std::vector<TreeEntry> entries{entry(6, {1, {}}, "old"), entry(4, {0, u"MAIN"}, "m"), entry(6, {1, {}}, "new")};
    lexicon::pe::normalise_tree(entries);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].bytes, "m");
    EXPECT_EQ(entries[1].bytes, "new");
}

std::string sample() {
    return build_pe({
        {4, 1, en,
         build_menu({{0, u"&File", 0, true},
                     {1, u"&Open", 100, false},
                     {1, u"E&xit", 101, false},
                     {0, u"&Help", 0, true},
                     {1, u"&About", 102, false}})},
        {5, 7, en,
         build_dialog(u"Find",
                      {{1, 0x80, u"OK", 50, 14}, {0xFFFF, 0x82, u"&Name:", 40, 8}, {3, 0x82, u"%s files", 60, 8}})},
        {6, 1, en, build_strings({{0, u"Ready"}, {1, u"%d of %d"}})},
    });
}

const std::map<std::string, std::string> chinese{{"&File", "文件(&F)"},
                                                 {"&Open", "打开(&O)"},
                                                 {"E&xit", "退出"},  // the exit item's key is left out: W204
                                                 {"&About", "关于(&A)"},
                                                 {"Find", "查找"},
                                                 {"OK", "确定"},
                                                 {"&Name:", "名称(&N):"},
                                                 {"Ready", "就绪"},
                                                 {"%s files", "%d 个文件"},  // E108
                                                 {"%d of %d", "第 %d 个，共 %d 个"}};

lexicon::Translations lookup(const std::map<std::string, std::string>& table) {
    return [&table](std::string_view original) -> std::optional<Found> {
        const auto it = table.find(std::string(original));
        if (it == table.end()) return std::nullopt;
        return Found{it->second, lexicon::refusing_check(it->first, it->second)};
    };
}

std::string extracted(const std::string& program, lexicon::ExtractOptions options = {}) {
    lexicon::ProgramExtractor x(options);
    Diagnostics d;
    EXPECT_TRUE(x.add("a.exe", program, d));
    return x.word_list();
}

TEST(Apply, TranslatesMenusDialogsAndStringsAndRefusesWhatAChecksRefuses) {
    const std::string in = sample();
    ApplyCounts n;
    Diagnostics d;
    std::string error;
    const auto out = lexicon::apply_translations("a.exe", in, lookup(chinese), {}, n, d, error);
    ASSERT_TRUE(out) << error;
    EXPECT_EQ(n.translated, 8u);
    EXPECT_EQ(n.refused, 2u);       // E&xit (W204) and %s files (E108)
    EXPECT_EQ(n.untranslated, 1u);  // &Help
    const std::string list = extracted(*out);
    for (const char* text : {"文件(&F)=", "打开(&O)=", "E&xit=", "关于(&A)=", "查找=", "确定=", "名称(&N):=", "就绪=",
                             "%s files=", "第 %d 个，共 %d 个=", "&Help="}) {
        EXPECT_NE(list.find(std::string("\r\n") + text), std::string::npos) << text << "\n" << list;
    }
    std::size_t refusals = 0;
    for (const auto& m : d.listed()) refusals += m.code == lexicon::Code::TranslationNotApplied;
    EXPECT_EQ(refusals, 2u);
}

TEST(Apply, TranslationLanguageGoesBesideTheOriginalsAndReplacesTheOldOnes) {
    std::vector<Res> res{{6, 1, en, build_strings({{0, u"Ready"}})},
                         {6, 1, zh, build_strings({{0, u"准备"}})},
                         {6, 2, en, build_strings({{0, u"Busy"}})}};
    const std::string in = build_pe(res);
    ApplyOptions options;
    options.translation_language = zh;
    ApplyCounts n;
    Diagnostics d;
    std::string error;
    const std::map<std::string, std::string> table{{"Ready", "就绪"}, {"Busy", "忙"}};
    const auto out = lexicon::apply_translations("a.exe", in, lookup(table), options, n, d, error);
    ASSERT_TRUE(out) << error;
    EXPECT_EQ(n.replaced_resources, 1u);
    ASSERT_EQ(d.listed().size(), 1u);
    EXPECT_EQ(d.listed()[0].code, lexicon::Code::TranslationsReplaced);
    // The English stay; the Chinese of both blocks are the library's.
    const std::string list = extracted(*out);
    EXPECT_NE(list.find("\r\nReady=就绪\r\n"), std::string::npos) << list;
    EXPECT_NE(list.find("\r\nBusy=忙\r\n"), std::string::npos) << list;
}

// The dialog fitting rule: each case one control whose text is replaced.
TEST(DialogFit, WidensIntoFreeSpaceThenWidensTheDialog) {
    struct Case {
        const char* what;
        std::u16string text;
        std::int16_t cx;
        bool with_neighbour;  // a control at x 100 in the same rows
        bool widen;
        std::int16_t want_cx, want_dialog_cx, want_neighbour_x;
        bool fits;
    };
    const Case cases[] = {
        {"fits", u"OK", 40, true, true, 40, 200, 100, true},
        {"into the free space", u"这是一段比较长的文字", 40, false, true, 80, 200, 100, true},
        {"up to the neighbour, then the dialog grows", u"这是一段比较长的文字", 40, true, true, 80, 215, 115, true},
        {"--no-fit", u"这是一段比较长的文字", 40, true, false, 40, 200, 100, false},
        {"two lines in a one-row control", u"一\n二", 40, false, true, 40, 200, 100, false},
    };
    for (const Case& c : cases) {
        lexicon::pe::Dialog dialog;
        dialog.cx = 200;
        dialog.cy = 100;
        lexicon::pe::Control label;
        label.class_name = u"STATIC";
        label.style = 0x5000000C;  // SS_LEFTNOWORDWRAP
        label.x = 35;
        label.y = 10;
        label.cx = c.cx;
        label.cy = 8;
        label.text = c.text;
        dialog.controls.push_back(label);
        lexicon::pe::Control neighbour = label;
        neighbour.x = c.with_neighbour ? 100 : 150;
        neighbour.y = c.with_neighbour ? 12 : 40;
        neighbour.text = u"x";
        dialog.controls.push_back(neighbour);
        const lexicon::FitResult r = lexicon::fit_dialog(dialog, {0}, c.widen);
        EXPECT_EQ(dialog.controls[0].cx, c.want_cx) << c.what;
        EXPECT_EQ(dialog.cx, c.want_dialog_cx) << c.what;
        if (c.with_neighbour) {
            EXPECT_EQ(dialog.controls[1].x, c.want_neighbour_x) << c.what;
        }
        EXPECT_EQ(r.not_fitting.empty(), c.fits) << c.what;
    }
}

TEST(Apply, NarrowDialogControlIsWidenedInTheFile) {
    const std::string in = build_pe({{5, 7, en, build_dialog(u"Find", {{5, 0x80, u"Go", 20, 14}})}});
    const std::map<std::string, std::string> table{{"Go", "立即开始搜索"}};
    for (const bool fit : {true, false}) {
        ApplyOptions options;
        options.fit = fit;
        ApplyCounts n;
        Diagnostics d;
        std::string error;
        const auto out = lexicon::apply_translations("a.exe", in, lookup(table), options, n, d, error);
        ASSERT_TRUE(out) << error;
        std::vector<lexicon::pe::Resource> resources = *lexicon::pe::read_resources(*out, error);
        lexicon::pe::Dialog dialog;
        ASSERT_TRUE(lexicon::pe::parse_dialog(resources[0].bytes, dialog, error)) << error;
        EXPECT_EQ(dialog.controls[0].text, u"立即开始搜索");
        if (fit) {
            EXPECT_EQ(n.widened, 1u);
            EXPECT_GT(dialog.controls[0].cx, 20);
            EXPECT_EQ(d.listed().size(), 0u);
        } else {
            EXPECT_EQ(dialog.controls[0].cx, 20);
            EXPECT_EQ(n.not_fitting, 1u);
            ASSERT_EQ(d.listed().size(), 1u);
            EXPECT_EQ(d.listed()[0].code, lexicon::Code::TextDoesNotFit);
        }
    }
}

// Adds a code section after the resources, so that the resources are no longer last,
// and an overlay after both.
std::string with_code_after(std::string pe, const std::string& overlay) {
    const std::size_t section = 0x58 + 224;
    const std::uint32_t rsrc_raw = get32(pe, section + 16);
    pe.resize((pe.size() + 0x1FF) & ~std::size_t{0x1FF}, '\0');
    const std::size_t code_at = pe.size();
    pe += std::string(0x200, '\xCC');
    const std::size_t header = section + 40;
    pe.replace(header, 5, ".text");
    put32(pe, header + 8, 0x200);
    put32(pe, header + 12, 0x1000 + ((rsrc_raw + 0xFFF) & ~0xFFFu));
    put32(pe, header + 16, 0x200);
    put32(pe, header + 20, static_cast<std::uint32_t>(code_at));
    put16(pe, 0x46, 2);
    return pe + overlay;
}

TEST(Rebuild, AppendsASectionKeepsTheRestAndTheOverlayAndDropsTheSignature) {
    std::string in = with_code_after(sample(), "OVERLAY-DATA");
    // A signature at the end, named by the certificate directory.
    const std::size_t cert_dir = 0x58 + 96 + 4 * 8;
    put32(in, cert_dir, static_cast<std::uint32_t>(in.size()));
    put32(in, cert_dir + 4, 16);
    in += std::string(16, 'S');
    ApplyCounts n;
    Diagnostics d;
    std::string error;
    const auto out = lexicon::apply_translations("a.exe", in, lookup(chinese), {}, n, d, error);
    ASSERT_TRUE(out) << error;
    std::string why;
    const auto before = lexicon::pe::read_layout(in, why);
    const auto after = lexicon::pe::read_layout(*out, why);
    ASSERT_TRUE(before && after) << why;
    ASSERT_EQ(after->sections.size(), 3u);
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& s = before->sections[i];
        EXPECT_EQ(out->substr(s.raw_offset, s.raw_size), in.substr(s.raw_offset, s.raw_size)) << i;
    }
    EXPECT_EQ(after->resource_rva, after->sections[2].address);
    EXPECT_EQ(out->substr(out->size() - 12), "OVERLAY-DATA");
    EXPECT_EQ(after->certificate_offset, 0u);
    EXPECT_EQ(get32(*out, 0x58 + 64), lexicon::pe::pe_checksum(*out, 0x58 + 64));
    EXPECT_EQ(get32(*out, 0x58 + 56), after->sections[2].address + 0x1000);
    bool warned = false;
    for (const auto& m : d.listed()) warned = warned || m.code == lexicon::Code::SignatureRemoved;
    EXPECT_TRUE(warned);
    EXPECT_NE(extracted(*out).find("\r\n查找="), std::string::npos);
}

TEST(Rebuild, RefusesBadInputWithAMessage) {
    std::string no_room = with_code_after(sample(), "");
    no_room.replace(0x58 + 224 + 80, 8, "XXXXXXXX");  // something where a third header would go
    std::string looping = sample();
    // The root directory's first entry points back at the root.
    put32(looping, 0x200 + 20, 0x80000000u);
    struct Case {
        const char* what;
        std::string file;
        const char* message;
    } cases[] = {
        {"not a PE file", "MZ but nothing more", "不是 Windows 程序"},
        {"truncated", sample().substr(0, 0x230), "超出了文件"},
        {"a loop", looping, "有环"},
        {"no room for a section header", no_room, "没有空间"},
    };
    for (const Case& c : cases) {
        ApplyCounts n;
        Diagnostics d;
        std::string error;
        EXPECT_FALSE(lexicon::apply_translations("a.exe", c.file, lookup(chinese), {}, n, d, error)) << c.what;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    }
}

// Compiling an extracted list checks the access keys of each menu popup and dialog.
TEST(ExtractedAccessKeys, TwoKeysInOnePopupAreReportedAndASharedOriginalCountsInBoth) {
    const std::string program = build_pe({
        {4, 1, en, build_menu({{0, u"&Edit", 0, true}, {1, u"&Find...", 100, false}, {1, u"Find &Next", 101, false}})},
        {4, 1, zh,
         build_menu({{0, u"编辑(&E)", 0, true}, {1, u"搜索(&S)…", 100, false}, {1, u"搜索下一个(&S)", 101, false}})},
        {4, 2, en, build_menu({{0, u"&File", 0, true}, {1, u"&Save", 200, false}})},
        {4, 2, zh, build_menu({{0, u"文件(&F)", 0, true}, {1, u"保存(&S)", 200, false}})},
        {4, 3, en, build_menu({{0, u"&Tools", 0, true}, {1, u"&Save", 200, false}, {1, u"Se&ttings", 201, false}})},
        {4, 3, zh, build_menu({{0, u"工具(&T)", 0, true}, {1, u"保存(&S)", 200, false}, {1, u"设置(&S)", 201, false}})},
    });
    MemoryPlatform platform;
    platform.files["a.trs"] = extracted(program);
    mervik::run({"a.trs", "a.LIB", "x"}, platform);
    const std::string& messages = platform.printed_errors;
    std::size_t count = 0;
    for (std::size_t at = messages.find("W216"); at != std::string::npos; at = messages.find("W216", at + 1)) ++count;
    EXPECT_EQ(count, 2u) << messages;
    EXPECT_NE(messages.find("a.exe MENU 1 位置 1"), std::string::npos) << messages;
    EXPECT_NE(messages.find("a.exe MENU 3 位置 1"), std::string::npos) << messages;
    // Each original once, though it is in two menus.
    const std::string& list = platform.files["a.trs"];
    EXPECT_EQ(list.find("\r\n&Save="), list.rfind("\r\n&Save="));
}

TEST(MervikApply, WritesTheProgramAndRefusesToOverwriteItsInput) {
    MemoryPlatform platform;
    platform.files["a.exe"] = sample();
    platform.files["zh.trs"] = "&File=文件(&F)\r\nFind=查找\r\n;@no-check W204\r\nE&xit=退出\r\n";
    EXPECT_EQ(mervik::run({"--apply", "a.exe", "--library", "zh.trs", "-o", "out/a.exe"}, platform), 0)
        << platform.printed_errors;
    ASSERT_EQ(platform.files.count("out/a.exe"), 1u) << platform.printed_errors;
    const std::string list = extracted(platform.files["out/a.exe"]);
    EXPECT_NE(list.find("\r\n退出="), std::string::npos) << list;  // the opt-out lets it in
    EXPECT_NE(platform.printed_errors.find("3 处译文"), std::string::npos) << platform.printed_errors;

    platform.files.erase("out/a.exe");
    EXPECT_NE(mervik::run({"--apply", "a.exe", "--library", "zh.trs", "-o", "A.EXE"}, platform), 0);
    EXPECT_NE(platform.printed_errors.find("就是输入的程序"), std::string::npos) << platform.printed_errors;
    platform.files["bad.exe"] = "not a program";
    EXPECT_NE(mervik::run({"--apply", "bad.exe", "--library", "zh.trs", "-o", "out.exe"}, platform), 0);
    EXPECT_NE(platform.printed_errors.find("E121"), std::string::npos) << platform.printed_errors;
    EXPECT_EQ(platform.files.count("out.exe"), 0u);
    EXPECT_EQ(platform.files.count("A.EXE"), 0u);
}

}  // namespace
