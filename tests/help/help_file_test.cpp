// Saffel.hlp read back by a reader of our own, written from the public description of
// the format and not from the writer: the internal directory, the B+ trees, |SYSTEM,
// |FONT, the topic stream, |CONTEXT and the keyword index. Every topic of docs/help is
// found by its context name, every jump lands on a topic, and every code the compiler
// can report has its topic.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <queue>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct Bad : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void Require(bool ok, const std::string& what) {
    if (!ok) throw Bad(what);
}

// Little-endian reads with bounds checks.
struct View {
    const Bytes* data;
    std::size_t begin, end;
    std::uint32_t U8(std::size_t at) const {
        Require(begin + at < end, "read past the end");
        return (*data)[begin + at];
    }
    std::uint32_t U16(std::size_t at) const { return U8(at) | U8(at + 1) << 8; }
    std::int16_t S16(std::size_t at) const { return static_cast<std::int16_t>(U16(at)); }
    std::uint32_t U32(std::size_t at) const { return U16(at) | U16(at + 2) << 16; }
    std::int32_t S32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
    std::string Z(std::size_t at) const {  // NUL-terminated string
        std::string s;
        for (std::uint32_t c; (c = U8(at)) != 0; ++at) s.push_back(static_cast<char>(c));
        return s;
    }
    std::size_t size() const { return end - begin; }
    View Sub(std::size_t at, std::size_t n) const {
        Require(begin + at + n <= end, "part past the end");
        return View{data, begin + at, begin + at + n};
    }
};

// The context-name hash of the description: h = h * 43 + table[c], in signed 32 bits.
std::int32_t ContextHash(const std::string& name) {
    static const signed char table[256] = {
        0x00, -47,  -46,  -45,  -44,  -43,  -42,  -41,  -40,  -39,  -38,  -37,  -36,  -35,  -34,  -33,
        -32,  -31,  -30,  -29,  -28,  -27,  -26,  -25,  -24,  -23,  -22,  -21,  -20,  -19,  -18,  -17,
        -16,  0x0B, -14,  -13,  -12,  -11,  -10,  -9,   -8,   -7,   -6,   -5,   -4,   -3,   0x0C, -1,
        0x0A, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
        0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
        0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0D,
        0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
        0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F,
    };
    if (name.empty()) return 1;
    std::uint32_t h = 0;
    for (unsigned char c : name) {
        // The upper half of the table continues 0x50, 0x51, ... up to 0xCF, but for 0xB4.
        int t = c < 0x80 ? table[c] : (c == 0xB4 ? 0x0B : static_cast<signed char>(c - 0x30));
        h = h * 43u + static_cast<std::uint32_t>(t);
    }
    return static_cast<std::int32_t>(h);
}

struct HelpFile {
    std::shared_ptr<const Bytes> bytes;  // what the views below look into
    std::map<std::string, View> files;   // internal files by name, without their header
    std::string title;
    std::int32_t contentsOffset = -1;
    int charset = -1;
    int minor = -1;
    std::vector<std::string> faces;
    std::map<std::int32_t, std::string> topics;               // TOPICOFFSET -> title
    std::map<std::int32_t, std::vector<std::int32_t>> jumps;  // topic -> hashes it jumps to
    std::map<std::int32_t, std::int32_t> contexts;            // hash -> TOPICOFFSET
    std::map<std::string, std::vector<std::int32_t>> keywords;
    std::map<std::int32_t, std::string> titleTree;  // |TTLBTREE
};

// Walks every leaf entry of a B+ tree, first leaf to last; `entry` returns the size of
// the entry that starts at the given place.
void WalkTree(const View& file, const std::function<std::size_t(const View&, std::size_t)>& entry,
              std::size_t* count = nullptr) {
    Require(file.U16(0) == 0x293B, "no B+ tree");
    const std::size_t pageSize = file.U16(4);
    const int rootPage = file.S16(26), totalPages = file.S16(30), levels = file.S16(32);
    const std::int32_t total = file.S32(34);
    Require(file.U16(28) == 0xFFFF, "B+ tree header");
    Require(file.size() >= 38 + pageSize * totalPages, "B+ tree pages missing");
    auto page = [&](int n) {
        Require(n >= 0 && n < totalPages, "page number out of range");
        return file.Sub(38 + pageSize * n, pageSize);
    };
    int at = rootPage;
    for (int level = 1; level < levels; ++level) at = page(at).S16(4);  // PreviousPage: the leftmost child
    std::size_t seen = 0;
    int previous = -1;
    for (int visited = 0; at != -1; ++visited) {
        Require(visited < totalPages, "leaf pages loop");
        View leaf = page(at);
        Require(leaf.S16(4) == previous, "leaf pages not doubly linked");
        const int n = leaf.S16(2);
        std::size_t place = 8;
        for (int i = 0; i < n; ++i) place += entry(leaf, place);
        Require(place + leaf.U16(0) == pageSize, "free bytes of a leaf page");
        seen += static_cast<std::size_t>(n);
        previous = at;
        at = leaf.S16(6);
    }
    Require(seen == static_cast<std::size_t>(total), "entry count of a B+ tree");
    if (count) *count = seen;
}

std::size_t CompressedUShortSize(const View& v, std::size_t at, std::uint32_t* value) {
    std::uint32_t b = v.U8(at);
    if (b & 1) {
        *value = v.U16(at) >> 1;
        return 2;
    }
    *value = b >> 1;
    return 1;
}

std::size_t CompressedULongSize(const View& v, std::size_t at, std::uint32_t* value) {
    std::uint32_t w = v.U16(at);
    if (w & 1) {
        *value = v.U32(at) >> 1;
        return 4;
    }
    *value = w >> 1;
    return 2;
}

// A display record: the paragraph header, then formatting commands, each after one
// NUL-terminated string of the text. Collects the jump targets.
void ReadDisplay(const View& data1, const View& data2, std::vector<std::int32_t>& jumps) {
    std::uint32_t topicSize = 0, topicLength = 0;
    std::size_t at = CompressedULongSize(data1, 0, &topicSize);
    at += CompressedUShortSize(data1, at, &topicLength);
    Require(topicLength == data2.size(), "characters of a display record");
    at += 4;  // two unknown bytes and the paragraph id
    const std::uint32_t bits = data1.U16(at);
    at += 2;
    Require((bits & 0x0301) == 0, "unexpected paragraph fields");
    for (std::uint32_t bit = 0x0002; bit <= 0x0040; bit <<= 1)
        if (bits & bit) at += (data1.U8(at) & 1) ? 2 : 1;
    std::size_t text = 0;
    for (;;) {
        while (data2.U8(text) != 0) ++text;  // the string before the command
        ++text;
        const std::uint32_t command = data1.U8(at++);
        if (command == 0xFF) break;
        switch (command) {
        case 0x80:
            at += 2;
            break;  // font
        case 0x81:
        case 0x82:
        case 0x83:
        case 0x89:
        case 0x8B:
        case 0x8C:
            break;
        case 0xE2:
        case 0xE3:
        case 0xE6:
        case 0xE7:  // jumps and popups by context hash
            jumps.push_back(data1.S32(at));
            at += 4;
            break;
        default:
            throw Bad("unknown formatting command " + std::to_string(command));
        }
    }
    Require(at == data1.size(), "formatting commands end early");
    Require(text == data2.size(), "text strings and commands do not pair up");
}

HelpFile ReadHelp(Bytes content) {
    HelpFile help;
    help.bytes = std::make_shared<const Bytes>(std::move(content));
    View whole{help.bytes.get(), 0, help.bytes->size()};
    Require(whole.U32(0) == 0x00035F3F, "magic");
    Require(whole.U32(12) == help.bytes->size(), "file size in the header");
    auto internal = [&](std::size_t at) {
        const std::uint32_t reserved = whole.U32(at), used = whole.U32(at + 4);
        Require(used + 9 <= reserved, "internal file sizes");
        return whole.Sub(at + 9, used);
    };
    View directory = internal(whole.U32(4));
    Require(directory.U16(2) & 0x0400, "directory flag");
    std::string last;
    WalkTree(directory, [&](const View& page, std::size_t at) {
        std::string name = page.Z(at);
        Require(name > last, "directory not in order");
        last = name;
        help.files.emplace(name, internal(page.U32(at + name.size() + 1)));
        return name.size() + 5;
    });

    const View& system = help.files.at("|SYSTEM");
    Require(system.U16(0) == 0x036C, "|SYSTEM magic");
    help.minor = static_cast<int>(system.U16(2));
    Require(help.minor > 16 && system.U16(10) == 0, "a 3.1 file without compression");
    for (std::size_t at = 12; at < system.size();) {
        const std::uint32_t type = system.U16(at), size = system.U16(at + 2);
        View record = system.Sub(at + 4, size);
        if (type == 1) help.title = record.Z(0);
        if (type == 3) help.contentsOffset = record.S32(0);
        if (type == 11) help.charset = static_cast<int>(record.U16(0));
        at += 4 + size;
    }

    const View& font = help.files.at("|FONT");
    const std::uint32_t faceCount = font.U16(0), facesAt = font.U16(4), descriptorsAt = font.U16(6);
    const std::uint32_t faceLength = (descriptorsAt - facesAt) / faceCount;
    for (std::uint32_t i = 0; i < faceCount; ++i)
        help.faces.push_back(font.Sub(facesAt + i * faceLength, faceLength).Z(0));
    for (std::uint32_t i = 0; i < font.U16(2); ++i)
        Require(font.U16(descriptorsAt + i * 11 + 3) < faceCount, "face index");

    // The topic stream: 4 KB blocks of a 12-byte header and data. A TOPICPOS is 12 plus
    // a place in the data of all blocks; a TOPICOFFSET is the block times 0x8000 plus
    // the characters of the display records begun in that block before it.
    const View& topic = help.files.at("|TOPIC");
    const std::size_t blockSize = 4096, blockData = blockSize - 12;
    Require(topic.size() % blockSize == 0, "|TOPIC is whole blocks");
    Bytes stream;
    std::vector<std::int32_t> firstLinks;
    for (std::size_t b = 0; b < topic.size() / blockSize; ++b) {
        firstLinks.push_back(topic.S32(b * blockSize + 4));
        for (std::size_t i = 0; i < blockData; ++i)
            stream.push_back(static_cast<std::uint8_t>(topic.U8(b * blockSize + 12 + i)));
    }
    View data{&stream, 0, stream.size()};
    std::int32_t pos = 12, previous = -1, current = -1;
    std::size_t block = 0, characters = 0, links = 0;
    std::map<std::size_t, std::int32_t> firstInBlock;
    for (;;) {
        Require(pos >= 12 && static_cast<std::size_t>(pos - 12) < stream.size(), "TOPICPOS out of the stream");
        View link = data.Sub(static_cast<std::size_t>(pos - 12), 21);
        const std::size_t linkBlock = static_cast<std::size_t>(pos - 12) / blockData;
        if (linkBlock != block || links == 0) characters = 0;
        if (!firstInBlock.count(linkBlock)) firstInBlock[linkBlock] = pos;
        block = linkBlock;
        ++links;
        Require(link.S32(8) == previous, "PrevBlock");
        const std::uint32_t blockLength = link.U32(0), length2 = link.U32(4), length1 = link.U32(16);
        const std::int32_t next = link.S32(12);
        Require(length1 >= 21 && length1 + length2 <= blockLength, "topic link sizes (or phrase compression)");
        View whole1 = data.Sub(static_cast<std::size_t>(pos - 12), blockLength);
        View data1 = whole1.Sub(21, length1 - 21), data2 = whole1.Sub(length1, length2);
        if (next == -1) break;  // the last link holds nothing
        const std::uint32_t type = link.U8(20);
        if (type == 0x02) {
            current = static_cast<std::int32_t>(block * 0x8000 + characters);
            Require(!help.topics.count(current), "two topics at one offset");
            help.topics[current] = data2.Z(0);
        } else {
            Require(type == 0x20 && current != -1, "a display record outside a topic");
            ReadDisplay(data1, data2, help.jumps[current]);
            characters += length2;
        }
        Require(next > pos, "links go forward");
        previous = pos;
        pos = next;
    }
    for (const auto& [b, first] : firstInBlock) Require(firstLinks.at(b) == first, "FirstTopicLink of a block");

    WalkTree(help.files.at("|CONTEXT"), [&](const View& page, std::size_t at) {
        help.contexts[page.S32(at)] = page.S32(at + 4);
        return 8;
    });
    WalkTree(help.files.at("|TTLBTREE"), [&](const View& page, std::size_t at) {
        std::string title = page.Z(at + 4);
        help.titleTree[page.S32(at)] = title;
        return title.size() + 5;
    });
    const View& kwdata = help.files.at("|KWDATA");
    WalkTree(help.files.at("|KWBTREE"), [&](const View& page, std::size_t at) {
        std::string word = page.Z(at);
        const int n = page.S16(at + word.size() + 1);
        const std::uint32_t from = page.U32(at + word.size() + 3);
        for (int i = 0; i < n; ++i) help.keywords[word].push_back(kwdata.S32(from + 4 * i));
        return word.size() + 7;
    });
    return help;
}

Bytes ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string Gbk(const std::string& utf8) {
    iconv_t cd = ::iconv_open("GBK", "UTF-8");
    std::string out(utf8.size() * 2 + 1, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* to = out.data();
    std::size_t inLeft = utf8.size(), outLeft = out.size();
    const std::size_t r = ::iconv(cd, &in, &inLeft, &to, &outLeft);
    ::iconv_close(cd);
    if (r == static_cast<std::size_t>(-1)) throw Bad("not GBK: " + utf8);
    out.resize(out.size() - outLeft);
    return out;
}

// The topics of the sources: context name -> title (UTF-8), in file order.
std::map<std::string, std::string> SourceTopics(const fs::path& folder) {
    std::map<std::string, std::string> topics;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".md") continue;
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            // "# Title {#context}"
            while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
            const auto mark = line.rfind(" {#");
            if (line.rfind("# ", 0) == 0 && mark != std::string::npos && line.back() == '}')
                topics[line.substr(mark + 3, line.size() - mark - 4)] = line.substr(2, mark - 2);
        }
    }
    return topics;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Sources are UTF-8; this file's plain literals are GBK.
std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

class RealHelpFile : public ::testing::Test {
protected:
    static void SetUpTestSuite() { help_ = new HelpFile(ReadHelp(ReadBytes(VELMORA_HELP_FILE))); }
    static void TearDownTestSuite() { delete help_; }
    static HelpFile* help_;
};
HelpFile* RealHelpFile::help_ = nullptr;

TEST_F(RealHelpFile, HasTheTitleTheCharacterSetAndAChineseAndALatinFont) {
    EXPECT_EQ(help_->title, "词库生成系统 帮助");  // literals are GBK already
    EXPECT_EQ(help_->charset, 134);                // GB2312
    EXPECT_EQ(help_->minor, 21);
    ASSERT_EQ(help_->faces.size(), 2u);
    EXPECT_EQ(help_->faces[0], "宋体");
    EXPECT_EQ(help_->faces[1], "Courier New");
}

TEST_F(RealHelpFile, FindsEveryTopicOfTheSourcesByItsContextName) {
    const auto sources = SourceTopics(VELMORA_HELP_SOURCES);
    ASSERT_GT(sources.size(), 10u);
    EXPECT_EQ(help_->topics.size(), sources.size());
    for (const auto& [context, title] : sources) {
        auto found = help_->contexts.find(ContextHash(context));
        ASSERT_NE(found, help_->contexts.end()) << context;
        ASSERT_TRUE(help_->topics.count(found->second)) << context << " does not lead to a topic";
        EXPECT_EQ(help_->topics.at(found->second), Gbk(title)) << context;
        EXPECT_EQ(help_->titleTree[found->second], Gbk(title)) << context;
    }
    EXPECT_EQ(help_->contentsOffset, help_->contexts.at(ContextHash("contents")));
}

TEST_F(RealHelpFile, EveryJumpLandsOnATopicAndEveryTopicLeadsToAndFromTheContents) {
    std::map<std::int32_t, std::set<std::int32_t>> forward, backward;
    for (const auto& [from, hashes] : help_->jumps) {
        for (std::int32_t hash : hashes) {
            auto target = help_->contexts.find(hash);
            ASSERT_NE(target, help_->contexts.end()) << "a jump of " << help_->topics.at(from) << " goes nowhere";
            ASSERT_TRUE(help_->topics.count(target->second));
            forward[from].insert(target->second);
            backward[target->second].insert(from);
        }
    }
    auto reach = [&](std::map<std::int32_t, std::set<std::int32_t>>& graph) {
        std::set<std::int32_t> seen{help_->contentsOffset};
        std::queue<std::int32_t> todo;
        todo.push(help_->contentsOffset);
        while (!todo.empty()) {
            for (std::int32_t next : graph[todo.front()])
                if (seen.insert(next).second) todo.push(next);
            todo.pop();
        }
        return seen;
    };
    const auto fromContents = reach(forward), toContents = reach(backward);
    for (const auto& [offset, title] : help_->topics) {
        EXPECT_TRUE(fromContents.count(offset)) << "no way from the contents to " << title;
        EXPECT_TRUE(toContents.count(offset)) << "no way back to the contents from " << title;
    }
}

TEST_F(RealHelpFile, KeywordsLeadToTopicsAndToEveryTopic) {
    // Wine's viewer misplaces the hot spots of jumps that follow Chinese text; its
    // index still reaches every topic, so every topic needs a keyword.
    std::set<std::int32_t> indexed;
    for (const auto& [word, offsets] : help_->keywords) {
        for (std::int32_t offset : offsets) {
            EXPECT_TRUE(help_->topics.count(offset)) << word;
            indexed.insert(offset);
        }
    }
    for (const auto& [offset, title] : help_->topics) EXPECT_TRUE(indexed.count(offset)) << title << " has no keyword";
    EXPECT_TRUE(help_->keywords.count("终止"));
}

TEST_F(RealHelpFile, EveryCodeTheCompilerReportsHasItsTopic) {
    // The codes as the compiler's table gives them: "LEXICON_CODE(Name, 101, ...".
    const std::string table = ReadText(VELMORA_CODES_TABLE);
    const std::string_view line_start = "\nLEXICON_CODE(";
    int codes = 0;
    for (std::size_t at = table.find(line_start); at != std::string::npos; at = table.find(line_start, at + 1)) {
        const std::size_t comma = table.find(',', at);
        const int number = std::atoi(table.c_str() + comma + 1);
        ASSERT_GT(number, 0) << table.substr(at, 40);
        char name[8];
        std::snprintf(name, sizeof name, "%c%03d", number >= 200 ? 'W' : 'E', number);
        auto found = help_->contexts.find(ContextHash(name));
        EXPECT_NE(found, help_->contexts.end()) << name << " has no help topic";
        if (found != help_->contexts.end()) {
            EXPECT_EQ(help_->topics[found->second].substr(0, 4), name) << "the topic of " << name;
        }
        ++codes;
    }
    EXPECT_GT(codes, 20);
}

// ---- the writer on sources made for the test ------------------------------------

class HelpWriter : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("velmora-help-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "docs");
    }
    void TearDown() override { fs::remove_all(folder_); }
    void Source(const std::string& text) { std::ofstream(folder_ / "docs" / "a.md") << text; }
    // The writer's exit code; its messages go to a file of their own.
    int Write() {
        const std::string command = std::string("python3 '") + VELMORA_HELP_WRITER + "' '" +
                                    (folder_ / "docs").string() + "' '" + Output().string() + "' 2>'" +
                                    (folder_ / "err.txt").string() + "'";
        return std::system(command.c_str());
    }
    fs::path Output() const { return folder_ / "out.hlp"; }
    std::string Messages() const { return ReadText(folder_ / "err.txt"); }
    fs::path folder_;
};

TEST_F(HelpWriter, ManyTopicsSpreadOverSeveralTopicBlocksAndTreePages) {
    // 600 topics: the topic stream takes many 4 KB blocks and |CONTEXT more pages than
    // one, so the trees get index pages and the offsets count characters per block.
    std::string text = U8(u8"# 目录 {#contents}\n");
    for (int i = 0; i < 600; ++i)
        text += U8(u8"- [第 ") + std::to_string(i) + U8(u8" 个主题](#t") + std::to_string(i) + ")\n";
    for (int i = 0; i < 600; ++i)
        text += U8(u8"# 主题 ") + std::to_string(i) + " {#t" + std::to_string(i) + U8(u8"}\n关键字：词") +
                std::to_string(i) + U8(u8"\n说明文字，回到[目录](#contents)。\n    example=例子\n");
    Source(text);
    ASSERT_EQ(Write(), 0) << Messages();
    const HelpFile help = ReadHelp(ReadBytes(Output()));
    EXPECT_GT(help.files.at("|TOPIC").size() / 4096, 10u);
    EXPECT_GT(help.files.at("|CONTEXT").S16(32), 1) << "one level only: no index pages were read";
    ASSERT_EQ(help.topics.size(), 601u);
    for (int i = 0; i < 600; ++i) {
        auto found = help.contexts.find(ContextHash("t" + std::to_string(i)));
        ASSERT_NE(found, help.contexts.end()) << i;
        EXPECT_EQ(help.topics.at(found->second), Gbk(U8(u8"主题 ") + std::to_string(i))) << i;
        EXPECT_EQ(help.keywords.at(Gbk(U8(u8"词") + std::to_string(i))), std::vector<std::int32_t>{found->second}) << i;
    }
    EXPECT_EQ(help.jumps.at(help.contentsOffset).size(), 600u);
}

TEST_F(HelpWriter, RefusesSourcesThatWouldGiveABrokenFile) {
    struct Case {
        const char* name;
        std::string source;
        const char* message;
    };
    const Case cases[] = {
        {"jump to no topic", U8(u8"# 目录 {#contents}\n[去](#nowhere)\n"), "#nowhere"},
        {"one context twice", U8(u8"# 目录 {#contents}\n[去](#a)\n# A {#a}\n# B {#A}\n"), "twice"},
        {"a topic nothing leads to", U8(u8"# 目录 {#contents}\n# 孤立 {#alone}\n[回](#contents)\n"), "#alone"},
        {"text before any topic", U8(u8"前言\n# 目录 {#contents}\n"), "before the first topic"},
        {"no contents topic", U8(u8"# 别的 {#other}\n"), "contents"},
        {"text that GBK cannot hold", U8(u8"# 目录 {#contents}\n\xF0\x9F\x98\x80\n"), "GBK"},
    };
    for (const auto& c : cases) {
        fs::remove(Output());
        Source(c.source);
        EXPECT_NE(Write(), 0) << c.name;
        EXPECT_NE(Messages().find(c.message), std::string::npos) << c.name << ": " << Messages();
        EXPECT_FALSE(fs::exists(Output())) << c.name << ": a file was written";
    }
}

}  // namespace
