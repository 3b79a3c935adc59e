#pragma once
// 属性: the library's file, its entries and its description, which may be changed under
// the rules of the generation's properties dialog.
#include <windows.h>

#include <string>

#include "korvex/modal_dialog.h"

namespace korvex {

class TPropertiesDialog : private ModalDialog {
public:
    TPropertiesDialog(std::string facts, std::string description);

    // True when OK took a description (read it with Description()).
    bool ShowModal(HWND owner);
    const std::string& Description() const { return description_; }

private:
    void OnInit(HWND dialog) override;
    void OnOk(HWND dialog) override;

    std::string facts_;
    std::string description_;
};

}  // namespace korvex
