#pragma once
// The dialog of 增加 and 修改: the original and the translation, written with the
// word list's escapes. OK hands both fields to `accept`, which checks them and tells
// the user why it refuses; the dialog closes only when they are taken. Texts may be as
// long as a library holds (a program's --help text): both fields are multi-line with
// scroll bars, a line for each \n escape, and the dialog can be made larger.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "korvex/modal_dialog.h"

namespace korvex {

class TEntryDialog : private ModalDialog {
public:
    using Accept = std::function<bool(HWND dialog, const std::string& original, const std::string& translation)>;

    TEntryDialog(std::string caption, std::string original, std::string translation, Accept accept);

    // True when the entry was taken.
    bool ShowModal(HWND owner);

private:
    void OnInit(HWND dialog) override;
    void OnOk(HWND dialog) override;
    bool OnMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void Layout(HWND dialog, int width, int height);
    // The compiler's messages about the entry as it stands, under the fields, as the
    // user types.
    void ShowWarnings(HWND dialog);

    // Where each control sat in the client area of the dialog's first, smallest size.
    struct Placed {
        HWND control;
        int id;
        RECT rect;
    };
    std::vector<Placed> placed_;
    SIZE client_{};
    SIZE smallest_{};  // the whole window

    std::string caption_;
    std::string original_;
    std::string translation_;
    Accept accept_;
};

// A field's text as GBK, or nothing (after telling the user) when it holds a character
// that GBK cannot write.
bool ReadGbkField(HWND dialog, int id, const char* name, std::string& text);
void SetGbkField(HWND dialog, int id, const std::string& text);

}  // namespace korvex
