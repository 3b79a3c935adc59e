#include "korvex/properties_dialog.h"

#include "korvex/entry_dialog.h"
#include "korvex/korvex_messages.h"
#include "korvex/library_io.h"
#include "korvex/resource_ids.h"

namespace korvex {

TPropertiesDialog::TPropertiesDialog(std::string facts, std::string description)
    : facts_(std::move(facts)), description_(std::move(description)) {}

bool TPropertiesDialog::ShowModal(HWND owner) { return Run(owner, IDD_LIBRARY_PROPERTIES); }

void TPropertiesDialog::OnInit(HWND dialog) {
    SetGbkField(dialog, IDC_LIBRARY_FACTS, facts_);
    SetGbkField(dialog, IDC_DESCRIPTION, description_);
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
