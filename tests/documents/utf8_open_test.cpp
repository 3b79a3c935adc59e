// Opening files that are not GBK: a UTF-8 file is offered for conversion, and no
// byte after a stray one is lost, whatever the answer.
#include <windows.h>
#include <richedit.h>

#include <string>

#include "documents/document_rules.h"
#include "documents/text_encoding.h"
#include "tests/documents/document_fixture.h"
#include "win/gbk.h"

namespace {

using doctest::ChooseFile;
using doctest::DocumentTest;
using doctest::ReadBytes;
using doctest::WriteBytes;
using harness::ModalAnswerer;

// A word list saved as UTF-8 by another editor: Chinese, printf placeholders right
// after Chinese characters (where a stray byte took the '%' along), and ş (U+015F)
// and © (U+00A9), which GBK lacks.
const std::string kUtf8List =
    "\xE6\x89\x93\xE5\x8D\xB0\xE6\x9C\xBA=Printer\r\n"     // 打印机=Printer
    "\xE4\xB8\xAD%s=%s\xE4\xB8\xAD\r\n"                    // 中%s=%s中
    "\xE6\x96\x87\xE4\xBB\xB6%d\xE4\xB8\xAA=%d files\r\n"  // 文件%d个=%d files
    "\xC5\x9F"
    "ey=\xC2\xA9 2026\r\n";  // şey=© 2026
const std::string kConverted = "打印机=Printer\r\n中%s=%s中\r\n文件%d个=%d files\r\n?ey=? 2026\r\n";

DWORD CALLBACK Append(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(bytes),
                                                   static_cast<std::size_t>(count));
    *done = count;
    return 0;
}

// The text the editor holds, as the control streams it out in UTF-16: nothing converted.
std::wstring EditorCharacters(documents::TMdiChild& doc) {
    std::string out;
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&out), 0, Append};
    ::SendMessageA(doc.Editor().hwnd(), EM_STREAMOUT, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
    return std::wstring(reinterpret_cast<const wchar_t*>(out.data()), out.size() / 2);
}

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

TEST_F(DocumentTest, AUtf8FileConvertedOnYesIsGbkModifiedAndNamesWhatGbkLacks) {
    ASSERT_TRUE(documents::LooksLikeUtf8NotGbk(kUtf8List));
    WriteBytes(folder_ / "utf8.txt", kUtf8List);
    ModalAnswerer answerer;
    answerer.Then(ChooseFile(folder_ / "utf8.txt", 1)).Press(IDYES).Press(IDOK);
    Run(app::Command::Open);
    Pump();
    ASSERT_EQ(answerer.Seen().size(), 3u);
    const auto& question = answerer.Seen()[1];
    EXPECT_EQ(question.caption, "词库生成系统");
    EXPECT_EQ(question.text, documents::Utf8Question(folder_ / "utf8.txt"));
    EXPECT_EQ(question.buttons, (std::vector<std::string>{"是(&Y)", "否(&N)"}));
    const auto& missing = answerer.Seen()[2];
    EXPECT_NE(missing.text.find("U+015F、U+00A9"), std::string::npos) << missing.text;
    EXPECT_EQ(missing.buttons, std::vector<std::string>{"确定"});

    auto* doc = Main().ActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Caption(), folder_ / "utf8.txt");
    EXPECT_EQ(doc->Editor().Text(), kConverted);
    EXPECT_TRUE(doc->IsModified());
    // The file is untouched until the user saves; then it is GBK.
    EXPECT_EQ(ReadBytes(folder_ / "utf8.txt"), kUtf8List);
    Run(app::Command::Save);
    EXPECT_EQ(ReadBytes(folder_ / "utf8.txt"), kConverted);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(DocumentTest, AUtf8FileKeptOnNoLosesNoAsciiAndStaysUnmodified) {
    WriteBytes(folder_ / "utf8.txt", kUtf8List);
    ModalAnswerer answerer;
    answerer.Then(ChooseFile(folder_ / "utf8.txt", 1)).Press(IDNO);
    Run(app::Command::Open);
    Pump();
    EXPECT_EQ(answerer.Seen().size(), 2u);  // the question says what the warning would
    auto* doc = Main().ActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(doc->IsModified());
    std::wstring chars = EditorCharacters(*doc);
    EXPECT_EQ(chars, Wide(documents::DecodeGbk(kUtf8List)));
    // Every ASCII byte of the file is in the editor, in order.
    std::wstring ascii, fileAscii;
    for (wchar_t c : chars)
        if (c < 0x80) ascii += c;
    for (char c : kUtf8List)
        if (static_cast<unsigned char>(c) < 0x80) fileAscii += static_cast<wchar_t>(c);
    EXPECT_EQ(ascii, fileAscii);
    EXPECT_NE(chars.find(L"\uFFFD%s=%s"), std::wstring::npos);
}

// A list that Notepad saved as "Unicode" (UTF-16 with its byte-order mark), either
// byte order: the same question and conversion as for UTF-8, not spaced garbage.
TEST_F(DocumentTest, AUtf16FileIsOfferedTheSameConversion) {
    const std::u16string text = u"打印机=Printer\r\n中%s=%s中\r\nşey=© 2026\r\n";
    for (const char* encoding : {"UTF-16LE", "UTF-16BE"}) {
        SCOPED_TRACE(encoding);
        const bool little = std::string(encoding) == "UTF-16LE";
        std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
        for (char16_t c : text) {
            char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
            (bytes += little ? lo : hi) += little ? hi : lo;
        }
        const std::string name = folder_ / (std::string(encoding) + ".txt");
        WriteBytes(name, bytes);
        ModalAnswerer answerer;
        answerer.Then(ChooseFile(name, 1)).Press(IDYES).Press(IDOK);
        Run(app::Command::Open);
        Pump();
        ASSERT_EQ(answerer.Seen().size(), 3u);
        EXPECT_EQ(answerer.Seen()[1].text, documents::ConversionQuestion(name, encoding));
        EXPECT_NE(answerer.Seen()[2].text.find("U+015F、U+00A9"), std::string::npos) << answerer.Seen()[2].text;
        auto* doc = Main().ActiveDocument();
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(doc->Editor().Text(), "打印机=Printer\r\n中%s=%s中\r\n?ey=? 2026\r\n");
        EXPECT_TRUE(doc->IsModified());
        EXPECT_EQ(ReadBytes(name), bytes);  // untouched until saved
    }
}

TEST_F(DocumentTest, AFileThatIsNeitherGbkNorUtf8IsWarnedAndKeepsItsAscii) {
    // Latin-1: é before a blank and ü at the very end are stray lead bytes.
    const std::string latin1 = "caf\xE9 %d=%d\r\nend\xFC";
    WriteBytes(folder_ / "latin1.txt", latin1);
    ModalAnswerer answerer;
    answerer.Then(ChooseFile(folder_ / "latin1.txt", 1)).Press(IDOK);
    Run(app::Command::Open);
    Pump();
    ASSERT_EQ(answerer.Seen().size(), 2u);
    EXPECT_EQ(answerer.Seen()[1].text, documents::NotGbkWarning(folder_ / "latin1.txt"));
    auto* doc = Main().ActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(EditorCharacters(*doc), L"caf\uFFFD %d=%d\r\nend\uFFFD");
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(DocumentTest, GbkDecodingAgreesWithTheSystemOnEveryCharacter) {
    // Every lead byte with every trail byte, and the single bytes: where the file is
    // GBK, the editor's decoding gives what the system's does, so a save gives back
    // the same bytes.
    std::string all;
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail)
            if (trail != 0x7F) (all += static_cast<char>(lead)) += static_cast<char>(trail);
    for (int c = 0; c < 0x80; ++c) all += static_cast<char>(c);
    all += "\x80\xFF";
    std::wstring mine = Wide(documents::DecodeGbk(all));
    EXPECT_EQ(mine, win::GbkToWide(all));
    EXPECT_EQ(win::WideToGbk(mine), all);
}

}  // namespace
