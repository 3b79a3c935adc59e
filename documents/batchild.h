#pragma once
// TMdiChild: one document window. Its editor holds the document's text; the message
// pane under it lists the compiler's messages of the last generation run.
#include <windows.h>

#include <memory>
#include <string>

#include "documents/message_pane.h"
#include "documents/rich_editor.h"
#include "win/window.h"

namespace app {
class TMDIForm;
}

namespace documents {

class TMdiChild : public win::Window {
public:
    // Creates the window in the main window's document area and makes it active;
    // it frees itself when closed.
    static TMdiChild* Create(app::TMDIForm& owner);

    RichEditor& Editor() { return *editor_; }
    const RichEditor& Editor() const { return *editor_; }
    MessagePane& ErrorList() { return *errorList_; }
    app::TMDIForm& Owner() { return owner_; }

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    bool IsModified() const { return editor_->IsModified(); }
    bool HasSelection() const { return editor_->Selection().length != 0; }
    // FormCloseQuery: true when the window may close.
    bool CloseQuery();
    // Shows the message pane (after a generation run) and lays the window out again.
    void ShowErrorList();

    // The editor's events.
    void EditorSelectionChange();
    void EditorKeyPress();

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
    void Layout();
    LRESULT OnNotify(const NMHDR& header);

    app::TMDIForm& owner_;
    std::unique_ptr<RichEditor> editor_;
    std::unique_ptr<MessagePane> errorList_;
};

}  // namespace documents
