#pragma once
// 属性: the library's file, its entries and its description, which may be changed under
// the rules of the generation's properties dialog.
#include <windows.h>

#include <string>

namespace korvex {

class TPropertiesDialog {
public:
    TPropertiesDialog(std::string facts, std::string description);
    TPropertiesDialog(const TPropertiesDialog&) = delete;
    TPropertiesDialog& operator=(const TPropertiesDialog&) = delete;

    // True when OK took a description (read it with Description()).
    bool ShowModal(HWND owner);
    const std::string& Description() const { return description_; }

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnOk(HWND dialog);

    std::string facts_;
    std::string description_;
};

}  // namespace korvex
