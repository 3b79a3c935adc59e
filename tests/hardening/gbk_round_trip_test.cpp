// Every GBK byte pair in one file, opened and saved: each pair the code page holds
// comes back as it was; what the load cannot hold is warned about and saved as the load
// read it.
#include <windows.h>

#include <cstdio>

#include "documents/document_rules.h"
#include "tests/documents/document_fixture.h"

namespace {

using doctest::ReadBytes;
using harness::ModalAnswerer;

// Lead bytes 0x81..0xFE, each with every trail byte 0x40..0xFE but 0x7F, one lead
// byte a line.
std::string EveryPair() {
    std::string bytes;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            bytes += static_cast<char>(lead);
            bytes += static_cast<char>(trail);
        }
        bytes += "\r\n";
    }
    return bytes;
}

// What code page 936 makes of some bytes and back.
std::string ThroughCodePage(const std::string& bytes) {
    std::wstring wide(bytes.size() + 1, L'\0');
    int units = ::MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                                      static_cast<int>(wide.size()));
    std::string back(bytes.size() * 2 + 2, '\0');
    int n = ::WideCharToMultiByte(936, 0, wide.data(), units, back.data(), static_cast<int>(back.size()), nullptr,
                                  nullptr);
    back.resize(static_cast<std::size_t>(n));
    return back;
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char text[4];
    for (unsigned char c : bytes) {
        std::snprintf(text, sizeof text, "%02X ", c);
        out += text;
    }
    return out;
}

class GbkRoundTrip : public doctest::DocumentTest {
protected:
    // Open as a text file; the warning, when one is expected, is answered with OK.
    documents::TMdiChild* OpenAnsweringTheWarning(ModalAnswerer& answerer, const std::string& path, bool warned) {
        answerer.Then(doctest::ChooseFile(path, 1));
        if (warned) answerer.Press(IDOK);
        Run(app::Command::Open);
        Pump();
        return Main().ActiveDocument();
    }
};

TEST_F(GbkRoundTrip, EveryGbkPairSurvivesOpenAndSave) {
    const std::string original = EveryPair();
    ASSERT_EQ(original.size(), 126u * (190 * 2 + 2));
    // The pairs the code page cannot hold, and what becomes of them.
    std::string expected;
    int changed = 0;
    std::string examples;
    for (std::size_t i = 0; i < original.size();) {
        if (original[i] == '\r') {
            expected += "\r\n";
            i += 2;
            continue;
        }
        std::string pair = original.substr(i, 2), back = ThroughCodePage(pair);
        if (back != pair) {
            if (++changed <= 6) {
                char text[48];
                std::snprintf(text, sizeof text, " %02X%02X->%s", static_cast<unsigned char>(pair[0]),
                              static_cast<unsigned char>(pair[1]), back == "?" ? "?" : "other");
                examples += text;
            }
        }
        expected += back;
        i += 2;
    }
    const std::string path = folder_ / "every-pair.txt";
    doctest::WriteBytes(path, original);
    ModalAnswerer answerer;
    auto* doc = OpenAnsweringTheWarning(answerer, path, changed > 0);
    ASSERT_NE(doc, nullptr);
    if (changed > 0) {
        ASSERT_EQ(answerer.Seen().size(), 2u);
        EXPECT_EQ(answerer.Seen()[1].text, documents::NotGbkWarning(path));
    } else {
        EXPECT_EQ(answerer.Seen().size(), 1u) << "a warning for a file the editor holds exactly";
    }
    EXPECT_FALSE(doc->IsModified());
    Run(app::Command::Save);
    Pump();
    const std::string saved = ReadBytes(path);
    EXPECT_TRUE(saved == expected) << "saved " << saved.size() << " bytes, expected " << expected.size();
    EXPECT_EQ(saved == original, changed == 0);
    std::printf("[ figures  ] %d of 23940 pairs are not held by code page 936:%s\n", changed, examples.c_str());
}

// Bytes that are not GBK: the file opens with the warning, each stray lead byte
// becomes one replacement character (saved as "?"), and the byte after it is kept.
TEST_F(GbkRoundTrip, BytesThatAreNotGbkAreWarnedAboutAndLoseNoByteAfterThem) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string saved;
    } cases[] = {
        {"lead byte before 0x7F",
         "a\x81\x7F"
         "b\r\n",
         "a?\x7F"
         "b\r\n"},
        {"lead byte before 0xFF",
         "a\x81\xFF"
         "b\r\n",
         "a?\xFF"
         "b\r\n"},
        {"lead byte before a digit",
         "a\xD6"
         "0b\r\n",
         "a?0b\r\n"},
        {"lead byte before CR LF", "a\xD6\r\nb\r\n", "a?\r\nb\r\n"},
        {"lead byte before LF", "a\xD6\nb\r\n", "a?\nb\r\n"},
        {"lead byte before %", "\xD6%s=%d\r\n", "?%s=%d\r\n"},
        {"lead byte at the end", "ab\r\n\xD6", "ab\r\n?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder_ / "not-gbk.txt";
        doctest::WriteBytes(path, c.bytes);
        ModalAnswerer answerer;
        auto* doc = OpenAnsweringTheWarning(answerer, path, true);
        ASSERT_NE(doc, nullptr);
        ASSERT_EQ(answerer.Seen().size(), 2u);
        EXPECT_EQ(answerer.Seen()[1].text, documents::NotGbkWarning(path));
        Run(app::Command::Save);
        Pump();
        const std::string saved = ReadBytes(path);
        EXPECT_EQ(Hex(saved), Hex(c.saved));
        std::printf("[ figures  ] %-26s %-18s -> %s\n", c.name, Hex(c.bytes).c_str(), Hex(saved).c_str());
        ::SendMessageA(doc->hwnd(), WM_CLOSE, 0, 0);
        Pump();
    }
}

}  // namespace
