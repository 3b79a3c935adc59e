#pragma once
// TMdiChild: one document window. Its editor holds the document's text; the message
// pane under it lists the compiler's messages of the last generation run; the bar
// between them resizes the pane.
#include <windows.h>

#include <memory>
#include <string>

#include "documents/caret_tracker.h"
#include "documents/message_pane.h"
#include "documents/rich_editor.h"
#include "win/handles.h"
#include "win/window.h"

namespace app {
class TMDIForm;
}
namespace widgets {
class Splitter;
}

namespace documents {

class TMdiChild : public win::Window {
public:
    // Creates the window in the main window's document area, shown at once, and
    // makes it the active document window; it frees itself when closed. The caption
    // is "MdiChild" until the creator sets it.
    static TMdiChild* Create(app::TMDIForm& owner);
    ~TMdiChild() override;

    RichEditor& Editor() { return *editor_; }
    const RichEditor& Editor() const { return *editor_; }
    MessagePane& ErrorList() { return *errorList_; }
    app::TMDIForm& Owner() { return owner_; }
    HWND RxSplitter1() const;
    // The message pane's height (kept while the pane is hidden too).
    int ErrorListHeight() const { return errorListHeight_; }

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    bool IsModified() const { return editor_->IsModified(); }
    bool HasSelection() const { return editor_->HasSelection(); }
    // The close query: true when the window may close. Asks about unsaved changes
    // and saves when told to; a failed save is shown and refuses the close.
    bool CloseQuery();
    // Shows the message pane (after a generation run) and lays the window out again.
    void ShowErrorList();

    // Event handlers.
    void FormCloseQuery(bool& canClose);
    void FormClose();
    void FormResize();
    void RxSplitter1PosChanged();
    void EditorSelectionChange();
    void EditorKeyPress();
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
    explicit TMdiChild(app::TMDIForm& owner);
    void BuildComponents();
    void Layout();
    LRESULT OnNotify(const NMHDR& header);

    app::TMDIForm& owner_;
    win::Font font_;  // the editor's; outlives it
    std::unique_ptr<widgets::Splitter> splitter_;
    std::unique_ptr<RichEditor> editor_;
    std::unique_ptr<MessagePane> errorList_;
    int errorListHeight_ = 0;
    // Counts in the control's positions (a Chinese character is one).
    CaretTracker tracker_{CaretTracker::Units::Characters};
    HWND trackedEditor_ = nullptr;  // the control the tracker's places belong to
    void EditorTextChanged();
};

}  // namespace documents
