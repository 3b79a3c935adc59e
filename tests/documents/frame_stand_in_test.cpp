// A document window without the main window: a stand-in frame (a bare top-level
// window with an MDI client) takes what the window asks of its frame and records
// what the window reports up.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "documents/batchild.h"
#include "documents/document_rules.h"
#include "documents/file_commands.h"
#include "documents/frame.h"
#include "tests/support/gui_harness.h"
#include "win/error_display.h"

namespace {

using documents::TMdiChild;

LRESULT CALLBACK StandInProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto client = reinterpret_cast<HWND>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return ::DefFrameProcA(hwnd, client, msg, wParam, lParam);
}

class StandInFrame : public documents::Frame {
public:
    StandInFrame() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = StandInProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "VelmoraStandInFrame";
        ::RegisterClassA(&wc);  // fails harmlessly when a second frame registers again
        frame_ = ::CreateWindowExA(0, wc.lpszClassName, "stand-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 400,
                                   nullptr, nullptr, wc.hInstance, nullptr);
        CLIENTCREATESTRUCT ccs{nullptr, 0xFF00};
        client_ = ::CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 480, 360,
                                    frame_, nullptr, wc.hInstance, &ccs);
        ::SetWindowLongPtrA(frame_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(client_));
    }
    ~StandInFrame() { ::DestroyWindow(frame_); }
    void LoseDocumentArea() { ::DestroyWindow(client_); }
    StandInFrame(const StandInFrame&) = delete;
    StandInFrame& operator=(const StandInFrame&) = delete;

    HWND FrameWindow() const override { return frame_; }
    HWND DocumentArea() const override { return client_; }
    const std::string& ProgramDir() const override { return programDir_; }
    TMdiChild* ActiveDocument() const override { return documents::ActiveDocumentIn(client_); }
    std::vector<TMdiChild*> Documents() const override { return documents::DocumentsIn(client_); }
    documents::DocumentWindows& OpenWindows() override { return windows_; }
    documents::FileDialogMemory& DialogMemory() override { return memory_; }

    void FormActivated(HWND) override { ++refreshes; }
    void RefreshSoon() override { ++refreshesSoon; }
    void OnEditorSelectionChange(bool selectionNotEmpty) override { selections.push_back(selectionNotEmpty); }
    void OnEditorUndoChanged(bool canUndo) override { undoStates.push_back(canUndo); }
    void SetCaretPositionText(const std::string& text) override { caret = text; }
    void OnGenerationRunning(bool) override {}

    int refreshes = 0;
    int refreshesSoon = 0;
    std::vector<bool> selections;
    std::vector<bool> undoStates;
    std::string caret;

private:
    HWND frame_ = nullptr;
    HWND client_ = nullptr;
    std::string programDir_ = ".\\";
    documents::DocumentWindows windows_;
    documents::FileDialogMemory memory_;
};

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

class FrameStandIn : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
    }
    StandInFrame frame;
};

TEST_F(FrameStandIn, DocumentWindowLivesInTheFramesListAndReportsItsActivation) {
    TMdiChild* doc = TMdiChild::Create(frame);
    Pump();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(frame.OpenWindows().Count(), 1u);
    EXPECT_EQ(frame.ActiveDocument(), doc);
    EXPECT_EQ(frame.Documents(), std::vector<TMdiChild*>{doc});
    EXPECT_EQ(::GetParent(doc->hwnd()), frame.DocumentArea());
    EXPECT_GE(frame.refreshes, 1);  // activated as it was created

    TMdiChild* second = TMdiChild::Create(frame);
    Pump();
    EXPECT_EQ(frame.OpenWindows().Count(), 2u);
    EXPECT_EQ(frame.Documents(), (std::vector<TMdiChild*>{second, doc}));

    ::SendMessageA(second->hwnd(), WM_CLOSE, 0, 0);  // unmodified: no question
    Pump();
    EXPECT_EQ(frame.OpenWindows().Count(), 1u);
    EXPECT_EQ(frame.Documents(), std::vector<TMdiChild*>{doc});
    EXPECT_EQ(frame.refreshesSoon, 1);
}

TEST_F(FrameStandIn, EditorEventsReachTheFrame) {
    TMdiChild* doc = TMdiChild::Create(frame);
    Pump();
    documents::RichEditor& editor = doc->Editor();

    editor.ReplaceSelection("ab\r\n中文", true);
    Pump();
    EXPECT_EQ(frame.caret, "2:5");  // Chinese characters advance the column by 2
    ASSERT_FALSE(frame.selections.empty());
    EXPECT_FALSE(frame.selections.back());

    editor.SetSelection(0, 2);
    Pump();
    EXPECT_EQ(frame.caret, "1:1");
    EXPECT_TRUE(frame.selections.back());

    // After a change, once its message is done, the frame hears whether Undo can take
    // it back; the reports of one burst of messages come as one.
    editor.SetSelection(-1);
    ::SendMessageA(editor.hwnd(), EM_EMPTYUNDOBUFFER, 0, 0);
    Pump();
    frame.undoStates.clear();
    ::SendMessageA(editor.hwnd(), WM_CHAR, 'x', 0);
    ::SendMessageA(editor.hwnd(), WM_CHAR, 'y', 0);
    Pump();
    EXPECT_EQ(frame.undoStates, (std::vector<bool>{true}));
    EXPECT_EQ(frame.caret, "2:7");
}

TEST_F(FrameStandIn, ModifiedWindowAsksBeforeClosingAndLeavesTheListWhenGone) {
    TMdiChild* doc = TMdiChild::Create(frame);
    doc->SetCaption("Noname1");
    Pump();
    doc->Editor().ReplaceSelection("词库", true);
    Pump();

    {
        harness::ModalAnswerer answers;
        answers.Press(IDCANCEL);
        ::SendMessageA(doc->hwnd(), WM_CLOSE, 0, 0);
        Pump();
        ASSERT_EQ(answers.Seen().size(), 1u);
        EXPECT_EQ(answers.Seen()[0].caption, documents::kCloseQueryCaption);
        EXPECT_EQ(answers.Seen()[0].text, documents::CloseQueryPrompt("Noname1"));
    }
    EXPECT_EQ(frame.OpenWindows().Count(), 1u);  // cancelled: still open

    {
        harness::ModalAnswerer answers;
        answers.Press(IDNO);
        ::SendMessageA(doc->hwnd(), WM_CLOSE, 0, 0);
        Pump();
        EXPECT_EQ(answers.Seen().size(), 1u);
    }
    EXPECT_EQ(frame.OpenWindows().Count(), 0u);
    EXPECT_EQ(frame.ActiveDocument(), nullptr);
}

TEST_F(FrameStandIn, WindowThatCannotBeMadeIsAnErrorAndLeavesNothingBehind) {
    frame.LoseDocumentArea();
    try {
        TMdiChild::Create(frame);
        ADD_FAILURE() << "no error";
    } catch (const win::CommandError& e) {
        EXPECT_STREQ(e.what(), "Cannot create window TMdiChild");
    }
    EXPECT_EQ(frame.OpenWindows().Count(), 0u);
}

}  // namespace
