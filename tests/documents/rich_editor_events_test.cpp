// What the editor wrapper tells its parent: a fresh control in place of the old one
// (Clear, a load into a control that holds text) through its own interface, and a
// load as one step (its notifications held back when the parent hands them over, and
// one selection change reported at its end).
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "documents/rich_editor.h"
#include "win/error_display.h"

namespace {

using documents::RichEditor;

// A bare parent that hands the editor's notifications over as a document window does
// and counts those it may act on.
struct Parent {
    RichEditor* editor = nullptr;
    int changes = 0;
    int selectionChanges = 0;
};

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* parent = reinterpret_cast<Parent*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (parent && parent->editor) {
        if (msg == WM_COMMAND && reinterpret_cast<HWND>(lParam) == parent->editor->hwnd() &&
            parent->editor->ParentCommand(HIWORD(wParam)) && HIWORD(wParam) == EN_CHANGE)
            ++parent->changes;
        if (msg == WM_NOTIFY) {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.hwndFrom == parent->editor->hwnd() && parent->editor->ParentNotify(header) &&
                header.code == EN_SELCHANGE)
                ++parent->selectionChanges;
        }
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

class RichEditorEvents : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "VelmoraEditorParent";
        ::RegisterClassA(&wc);
        window_ = ::CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                    wc.hInstance, nullptr);
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&parent_));
        editor_ = std::make_unique<RichEditor>(window_, 2);
        editor_->SetMode(documents::TextMode::Plain);
        editor_->OnControlReplaced([this] { ++replaced_; });
        parent_.editor = editor_.get();
    }
    void TearDown() override {
        parent_.editor = nullptr;
        editor_.reset();
        ::DestroyWindow(window_);
        ::DeleteFileA(kFile);
    }
    static void WriteFile(const std::string& bytes) { std::ofstream(kFile, std::ios::binary) << bytes; }

    static constexpr const char* kFile = "rich_editor_events.txt";
    HWND window_ = nullptr;
    Parent parent_;
    std::unique_ptr<RichEditor> editor_;
    int replaced_ = 0;
};

TEST_F(RichEditorEvents, FreshControlIsReportedWhenTheOldOneHeldText) {
    editor_->Clear();  // nothing to empty: the control stays
    EXPECT_EQ(replaced_, 0);

    editor_->ReplaceSelection("第一行\r\n", true);
    HWND before = editor_->hwnd();
    editor_->Clear();
    EXPECT_EQ(replaced_, 1);
    EXPECT_NE(editor_->hwnd(), before);
    EXPECT_TRUE(editor_->IsModified());  // Clear is a change

    WriteFile("词库=翻译\r\n");
    editor_->LoadFromFile(kFile);  // into an empty control: it stays
    EXPECT_EQ(replaced_, 1);
    editor_->LoadFromFile(kFile);  // into one that holds text
    EXPECT_EQ(replaced_, 2);
    EXPECT_EQ(editor_->Text(), "词库=翻译\r\n");
}

TEST_F(RichEditorEvents, LoadIsOneStepAndTypingIsAChange) {
    WriteFile("a\r\nb\r\nc\r\n");
    editor_->ReplaceSelection("x", true);
    parent_ = Parent{editor_.get()};
    editor_->LoadFromFile(kFile);
    EXPECT_EQ(parent_.changes, 0);
    EXPECT_EQ(parent_.selectionChanges, 1);  // once, at its end: the caret at the start
    EXPECT_FALSE(editor_->IsModified());

    editor_->SetSelection(2);
    editor_->ReplaceSelection("y", true);
    EXPECT_GE(parent_.changes, 1);
    EXPECT_GE(parent_.selectionChanges, 1);
    EXPECT_TRUE(editor_->IsModified());
}

TEST(RichEditorCreation, ControlThatCannotBeMadeIsAnError) {
    try {
        RichEditor orphan(nullptr, 2);  // a child control needs a parent
        ADD_FAILURE() << "no error";
    } catch (const win::CommandError& e) {
        EXPECT_STREQ(e.what(), "Cannot create window RICHEDIT");
    }
}

}  // namespace
