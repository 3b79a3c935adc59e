#pragma once
// A modal dialog from a template: OK reads and checks its fields and closes it only
// when they are taken; Cancel closes it as it is.
#include <windows.h>

namespace korvex {

class ModalDialog {
public:
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

protected:
    ModalDialog() = default;
    virtual ~ModalDialog() = default;

    // True when OK closed it.
    bool Run(HWND owner, int templateId);
    virtual void OnInit(HWND dialog) = 0;
    // Ends the dialog with IDOK once its fields are taken.
    virtual void OnOk(HWND dialog) = 0;
    // Any other message; true when handled, with the dialog procedure's `result`.
    virtual bool OnMessage(HWND /*dialog*/, UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, INT_PTR& /*result*/) {
        return false;
    }

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
};

}  // namespace korvex
