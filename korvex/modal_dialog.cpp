#include "korvex/modal_dialog.h"

namespace korvex {

bool ModalDialog::Run(HWND owner, int templateId) {
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, &ModalDialog::Procedure,
                             reinterpret_cast<LPARAM>(this)) == IDOK;
}

INT_PTR CALLBACK ModalDialog::Procedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ModalDialog*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        self = reinterpret_cast<ModalDialog*>(lParam);
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        self->OnInit(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            self->OnOk(dialog);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    if (self != nullptr) {
        INT_PTR result = FALSE;
        if (self->OnMessage(dialog, msg, wParam, lParam, result)) return result;
    }
    return FALSE;
}

}  // namespace korvex
