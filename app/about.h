#pragma once
// TAboutBox: the about box with the scrolling credits. A fresh box is built for every
// showing, so the credits always start from the top.
#include <windows.h>

#include <memory>

#include "win/handles.h"

namespace widgets {
class SecretPanel;
}

namespace app {

class TMDIForm;

class TAboutBox {
public:
    explicit TAboutBox(TMDIForm& form);
    ~TAboutBox();
    TAboutBox(const TAboutBox&) = delete;
    TAboutBox& operator=(const TAboutBox&) = delete;

    // Shows the box modally over the main window; returns when it is closed.
    INT_PTR ShowModal();
    // Builds the box without showing it (the instance made at start-up, never shown).
    void CreateHidden();
    HWND hwnd() const { return hwnd_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnInitDialog(HWND dialog);

    TMDIForm& form_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;

    win::Font font_;
    win::Font buttonFont_;
    win::Font creditsFont_;
    win::Bitmap logo_;
    std::unique_ptr<widgets::SecretPanel> credits_;
};

}  // namespace app
