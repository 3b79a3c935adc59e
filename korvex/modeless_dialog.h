#pragma once
// A modeless tool window of KORVEX from a dialog template (Unicode, so that Chinese
// typed into its edits arrives as it is): created once, hidden by Close and shown again
// as it was. Its controls keep their distances to the edges they are anchored to when
// the window is resized.
#include <windows.h>

#include <vector>

namespace korvex {

class ModelessDialog {
public:
    ModelessDialog(const ModelessDialog&) = delete;
    ModelessDialog& operator=(const ModelessDialog&) = delete;

    HWND hwnd() const { return dialog_; }
    // The window's keyboard (Tab, Enter, Esc, access keys) for a message of the main
    // loop; true when it was the window's.
    bool Translate(MSG* msg) const;
    bool Visible() const { return dialog_ && ::IsWindowVisible(dialog_); }

protected:
    ModelessDialog() = default;
    virtual ~ModelessDialog();

    // Creates the window on first use, shows and activates it; false with a message
    // when it cannot be created.
    bool ShowOver(HWND owner, int templateId);
    void Hide() const;

    enum Anchor { Left = 1, Top = 2, Right = 4, Bottom = 8 };
    // Called once the controls exist (WM_INITDIALOG).
    virtual void OnInit() = 0;
    // Any message; true when handled, with the dialog procedure's `result`.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) = 0;
    // A control that follows the edges it is anchored to; call from OnInit.
    void AnchorControl(int id, int anchors);
    // A notification's result, as a dialog procedure must return it.
    void SetResult(LRESULT result) const { ::SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, result); }

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
    void Layout();

    struct Anchored {
        HWND control;
        int anchors;
        RECT margins;  // to the client area's left, top, right and bottom
    };
    HWND dialog_ = nullptr;
    std::vector<Anchored> anchored_;
};

}  // namespace korvex
