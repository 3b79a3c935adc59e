#pragma once
// TConfirm, the lexicon properties dialog: asks for the description and the file
// name of the library before every generation run, and refuses to close while
// either holds a byte that would break the compiler's command line.
#include <windows.h>

#include <memory>
#include <string>

#include "win/handles.h"

namespace documents {
class Frame;
}

namespace generation {

class TConfirm {
public:
    // The controls' ids. Neither button is IDOK or IDCANCEL: Enter in a field and Esc
    // close nothing.
    static constexpr int kLabel1 = 101, kEdit1 = 102, kLabel2 = 103, kEdit2 = 104, kBevel1 = 105, kButton1 = 106,
                         kButton2 = 107;
    static constexpr int kModalOk = 1, kModalCancel = 2;

    // Created hidden, with empty fields.
    explicit TConfirm(documents::Frame& owner);
    ~TConfirm();
    TConfirm(const TConfirm&) = delete;
    TConfirm& operator=(const TConfirm&) = delete;

    HWND hwnd() const { return hwnd_; }

    // Shows the dialog modally, the focus in Edit1; returns kModalOk when it closes
    // through Button1 and kModalCancel when it closes any other way.
    int ShowModal();

    // The fields as typed (GBK); still readable once the dialog has closed.
    std::string Description() const;
    std::string FileName() const;

    // The close check, run on every attempt to close: false (after telling the user)
    // while the texts hold a forbidden byte.
    bool FormCloseQuery();

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void FormCreate();
    void TryClose(int result);
    void FieldChanged(int id);
    std::string FieldText(int id) const;

    documents::Frame& owner_;
    HWND hwnd_ = nullptr;
    int modalResult_ = 0;
    bool fitting_ = false;
    std::string acceptedDescription_;
    std::string acceptedFileName_;
    win::Font labelFont_;
    win::Font editFont_;
    win::Font buttonFont_;
};

// The frame's properties dialog: the one of the latest generation run (start-up
// creates the first one).
class ConfirmSlot {
public:
    TConfirm* Current() const { return dialog_.get(); }
    // A new dialog owned by the frame; it replaces the previous one, which is destroyed:
    // a finished run's dialog is never shown again, so it is not kept to the end.
    TConfirm& Renew(documents::Frame& owner);

private:
    std::unique_ptr<TConfirm> dialog_;
};

}  // namespace generation
