// The resource reader and the extractor on PE files built byte by byte; the real
// programs are checked by real_data_test.py against an independent decompiler.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "lexicon/program/pe_resources.h"
#include "lexicon/program/program_extract.h"
#include "memory_platform.h"
#include "mervik/driver.h"
#include "mervik/fit_check.h"
#include "pe_builder.h"

namespace {

using namespace extract_test;
using lexicon::Diagnostics;
using lexicon::ProgramExtractor;
using mervik::testing::MemoryPlatform;

constexpr std::uint16_t en = 0x0409, zh = 0x0804;

std::string sample_program(bool plus = false) {
    return build_pe(
        {
            {4, 1, en,
             build_menu({{0, u"&File", 0, true},
                         {1, u"&Open", 100, false},
                         {1, u"", 0, false},
                         {1, u"E&xit", 101, false},
                         {0, u"&Help", 0, true},
                         {1, u"&About", 102, false}})},
            {4, 1, zh,
             build_menu({{0, u"文件(&F)", 0, true},
                         {1, u"打开(&O)", 100, false},
                         {0, u"帮助(&H)", 0, true},
                         {1, u"关于(&A)", 102, false}})},
            {5, 7, en,
             build_dialog(u"Find", {{1, 0x80, u"OK", 50, 14},
                                    {0xFFFF, 0x82, u"&Name:", 40, 8},
                                    {0xFFFF, 0x82, u"&Where:", 40, 8},
                                    {3, 0x82, u"...", 20, 8}})},
            {5, 7, zh,
             build_dialog(u"查找", {{1, 0x80, u"确定", 50, 14},
                                    {0xFFFF, 0x82, u"名称(&N):", 40, 8},
                                    {0xFFFF, 0x82, u"位置(&W):", 40, 8},
                                    {3, 0x82, u"...", 20, 8}})},
            {5, 8, en,
             build_dialog(u"Options", {{1, 0x80, u"OK", 50, 14}, {0xFFFF, 0x82, u"&Name:", 40, 8}}, true, u"Tahoma", 9,
                          700, true)},
            {5, 8, zh,
             build_dialog(
                 u"选项",
                 {{1, 0x80, u"好", 50, 14}, {0xFFFF, 0x82, u"名字:", 40, 8}, {0xFFFF, 0x82, u"多出来的", 40, 8}}, true,
                 u"Tahoma", 9, 700, true)},
            {6, 1, en, build_strings({{0, u"Ready"}, {1, u"Caf\u00e9 \u062c"}, {2, u"42 %"}, {3, u"Line\tTab\n"}})},
            {6, 1, zh, build_strings({{0, u"就绪"}, {3, u"行\t制表\n"}})},
        },
        plus);
}

std::string extract(const std::string& pe, Diagnostics& d, lexicon::ExtractOptions options = {}) {
    ProgramExtractor x(options);
    EXPECT_TRUE(x.add("prog.exe", pe, d));
    return x.word_list();
}

// The entry line after the comment line that starts with `comment`, and that comment line.
std::pair<std::string, std::string> entry_after(const std::string& list, const std::string& comment) {
    const std::size_t at = list.find("; " + comment);
    if (at == std::string::npos) return {};
    const std::size_t line_end = list.find("\r\n", at);
    std::size_t entry = line_end + 2;
    while (list.compare(entry, 2, "; ") == 0) entry = list.find("\r\n", entry) + 2;
    return {list.substr(entry, list.find("\r\n", entry) - entry), list.substr(at + 2, line_end - at - 2)};
}

TEST(Extract, PairsByIdAndSaysWhyWhereTheStructuresDiffer) {
    for (const bool plus : {false, true}) {
        Diagnostics d;
        const std::string list = extract(sample_program(plus), d);
        SCOPED_TRACE(list);
        struct Case {
            const char* comment;
            const char* entry;
            const char* note;  // in the comment line, "" when none
        } cases[] = {
            {"prog.exe MENU 1 位置 1", "&File=文件(&F)", ""},
            {"prog.exe MENU 1 项 100", "&Open=打开(&O)", ""},
            {"prog.exe MENU 1 项 101", "E&xit=", "（无译文：译文菜单里没有与此对应的项 101）"},
            {"prog.exe MENU 1 项 102", "&About=关于(&A)", ""},
            {"prog.exe DIALOG 7 标题 字体 \"MS Shell Dlg\" 8", "Find=查找", ""},
            {"prog.exe DIALOG 7 控件 65535 STATIC 40x8 样式 0x50000000 字体 \"MS Shell Dlg\" 8",
             "&Name:=名称(&N):", ""},
            {"prog.exe DIALOG 7 控件 1 BUTTON 50x14", "OK=确定", ""},
            // Same original, another translation in another dialog: kept on its own line.
            {"prog.exe DIALOG 8 控件 1 BUTTON 50x14 样式 0x50000000 字体 \"Tahoma\" 9 700 斜体", "OK=确定",
             "（此处译文：好）"},
            {"prog.exe STRINGTABLE 0", "Ready=就绪", ""},
            {"prog.exe STRINGTABLE 3", "Line\\tTab\\n=行\\t制表\\n", ""},
        };
        for (const Case& c : cases) {
            const auto [entry, comment] = entry_after(list, c.comment);
            EXPECT_EQ(entry, c.entry) << c.comment;
            EXPECT_NE(comment.find(c.note), std::string::npos) << comment;
        }
        // A repeated control id in a dialog whose translation has other controls: no guess.
        const auto where = entry_after(list, "prog.exe DIALOG 8 控件 65535");
        EXPECT_NE(where.second.find("无法对应"), std::string::npos) << where.second;
        // Each original once; texts without a letter left out; the GBK-less one with a warning.
        EXPECT_EQ(list.find("\r\nOK="), list.rfind("\r\nOK="));
        EXPECT_EQ(list.find("...="), std::string::npos);
        EXPECT_EQ(list.find("42 %"), std::string::npos);
        EXPECT_EQ(list.find("Caf"), std::string::npos);
        ASSERT_EQ(d.warnings(), 1u);
        EXPECT_EQ(d.listed()[0].code, lexicon::Code::ExtractNotGbk);
        EXPECT_NE(d.listed()[0].text.find("U+062C"), std::string::npos);
    }
}

TEST(Extract, LanguagesCanBeChosen) {
    Diagnostics d;
    lexicon::ExtractOptions options;
    options.source_language = zh;
    options.translation_language = en;
    const std::string list = extract(sample_program(), d, options);
    EXPECT_EQ(entry_after(list, "prog.exe MENU 1 项 100").first, "打开(&O)=&Open");
    // Without neutral or English resources the file's first language is the source.
    const std::string german = build_pe({{6, 1, 0x0407, build_strings({{0, u"Bereit"}})}});
    EXPECT_EQ(entry_after(extract(german, d), "prog.exe STRINGTABLE 0").first, "Bereit=");
}

TEST(Extract, TheDialogPlaceReadsBack) {
    struct Case {
        const char* line;
        const char* cls;
        int cx, cy, points, weight;
        bool italic;
        std::uint32_t style;
    } cases[] = {
        {"; a.exe DIALOG 7 控件 -1 STATIC 40x8 样式 0x50020000 字体 \"MS Shell Dlg\" 8", "STATIC", 40, 8, 8, 0, false,
         0x50020000},
        {"; a b.exe DIALOG X 控件 1 BUTTON 50x14 样式 0x50010001 字体 \"Tahoma\" 9 700 斜体 （此处译文：好）", "BUTTON",
         50, 14, 9, 700, true, 0x50010001},
    };
    for (const Case& c : cases) {
        const auto place = lexicon::parse_dialog_place(c.line);
        ASSERT_TRUE(place) << c.line;
        EXPECT_EQ(place->class_name, c.cls);
        EXPECT_EQ(place->cx, c.cx);
        EXPECT_EQ(place->cy, c.cy);
        EXPECT_EQ(place->font_points, c.points);
        EXPECT_EQ(place->font_weight, c.weight);
        EXPECT_EQ(place->italic, c.italic);
        EXPECT_EQ(place->style, c.style);
    }
    EXPECT_FALSE(lexicon::parse_dialog_place("; a.exe DIALOG 7 标题 字体 \"MS Shell Dlg\" 8"));
    EXPECT_FALSE(lexicon::parse_dialog_place("; a.exe MENU 1 项 100"));
}

// Every cut of a file and every single byte changed in its resources must give a
// message or a result, never a crash (the sanitizers watch the reads).
TEST(ResourceReader, TruncatedAndDamagedFilesGiveAMessage) {
    const std::string pe = sample_program();
    for (std::size_t size = 0; size < pe.size(); ++size) {
        Diagnostics d;
        ProgramExtractor x({});
        x.add("cut.exe", pe.substr(0, size), d);
    }
    for (std::size_t at = 0x58; at < pe.size(); ++at) {
        for (const unsigned char v : {0x00, 0x7F, 0x80, 0xFF}) {
            std::string bad = pe;
            bad[at] = static_cast<char>(v);
            Diagnostics d;
            ProgramExtractor x({});
            x.add("bad.exe", bad, d);
        }
    }
}

TEST(ResourceReader, HostileStructuresAreNamed) {
    const std::string pe = sample_program();
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"text", "hello, world", "不是 Windows 程序"},
        {"no PE header", std::string("MZ") + std::string(0x80, '\0'), "不是 Windows 程序"},
        {"cut in the resource section", pe.substr(0, 0x200 + 40), "资源"},
    };
    std::string loop = pe;
    put32(loop, 0x200 + 20, 0x80000000u);  // the first type's subdirectory is the root itself
    std::string outside = pe;
    // The first data entry of the first resource: its RVA far beyond the section.
    const std::size_t first_entry = 0x200 + (16 + 8 * 3) + (16 + 8 * 1) + (16 + 8 * 2);
    put32(outside, first_entry, 0x7FFFFFF0u);
    std::string cut_menu = pe;
    put32(cut_menu, first_entry + 4, 6);  // the menu's size: six bytes, into its first item
    std::string count = build_pe({{5, 1, en, build_dialog(u"A", {{1, 0x80, u"OK", 50, 14}})}});
    put16(count, 0x200 + 16 + 8 + 16 + 8 + 16 + 8 + 16 + 8, 0xFFFF);  // the control count
    for (Case& c : cases) {
        Diagnostics d;
        ProgramExtractor x({});
        EXPECT_FALSE(x.add("x.exe", c.bytes, d)) << c.name;
        ASSERT_EQ(d.errors(), 1u) << c.name;
        EXPECT_EQ(d.listed()[0].code, lexicon::Code::ProgramUnreadable);
        EXPECT_NE(d.listed()[0].text.find(c.message), std::string::npos) << c.name << ": " << d.listed()[0].text;
    }
    const struct {
        const char* name;
        const std::string& bytes;
        const char* message;
    } damaged[] = {{"loop", loop, "环"},
                   {"data outside", outside, "超出了文件"},
                   {"cut menu", cut_menu, "菜单"},
                   {"control count", count, "声称有 65535 个控件"}};
    for (const auto& c : damaged) {
        Diagnostics d;
        ProgramExtractor x({});
        EXPECT_FALSE(x.add("x.exe", c.bytes, d)) << c.name;
        ASSERT_EQ(d.errors(), 1u) << c.name;
        EXPECT_NE(d.listed()[0].text.find(c.message), std::string::npos) << c.name << ": " << d.listed()[0].text;
    }
}

TEST(ExtractCommand, WritesNothingWhenAProgramIsBad) {
    MemoryPlatform p;
    p.files["good.exe"] = sample_program();
    p.files["bad.exe"] = "not a program";
    p.files["out.trs"] = "old";
    EXPECT_EQ(mervik::run({"--extract", "good.exe", "bad.exe", "-o", "out.trs"}, p), mervik::exit_source_errors);
    EXPECT_EQ(p.files["out.trs"], "old");
    EXPECT_NE(p.files["prog/Mervik.ERR"].find("E120"), std::string::npos);
    EXPECT_EQ(mervik::run({"--extract", "good.exe", "-o", "out.trs", "--translation-lang", "0x0804"}, p),
              mervik::exit_written)
        << p.files["prog/Mervik.ERR"];
    EXPECT_NE(p.files["out.trs"].find("&Open=打开(&O)"), std::string::npos);
    // The list compiles.
    EXPECT_EQ(mervik::run({"out.trs", "LIB\\out", "说明"}, p), mervik::exit_written) << p.files["prog/Mervik.ERR"];
}

TEST(ExtractCommand, BadArgumentsAreExplained) {
    struct Case {
        std::vector<std::string> words;
        const char* message;
    } cases[] = {
        {{"--extract", "a.exe"}, "用法"},
        {{"--extract", "-o", "x.trs"}, "用法"},
        {{"--extract", "a.exe", "-o"}, "缺少值"},
        {{"--extract", "a.exe", "-o", "x.trs", "--source-lang", "english"}, "不是语言号"},
        {{"--extract", "a.exe", "-o", "x.trs", "--translation-lang", "0x10000"}, "不是语言号"},
        {{"--extract", "a.exe", "-o", "x.trs", "--frobnicate"}, "不认识选项"},
    };
    for (const Case& c : cases) {
        MemoryPlatform p;
        EXPECT_EQ(mervik::run(c.words, p), mervik::exit_failed);
        EXPECT_NE(p.files["prog/Mervik.ERR"].find(c.message), std::string::npos) << p.files["prog/Mervik.ERR"];
    }
}

// A measurer for the check's own logic: four pixels a byte, a dialog unit a pixel.
class ByteMeasurer final : public mervik::TextMeasurer {
public:
    std::optional<mervik::Fit> measure(const lexicon::DialogPlace& place, std::string_view text) override {
        if (place.class_name == "EDIT") return std::nullopt;
        mervik::Fit fit;
        fit.room_cx = place.cx;
        fit.room_cy = place.cy;
        fit.wraps = place.class_name == "STATIC";
        fit.text_cx = static_cast<int>(text.size()) * 4;
        fit.text_cy = fit.wraps ? (fit.text_cx + place.cx - 1) / place.cx * 8 : 8;
        return fit;
    }
};

TEST(FitCheck, WarnsWithThePixelsALongTranslationLacks) {
    const std::string source =
        "; a.exe DIALOG 1 控件 1 BUTTON 40x14 样式 0x50010000 字体 \"MS Shell Dlg\" 8\r\n"
        "OK=确定\r\n"  // 16 pixels in 40
        "; a.exe DIALOG 1 控件 2 BUTTON 40x14 样式 0x50010000 字体 \"MS Shell Dlg\" 8\r\n"
        "; a.exe DIALOG 2 控件 2 BUTTON 12x14 样式 0x50010000 字体 \"MS Shell Dlg\" 8\r\n"
        "Cancel=取消\r\n"  // fits the first place, not the second
        "; a.exe DIALOG 1 标题 字体 \"MS Shell Dlg\" 8\r\n"
        "Title=很长很长很长很长很长很长的标题\r\n"  // a caption: not measured
        "; a.exe DIALOG 1 控件 3 STATIC 40x16 样式 0x50020000 字体 \"MS Shell Dlg\" 8\r\n"
        "Name=很长很长很长很长的名称\r\n"  // 88 pixels: three lines of 8 in 16
        "; a.exe DIALOG 1 控件 4 EDIT 10x10 样式 0x50010000 字体 \"MS Shell Dlg\" 8\r\n"
        "Edit=很长很长很长很长\r\n";
    Diagnostics d;
    const mervik::FitPlaces places = mervik::collect_fit_places(source);
    const lexicon::WordList list = lexicon::compile_word_list(source, d);
    ByteMeasurer measurer;
    mervik::check_fit(places, list, &measurer, d);
    std::vector<std::string> lines;
    for (const lexicon::Diagnostic& m : d.listed()) {
        if (m.code == lexicon::Code::TextDoesNotFit) lines.push_back(lexicon::format_message(m, "a.trs"));
    }
    ASSERT_EQ(lines.size(), 2u) << ::testing::PrintToString(lines);
    EXPECT_NE(lines[0].find("a.trs(5): 警告 W242: "), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("缺 4 像素"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("a.trs(9): "), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("缺 8 像素"), std::string::npos) << lines[1];

    // Without a measurer: one note for the whole list, no per-text warnings.
    Diagnostics quiet;
    mervik::check_fit(places, list, nullptr, quiet);
    ASSERT_EQ(quiet.listed().size(), 1u);
    EXPECT_EQ(quiet.listed()[0].code, lexicon::Code::FitNotMeasured);
    EXPECT_NE(quiet.listed()[0].text.find("5 处"), std::string::npos) << quiet.listed()[0].text;
}

TEST(FitCheck, MervikOnThisSystemSaysOnceThatItDidNotMeasure) {
    MemoryPlatform p;
    p.files["good.exe"] = sample_program();
    ASSERT_EQ(mervik::run({"--extract", "good.exe", "-o", "out.trs"}, p), mervik::exit_written);
    ASSERT_EQ(mervik::run({"out.trs", "LIB\\out", "说明"}, p), mervik::exit_written);
    const std::string& messages = p.files["prog/Mervik.ERR"];
    EXPECT_NE(messages.find("W243"), std::string::npos) << messages;
    EXPECT_EQ(messages.find("W243"), messages.rfind("W243"));
    EXPECT_EQ(messages.find("W242"), std::string::npos);
}

}  // namespace
