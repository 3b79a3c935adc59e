#include "korvex/properties_dialog.h"

#include "korvex/entry_dialog.h"
#include "korvex/korvex_messages.h"
#include "korvex/library_io.h"
#include "korvex/resource_ids.h"

namespace korvex {

TPropertiesDialog::TPropertiesDialog(std::string facts, std::string description)
    : facts_(std::move(facts)), description_(std::move(description)) {}

bool TPropertiesDialog::ShowModal(HWND owner) {
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LIBRARY_PROPERTIES), owner,
                             &TPropertiesDialog::Procedure, reinterpret_cast<LPARAM>(this)) == IDOK;
}

INT_PTR CALLBACK TPropertiesDialog::Procedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TPropertiesDialog*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        self = reinterpret_cast<TPropertiesDialog*>(lParam);
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SetGbkField(dialog, IDC_LIBRARY_FACTS, self->facts_);
        SetGbkField(dialog, IDC_DESCRIPTION, self->description_);
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
    return FALSE;
}

void TPropertiesDialog::OnOk(HWND dialog) {
    std::string description;
    if (!ReadGbkField(dialog, IDC_DESCRIPTION, "词库说明", description)) return;
    if (const auto refusal = DescriptionRefusal(description)) {
        ShowMessage(dialog, *refusal + "。", MB_ICONSTOP);
        ::SetFocus(::GetDlgItem(dialog, IDC_DESCRIPTION));
        return;
    }
    description_ = std::move(description);
    ::EndDialog(dialog, IDOK);
}

}  // namespace korvex
