#pragma once
// TMdiChild: one document window. Its editor holds the document's text.
#include <windows.h>

#include <string>

#include "win/window.h"

namespace app {
class TMDIForm;
}

namespace documents {

class TMdiChild : public win::Window {
public:
    // Creates the window in the main window's document area; it frees itself when closed.
    static TMdiChild* Create(app::TMDIForm& owner);

    HWND Editor() const { return editor_; }
    std::string Caption() const;
    void SetCaption(const std::string& caption);
    bool IsModified() const;
    bool HasSelection() const;
    // FormCloseQuery: true when the window may close.
    bool CloseQuery();

    // Caret tracker.
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

    app::TMDIForm& owner_;
    HWND editor_ = nullptr;
};

}  // namespace documents
