// Reading stretches of the editor's text by the control's positions, as the caret
// tracker does on every caret move: Chinese text, line breaks of every kind, the end
// of a long text, and a text changed between two reads.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "documents/rich_editor.h"

namespace {

class EditorCharacters : public ::testing::Test {
protected:
    void SetUp() override {
        parent_ = ::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
        editor_ = std::make_unique<documents::RichEditor>(parent_, 1);
        ::MoveWindow(editor_->hwnd(), 0, 0, 400, 300, FALSE);
    }
    void TearDown() override {
        editor_.reset();
        ::DestroyWindow(parent_);
    }

    void SetText(const std::string& text) {
        editor_->Clear();
        editor_->ReplaceSelection(text, false);
    }
    static int Positions(const std::string& text) {
        return ::MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    }
    // The reference: the whole text, cut at character positions.
    static std::string Expected(const std::string& text, int from, int to) {
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
    std::unique_ptr<documents::RichEditor> editor_;
};

TEST_F(EditorCharacters, EveryRangeOfAMixedTextMatchesTheWholeText) {
    const std::string texts[] = {
        "中乤ab\r\n第二行x\r\nend",
        "\r\n\r\n空行\r\n",
        "a\nb\rc\r\nd",  // bare LF and CR stay line breaks of their own
        "",
        "乗\\x",
        "末尾是中文",  // double-byte characters up to the very end
    };
    for (const auto& text : texts) {
        SetText(text);
        int length = Positions(text);
        for (int from = 0; from <= length; ++from)
            for (int to = from; to <= length + 1; ++to)
                EXPECT_EQ(editor_->Characters(from, to), Expected(text, from, to))
                    << text << " [" << from << "," << to << ")";
    }
}

TEST_F(EditorCharacters, LongTextIsReadExactlyAtItsStartMiddleAndEnd) {
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "第" + std::to_string(i) + "行=中文译文\r\n";
    text += "最后一行没有换行";
    SetText(text);
    int length = Positions(text);
    const int ranges[][2] = {{length - 20, length},           {length - 1, length},    {0, 5},
                             {length / 2, length / 2 + 9000}, {length - 9000, length}, {10, length}};
    for (const auto& range : ranges)
        EXPECT_EQ(editor_->Characters(range[0], range[1]), Expected(text, range[0], range[1]))
            << "[" << range[0] << "," << range[1] << ")";
}

TEST_F(EditorCharacters, ReadsAfterAnEditSeeTheNewText) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "行" + std::to_string(i) + "\r\n";
    SetText(text);
    int middle = Positions(text) / 2;
    auto check = [&](const char* after) {
        std::string now = editor_->Text();  // read whole, the other way
        for (int from : {middle - 6, middle - 1, middle})
            EXPECT_EQ(editor_->Characters(from, from + 6), Expected(now, from, from + 6)) << after << " @" << from;
    };
    check("nothing");
    // Each edit at the stretch that was just read: the next read sees it.
    int caret = static_cast<int>(Expected(text, 0, middle).size());
    editor_->SetSelection(caret);
    ::SendMessageA(editor_->hwnd(), WM_CHAR, 'Z', 0);
    check("typing");
    editor_->SetSelection(caret - 2, 3);
    editor_->ReplaceSelection("替换", false);
    check("replacing");
    ::SendMessageA(editor_->hwnd(), WM_KEYDOWN, VK_DELETE, 0);
    check("deleting");
    ::SendMessageA(editor_->hwnd(), WM_KEYDOWN, VK_BACK, 0);
    check("backspace");
}

}  // namespace
