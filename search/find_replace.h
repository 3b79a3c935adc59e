#pragma once
// The modeless find and replace dialogs of the main window. Each press of a dialog
// button acts on the document window that is active at that moment.
#include <windows.h>
#include <commdlg.h>

#include <string>

namespace documents {
class Frame;
class TMdiChild;
}  // namespace documents

namespace search {

class FindReplace {
public:
    // `findBeforeReplace`: the frame's flag, set by the Replace command; the next
    // Replace or Replace All press searches first.
    FindReplace(documents::Frame& frame, bool& findBeforeReplace);
    ~FindReplace();
    FindReplace(const FindReplace&) = delete;
    FindReplace& operator=(const FindReplace&) = delete;

    void ShowFind();     // findBtnClick
    void ShowReplace();  // ReplaceClick
    // Gives the open dialogs their keyboard handling; true when the message was theirs.
    bool TranslateDialogMessage(MSG& msg);
    // Handles the dialogs' registered message sent to the main window; true when it was theirs.
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    // One system dialog and the state it works on. The state outlives the window,
    // so the texts and check boxes are there again at the next opening.
    class Dialog {
    public:
        explicit Dialog(DWORD baseFlags) : baseFlags_(baseFlags) {}
        ~Dialog();
        Dialog(const Dialog&) = delete;
        Dialog& operator=(const Dialog&) = delete;

        bool IsOpen() const { return hwnd_ && ::IsWindow(hwnd_); }
        HWND hwnd() const { return hwnd_; }
        // Opens the dialog, or brings it to the front when it is open.
        void Show(HWND owner, bool replace);
        // The dialog is closing itself.
        void Closed();
        bool Owns(const FINDREPLACEA* request) const { return request == &request_; }

        bool WholeWord() const { return (request_.Flags & FR_WHOLEWORD) != 0; }
        bool MatchCase() const { return (request_.Flags & FR_MATCHCASE) != 0; }
        std::string FindWhat() const { return findWhat_; }
        std::string ReplaceWith() const { return replaceWith_; }

    private:
        DWORD baseFlags_;
        FINDREPLACEA request_{};
        char findWhat_[256] = {};
        char replaceWith_[256] = {};
        HWND hwnd_ = nullptr;
    };

    void FindDialog1Find();
    void ReplaceDialog1Find();
    void ReplaceDialog1Replace(bool all);
    // The search step with the find text and options of `dialog`.
    void SearchStep(const Dialog& dialog);
    void ReplaceEverywhere(documents::TMdiChild& document);
    void ShowNotFound(const std::string& findText);

    documents::Frame& frame_;
    bool& findBeforeReplace_;
    UINT findMessage_;
    Dialog findDialog1_;
    Dialog replaceDialog1_;
};

}  // namespace search
