// Reading ranges of a real version-1 rich edit control, Chinese text included.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>

#include "documents/editor_range.h"

namespace {

class EditorRange : public ::testing::Test {
protected:
    void SetUp() override {
        ::LoadLibraryA("riched32.dll");
        parent_ = ::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
        editor_ = ::CreateWindowExA(0, "RICHEDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL, 0, 0,
                                    400, 300, parent_, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ::SendMessageA(editor_, EM_EXLIMITTEXT, 0, 1 << 24);
    }
    void TearDown() override { ::DestroyWindow(parent_); }

    void SetText(const std::string& text) { ::SetWindowTextA(editor_, text.c_str()); }
    // The reference: the whole text, cut at character positions.
    std::string Expected(const std::string& text, int from, int to) {
        std::string out;
        int position = 0;
        for (std::size_t i = 0; i < text.size(); ++position) {
            auto c = static_cast<unsigned char>(text[i]);
            std::size_t width = (c >= 0x81 && c <= 0xFE && i + 1 < text.size()) ? 2 : 1;
            if (position >= from && position < to) out += text.substr(i, width);
            i += width;
        }
        return out;
    }

    HWND parent_ = nullptr;
    HWND editor_ = nullptr;
};

TEST_F(EditorRange, EveryRangeOfAMixedTextMatchesTheWholeText) {
    const std::string texts[] = {
        "中乤ab\r\n第二行x\r\nend",
        "\r\n\r\n空行\r\n",
        "a\nb\rc\r\nd",  // bare LF and CR stay line breaks of their own
        "",
        "乗\\x",
    };
    for (const auto& text : texts) {
        SetText(text);
        int length = static_cast<int>(::MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()),
                                                             nullptr, 0));
        for (int from = 0; from <= length; ++from)
            for (int to = from; to <= length + 1; ++to)
                EXPECT_EQ(documents::EditorCharacters(editor_, from, to), Expected(text, from, to))
                    << text << " [" << from << "," << to << ")";
    }
}

TEST_F(EditorRange, LongDocumentEndIsReadWithoutTheRest) {
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "第" + std::to_string(i) + "行=translation\r\n";
    SetText(text);
    int length = static_cast<int>(::MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0));
    EXPECT_EQ(documents::EditorCharacters(editor_, length - 20, length), Expected(text, length - 20, length));
    EXPECT_EQ(documents::EditorCharacters(editor_, 0, 5), Expected(text, 0, 5));
}

}  // namespace
