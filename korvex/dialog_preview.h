#pragma once
// The dialog preview: each dialog of a program drawn from the program's own template,
// inert, with the word list's translations put in, and a red outline on every control
// whose text does not fit it. Space switches between the original and the translation;
// Page Down and Page Up (or the arrow keys) go to the next and the previous dialog.
#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "win/window.h"

namespace korvex {

struct PreviewDialog {
    std::string name;                    // "notepad.exe DIALOG 514" (GBK)
    std::string template_bytes;          // the program's template, copied
    std::wstring caption;                // the translations; empty where there is none
    std::vector<std::wstring> controls;  // by the control's place in the template
};

// The source-language dialogs of a program, with the translations of `words` (GBK
// original → GBK translation) put in; nothing when the program cannot be read.
std::vector<PreviewDialog> PreviewDialogs(std::string_view program, std::string_view file_name,
                                          const std::map<std::string, std::string>& words);

class TDialogPreview : public win::Window {
public:
    static constexpr const char* kClassName = "TDialogPreview";

    explicit TDialogPreview(std::vector<PreviewDialog> dialogs);
    ~TDialogPreview() override;

    // Creates the window, owned by `owner`, showing the first dialog translated.
    void Create(HWND owner);
    void Show(std::size_t index, bool translated);
    std::size_t Index() const { return index_; }
    std::size_t Count() const { return dialogs_.size(); }
    bool Translated() const { return translated_; }
    HWND Dialog() const { return dialog_; }
    // The controls of the dialog shown whose text does not fit.
    const std::vector<HWND>& Overflowing() const { return overflowing_; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();
    void CheckFit();

    std::vector<PreviewDialog> dialogs_;
    std::size_t index_ = 0;
    bool translated_ = true;
    HWND dialog_ = nullptr;
    std::vector<HWND> overflowing_;
    HFONT font_ = nullptr;
};

}  // namespace korvex
