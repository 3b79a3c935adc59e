#include "documents/text_byte_count.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using documents::TextByteCount;
constexpr int kBlock = TextByteCount::kBlock;

// A text as the control holds it: one entry per position, each one or two GBK bytes.
struct Document {
    std::vector<std::string> units;
    long long fetchedUnits = 0;

    static std::vector<std::string> Split(const std::string& gbk) {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < gbk.size();) {
            std::size_t width = static_cast<unsigned char>(gbk[i]) >= 0x81 && i + 1 < gbk.size() ? 2 : 1;
            out.push_back(gbk.substr(i, width));
            i += width;
        }
        return out;
    }
    int Size() const { return static_cast<int>(units.size()); }
    long long Bytes() const {
        long long n = 0;
        for (const auto& u : units) n += static_cast<long long>(u.size());
        return n;
    }
    TextByteCount::Fetch Fetch() {
        return [this](int from, int to) {
            fetchedUnits += to - from;
            std::string out;
            for (int i = from; i < to && i < Size(); ++i) out += units[static_cast<std::size_t>(i)];
            return out;
        };
    }
    // Replaces `removed` positions at `at` by `gbk` and tells the counter what stayed.
    void Edit(TextByteCount& count, int at, int removed, const std::string& gbk) {
        std::vector<std::string> added = Split(gbk);
        int tail = Size() - at - removed;
        units.erase(units.begin() + at, units.begin() + at + removed);
        units.insert(units.begin() + at, added.begin(), added.end());
        count.Changed(at, tail);
    }
};

// Lines that mix Chinese (two bytes a position) and ASCII (one byte).
Document MixedText(int lines) {
    Document doc;
    for (int i = 0; i < lines; ++i) {
        std::string line = "词条" + std::to_string(i) + "=译文 entry\r\n";
        for (auto& u : Document::Split(line)) doc.units.push_back(u);
    }
    return doc;
}

TEST(TextByteCount, StaysExactThroughEditsAnywhereInALongText) {
    Document doc = MixedText(4000);  // about 60,000 positions: many blocks
    TextByteCount count;
    ASSERT_EQ(count.Bytes(doc.Size(), doc.Fetch()), doc.Bytes());

    struct Case {
        const char* what;
        int at;  // negative: from the end
        int removed;
        std::string text;
    };
    const Case cases[] = {
        {"typed at the end", 0, 0, "x"},
        {"Chinese typed at the end", 0, 0, "中"},
        {"typed at the start", -1, 0, "中"},
        {"deleted at the start", -1, 2, ""},
        {"typed in the middle", 30000, 0, "文x"},
        {"a block boundary replaced", kBlock - 3, 6, "替换后的"},
        {"a line break typed", 12345, 0, "\r\n"},
        {"a long paste", 20000, 0, std::string(3 * kBlock, 'p')},
        {"a long selection cut", 5000, 2 * kBlock + 7, ""},
        {"the end deleted", -2, 1, ""},
    };
    for (const Case& c : cases) {
        int at = c.at == 0 ? doc.Size() : c.at == -1 ? 0 : c.at == -2 ? doc.Size() - 1 : c.at;
        doc.Edit(count, at, c.removed, c.text);
        EXPECT_EQ(count.Bytes(doc.Size(), doc.Fetch()), doc.Bytes()) << c.what;
    }
}

TEST(TextByteCount, AKeyReadsAboutTwoBlocksWhereverItIsTyped) {
    Document doc = MixedText(4000);
    TextByteCount count;
    count.Bytes(doc.Size(), doc.Fetch());
    for (int at : {doc.Size(), 0, doc.Size() / 2, kBlock * 3}) {
        doc.Edit(count, at, 0, "中");  // once to learn both sides of this place
        count.Bytes(doc.Size(), doc.Fetch());
        doc.fetchedUnits = 0;
        doc.Edit(count, at + 1, 0, "x");
        EXPECT_EQ(count.Bytes(doc.Size(), doc.Fetch()), doc.Bytes()) << at;
        EXPECT_LE(doc.fetchedUnits, 2 * kBlock) << at;
    }
}

TEST(TextByteCount, AShortReadIsReportedAndTheNextCountStartsAfresh) {
    Document doc = MixedText(1000);
    TextByteCount count;
    auto shortFetch = [&](int from, int to) { return doc.Fetch()(from, to - 1); };
    EXPECT_EQ(count.Bytes(doc.Size(), shortFetch), -1);
    EXPECT_EQ(count.Bytes(doc.Size(), doc.Fetch()), doc.Bytes());
    count.Forget();
    doc.units.resize(10);  // a new text: nothing of the old one may be used
    EXPECT_EQ(count.Bytes(doc.Size(), doc.Fetch()), doc.Bytes());
    EXPECT_EQ(count.Bytes(0, doc.Fetch()), 0);
}

}  // namespace
