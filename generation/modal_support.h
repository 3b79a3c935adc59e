#pragma once
// What the generation run's modal windows share: a dialog window built without a
// resource, and the disabling of every other window of the program while one is up.
#include <windows.h>

#include <vector>

namespace generation {

// A hidden, empty dialog (class #32770) owned by `owner`; the procedure receives
// `param` with WM_INITDIALOG and creates the controls itself, in pixels.
HWND CreateBlankDialog(HWND owner, DWORD style, DLGPROC procedure, LPARAM param);

// Disables every enabled top-level window of this thread (the main window and any
// modeless dialog) so that no command can be given, as a modal message box does.
// Release() enables them again and gives the activation and focus back.
class ModalScope {
public:
    ModalScope();
    ~ModalScope() { Release(); }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    void Release();

private:
    std::vector<HWND> disabled_;
    HWND active_ = nullptr;
    HWND focus_ = nullptr;
    bool released_ = false;
};

// Keyboard and mouse messages: what a modal wait must keep from the disabled windows.
bool IsUserInput(const MSG& msg);

}  // namespace generation
