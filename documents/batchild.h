#pragma once
// TMdiChild: one document window. Its editor holds the document's text; the message
// pane under it lists the compiler's messages of the last generation run; the bar
// between them resizes the pane.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "documents/caret_tracker.h"
#include "documents/frame.h"
#include "documents/message_pane.h"
#include "documents/rich_editor.h"
#include "win/handles.h"
#include "win/window.h"

namespace widgets {
class Splitter;
}

namespace documents {

class TMdiChild : public win::Window {
public:
    // Creates the window in the frame's document area, shown at once, and makes it
    // the active document window; the frame's list of open windows holds it until
    // its window is gone. The caption is "MdiChild" until the creator sets it. A
    // window that cannot be made (or its editor) throws win::CommandError.
    static TMdiChild* Create(Frame& owner);
    ~TMdiChild() override;

    RichEditor& Editor() { return *editor_; }
    const RichEditor& Editor() const { return *editor_; }
    MessagePane& ErrorList() { return *errorList_; }
    Frame& Owner() { return owner_; }
    HWND RxSplitter1() const;
    // The message pane's height (kept while the pane is hidden too).
    int ErrorListHeight() const { return errorListHeight_; }

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    // The document's file: its path becomes the caption. A window made by New has no
    // file until Save As gives it one; what its caption says does not decide that.
    void SetFilePath(const std::string& path);
    void MarkNeverSaved() { neverSaved_ = true; }
    bool IsNeverSaved() const { return neverSaved_; }
    bool IsModified() const { return editor_->IsModified(); }
    bool HasSelection() const { return editor_->HasSelection(); }
    // The close query: true when the window may close. Asks about unsaved changes
    // and saves when told to; a failed save is shown and refuses the close.
    bool CloseQuery();
    // Asks a document window to close the way its close box does (close query, then
    // close). False when a save of its close query failed: a command that closes
    // several windows ends there, so the user can act on the error first.
    static bool AskToClose(HWND window);
    // The document is saved (or its changes are given up): its recovery copy goes.
    void ForgetRecoveryCopy();
    // A recovery copy is due: written once the text has been left alone for a while.
    void ScheduleRecoveryCopy();
    // Shows the message pane (after a generation run) and lays the window out again.
    void ShowErrorList();

    // Event handlers.
    void FormCloseQuery(bool& canClose);
    void FormClose();
    void FormResize();
    void RxSplitter1PosChanged();
    void EditorSelectionChange();
    // The text or the selection changed: once the message at hand is done, the frame
    // hears whether the editor can undo (the control records a change only as it ends).
    void UndoStateMayHaveChanged();
    // The text changed where the tracker cannot tell (undo): recount on the next event.
    void ForgetCaretPlace();

    // Caret tracker: the selection start at the previous selection change, its line
    // and column (from 0, column in bytes).
    int LastSelStart = 0;
    int CaretLine = 0;
    int CaretColumn = 0;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalDestroy() override;

private:
    explicit TMdiChild(Frame& owner);
    void BuildComponents();
    void Layout();
    LRESULT OnNotify(const NMHDR& header);
    // A message row chosen in the pane (double-click or Enter): the caret goes to the
    // line and column it names.
    void GoToMessage(int row);

    Frame& owner_;
    win::Font font_;  // the editor's; outlives it
    std::unique_ptr<widgets::Splitter> splitter_;
    std::unique_ptr<RichEditor> editor_;
    std::unique_ptr<MessagePane> errorList_;
    int errorListHeight_ = 0;
    bool neverSaved_ = false;
    // The message pane had the focus last, not the editor: it gets it back when the
    // window is activated again.
    bool paneHadFocus_ = false;
    bool closeSaveFailed_ = false;  // the last close query's save failed
    bool undoStatePosted_ = false;  // a report of the undo state is on its way
    void WriteRecoveryCopy();
    int recoverySlot_ = 0;         // the copy's name in the store; 0 before the first
    DWORD lastRecoveryWrite_ = 0;  // tick count of the last copy written
    // Counts in the control's positions (a Chinese character is one).
    CaretTracker tracker_{CaretTracker::Units::Characters};
    void EditorTextChanged();
};

// The objects of one frame's document windows. Each window frees itself when it is
// closed: it stays here until its window is gone.
class DocumentWindows {
public:
    DocumentWindows();
    ~DocumentWindows();
    DocumentWindows(const DocumentWindows&) = delete;
    DocumentWindows& operator=(const DocumentWindows&) = delete;

    TMdiChild& Adopt(std::unique_ptr<TMdiChild> window);
    // Frees the window's object; nothing may touch it afterwards.
    void Release(const TMdiChild& window);
    std::size_t Count() const { return windows_.size(); }

private:
    std::vector<std::unique_ptr<TMdiChild>> windows_;
};

// The active document window of an MDI client, or null.
TMdiChild* ActiveDocumentIn(HWND documentArea);
// The document windows of an MDI client, the most recently activated first.
std::vector<TMdiChild*> DocumentsIn(HWND documentArea);

}  // namespace documents
