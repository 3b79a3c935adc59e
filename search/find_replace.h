#pragma once
// The modeless find and replace dialogs of the main window.
#include <windows.h>

namespace app {
class TMDIForm;
}

namespace search {

class FindReplace {
public:
    explicit FindReplace(app::TMDIForm& form);
    ~FindReplace();
    FindReplace(const FindReplace&) = delete;
    FindReplace& operator=(const FindReplace&) = delete;

    void ShowFind();     // findBtnClick
    void ShowReplace();  // ReplaceClick
    // Gives the open dialogs their keyboard handling; true when the message was theirs.
    bool TranslateDialogMessage(MSG& msg);
    // Handles the dialogs' registered message sent to the main window; true when it was theirs.
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    app::TMDIForm& form_;
};

}  // namespace search
