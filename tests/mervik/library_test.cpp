// The compiled library: what the reader gets back, and what it makes of a damaged file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lexicon/base/byte_sink.h"
#include "lexicon/base/library_format.h"
#include "lexicon/library/library_reader.h"
#include "lexicon/library/library_writer.h"
#include "lexicon/wordlist/word_list.h"
#include "memory_platform.h"

namespace mervik {
using namespace lexicon;
namespace {

std::string build(const std::string& source, const std::string& description = "说明") {
    Diagnostics diagnostics;
    const WordList list = compile_word_list(source, diagnostics);
    StringSink sink;
    EXPECT_TRUE(write_library(list, description, sink));
    EXPECT_EQ(sink.bytes.size(), library_size(list, description).value());
    return sink.bytes;
}

Library open_ok(std::string bytes) {
    std::string error;
    auto library = Library::open(std::move(bytes), error);
    EXPECT_TRUE(library.has_value()) << error;
    return std::move(*library);
}

const char* const sample = "&Open...=&O.打开...\r\nSave=保存\r\nC:\\\\=盘\r\n\x81\x5C=\x81\x5C\r\nEmpty=\r\n";

TEST(Library, LooksUpEveryEntryAndNothingElse) {
    const Library library = open_ok(build(sample));
    EXPECT_EQ(library.description(), "说明");
    EXPECT_EQ(library.size(), 4u);
    EXPECT_EQ(library.lookup("&Open..."), "&O.打开...");
    EXPECT_EQ(library.lookup("Save"), "保存");
    EXPECT_EQ(library.lookup("C:\\"), "盘");
    EXPECT_EQ(library.lookup("\x81\x5C"), "\x81\x5C");
    EXPECT_EQ(library.lookup("Empty"), std::nullopt);  // untranslated: the program shows its original
    EXPECT_EQ(library.lookup("save"), std::nullopt);
    EXPECT_EQ(library.lookup("Sav"), std::nullopt);
    EXPECT_EQ(library.lookup(""), std::nullopt);
}

TEST(Library, IteratesInSourceOrder) {
    const Library library = open_ok(build(sample));
    std::vector<std::string> originals;
    for (const LibraryEntry e : library) originals.emplace_back(e.original);
    EXPECT_EQ(originals, (std::vector<std::string>{"&Open...", "Save", "C:\\", "\x81\x5C"}));
}

TEST(Library, EmptyLibraryAndLargeLibrary) {
    const Library empty = open_ok(build("; nothing\r\n", ""));
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_EQ(empty.begin(), empty.end());
    EXPECT_EQ(empty.lookup("a"), std::nullopt);

    std::string source;
    for (int i = 0; i < 20000; ++i) source += "key " + std::to_string(i) + "=值 " + std::to_string(i) + "\r\n";
    const Library large = open_ok(build(source));
    ASSERT_EQ(large.size(), 20000u);
    for (int i = 0; i < 20000; i += 97) EXPECT_EQ(large.lookup("key " + std::to_string(i)), "值 " + std::to_string(i));
    EXPECT_EQ(large.lookup("key 20000"), std::nullopt);
}

TEST(Library, HeaderFields) {
    const std::string bytes = build("a=b\n", "d");
    EXPECT_EQ(bytes.substr(0, 8), std::string("MVLB\r\n\x1A\0", 8));
    EXPECT_EQ(format::load_u16(bytes.data() + 8), 1);
    EXPECT_EQ(format::load_u32(bytes.data() + format::at_entry_count), 1u);
    EXPECT_EQ(format::load_u32(bytes.data() + format::at_file_size), bytes.size());
    EXPECT_EQ(format::load_u32(bytes.data() + bytes.size() - 4), format::crc32(0, bytes.data(), bytes.size() - 4));
}

// A text over 1,024 bytes makes the library version 1.1; a library without one stays 1.0,
// byte for byte what it was. Both are read back whole, up to the 65,535 bytes a record holds.
TEST(Library, LongTextsUpTo65535BytesAndTheMinorVersionThatSaysSo) {
    const struct {
        const char* name;
        std::size_t original, translation;
        int minor;
    } cases[] = {
        {"every text fits version 1.0", 1024, 1024, 0},
        {"a long original", 1025, 3, 1},
        {"a long translation", 3, 1025, 1},
        {"the longest texts", 65535, 65535, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string original(c.original, 'o');
        const std::string translation(c.translation, 't');
        const std::string bytes = build(original + "=" + translation + "\r\nshort=短\r\n");
        EXPECT_EQ(format::load_u16(bytes.data() + format::at_version_minor), c.minor);
        const Library library = open_ok(bytes);
        EXPECT_EQ(library.lookup(original), translation);
        EXPECT_EQ(library.lookup("short"), "短");
    }
}

TEST(Crc32, AgreesWithTheBitwiseSumAtEveryLength) {
    // Long inputs take a faster way than short ones; every length and every split must
    // give the sum of the plain bit-by-bit definition.
    auto bitwise = [](const std::string& bytes, std::size_t size) {
        std::uint32_t crc = 0xFFFFFFFFu;
        for (std::size_t i = 0; i < size; ++i) {
            crc ^= static_cast<unsigned char>(bytes[i]);
            for (int k = 0; k < 8; ++k) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        }
        return ~crc;
    };
    std::string bytes(1200, '\0');
    std::uint32_t state = 1;
    for (char& c : bytes) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
    for (std::size_t size = 0; size <= bytes.size(); size += size < 300 ? 1 : 37) {
        ASSERT_EQ(format::crc32(0, bytes.data(), size), bitwise(bytes, size)) << size << " bytes";
    }
    for (const std::size_t split : {1u, 15u, 64u, 100u, 333u, 1135u}) {
        EXPECT_EQ(format::crc32(format::crc32(0, bytes.data(), split), bytes.data() + split, bytes.size() - split),
                  bitwise(bytes, bytes.size()))
            << "split at " << split;
    }
}

TEST(Crc32, KnownValue) {
    EXPECT_EQ(format::crc32(0, "123456789", 9), 0xCBF43926u);
    const std::string long_text(1000, 'x');
    EXPECT_EQ(format::crc32(format::crc32(0, long_text.data(), 333), long_text.data() + 333, 667),
              format::crc32(0, long_text.data(), 1000));
}

// Rewrites a field and fixes the checksum, so only the structural checks can object.
std::string with_field(std::string bytes, std::size_t at, std::uint32_t value) {
    format::store_u32(bytes.data() + at, value);
    format::store_u32(bytes.data() + bytes.size() - 4, format::crc32(0, bytes.data(), bytes.size() - 4));
    return bytes;
}

TEST(Library, DamagedFilesAreReportedAsErrors) {
    const std::string good = build(sample);
    const std::size_t records = format::load_u32(good.data() + format::at_records_offset);
    const std::size_t index = format::load_u32(good.data() + format::at_index_offset);
    std::string flipped = good;
    flipped[records + 6] ^= 0x01;
    std::string text_mode = good;
    text_mode.replace(4, 2, "\n");

    const struct {
        const char* name;
        std::string bytes;
        const char* error;
    } cases[] = {
        {"empty", "", "不是 Mervik 词库文件（文件头不对）"},
        {"a word list", sample, "不是 Mervik 词库文件（文件头不对）"},
        {"copied in text mode", text_mode, "不是 Mervik 词库文件（文件头不对）"},
        {"cut short", good.substr(0, good.size() - 1), "词库文件不完整或已损坏（文件长度不对）"},
        {"one bit flipped", flipped, "词库文件已损坏（校验和不对）"},
        {"newer major version", with_field(good, format::at_version_major, 2),
         "词库格式版本 2 不受支持（只能读取版本 1）"},
        {"index past the end", with_field(good, format::at_index_offset, static_cast<std::uint32_t>(good.size())),
         "词库文件已损坏（各部分的位置不对）"},
        {"more entries than records", with_field(good, format::at_entry_count, 5), "词库文件已损坏（条目数不对）"},
        {"fewer entries than records", with_field(good, format::at_entry_count, 3), "词库文件已损坏（条目数不对）"},
        {"record longer than its area", with_field(good, records, 0xFFFF), "词库文件已损坏（第 1 个条目不完整）"},
        {"slot pointing outside the records", with_field(good, index + 4 + format::slot_size * 0, 8),
         "词库文件已损坏（索引指向条目之外）"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(Library::open(c.bytes, error).has_value()) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
}

TEST(Library, EveryTruncationAndEveryFlippedByteIsRefusedWithoutTheChecksum) {
    // Without the checksum the structural checks stand alone; the sanitizers watch that no
    // damaged file makes the reader touch memory it does not own.
    const std::string good = build(sample);
    const Library::Options unchecked{false};
    for (std::size_t n = 0; n < good.size(); ++n) {
        std::string error;
        EXPECT_FALSE(Library::open(good.substr(0, n), error, unchecked).has_value()) << n;
    }
    for (std::size_t i = 0; i < good.size() - 4; ++i) {
        for (const unsigned char value : {0x00, 0x01, 0x7F, 0xFF}) {
            std::string bytes = good;
            bytes[i] = static_cast<char>(value);
            std::string error;
            const auto library = Library::open(bytes, error, unchecked);
            if (!library) continue;
            for (const LibraryEntry e : *library) (void)library->lookup(e.original);
        }
    }
}

TEST(Dump, CompilesBackToTheSameLibrary) {
    testing::MemoryPlatform platform;
    platform.files["temp.trs"] = std::string(sample) + "\\sLead=\\s前\r\nTab\\there=制表\\t\r\n";
    ASSERT_EQ(run({"temp.trs", "LIB\\one", "说明"}, platform), 0);
    ASSERT_EQ(run({"--dump", "LIB\\one.LIB"}, platform), 0);
    const std::string dumped = platform.written_stdout;
    EXPECT_EQ(dumped.substr(0, dumped.find("&Open")), "; 词库说明：说明\r\n; 条目数：6\r\n");

    platform.files["again.trs"] = dumped;
    ASSERT_EQ(run({"again.trs", "LIB\\two", "说明"}, platform), 0);
    EXPECT_EQ(platform.files["LIB/two.LIB"], platform.files["LIB/one.LIB"]);
}

TEST(Dump, DamagedLibraryFailsWithAMessage) {
    testing::MemoryPlatform platform;
    platform.files["LIB/bad.LIB"] = "MVLB";
    EXPECT_EQ(run({"--dump", "LIB\\bad.LIB"}, platform), 2);
    EXPECT_EQ(platform.printed_errors, "无法读取词库“LIB/bad.LIB”：不是 Mervik 词库文件（文件头不对）\r\n");
    EXPECT_EQ(platform.written_stdout, "");
    EXPECT_EQ(run({"--dump", "LIB\\none.LIB"}, platform), 2);
    EXPECT_FALSE(platform.files.count("prog/Mervik.ERR")) << "a dump is no compile run";
}

}  // namespace
}  // namespace mervik
