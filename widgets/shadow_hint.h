#pragma once
// Balloon hints for the tool buttons: a borderless, topmost window that never takes
// the focus, drawn over a snapshot of the screen it covers, with a tail towards the
// pointer and a checkerboard shadow. The window (class "TNewHint") watches the
// pointer itself, so the buttons need not tell it anything; disabled buttons, which
// receive no mouse messages, show their hints too.
#include <string>
#include <vector>

#include "widgets/hint_placement.h"
#include "win/handles.h"
#include "win/window.h"

namespace widgets {

class ShadowHint : public win::Window {
public:
    static constexpr UINT kHintPauseTime = 600;  // ms the pointer rests before the balloon shows
    static constexpr COLORREF kHintColor = RGB(255, 255, 0);
    static constexpr COLORREF kHintShadowColor = RGB(128, 0, 128);
    static constexpr COLORREF kHintTextColor = RGB(0, 0, 255);

    // `owner` is the main window; the balloon hides with it.
    explicit ShadowHint(HWND owner, HintDirection direction = HintDirection::hdDownRight);

    // The text shown for a control (already the short part of its hint).
    void AddHint(HWND control, std::string text);
    // Hides the balloon; it shows again only once the pointer has left the control.
    void Cancel();
    // Offered every message of the application's loop: a mouse button or a key
    // pressed anywhere hides the balloon.
    void RelayMessage(const MSG& msg);

    // The direction the balloon was finally placed in (the drawing depends on it).
    HintDirection Direction() const { return placed_; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct Target {
        HWND control;
        std::string text;
    };
    const Target* TargetAt(POINT screenPoint) const;
    void Poll();
    void Show(const Target& target, POINT pointer);
    void Hide();
    void Paint();

    HintDirection direction_;
    HintDirection placed_;
    std::vector<Target> targets_;
    win::Font font_;
    win::Bitmap snapshot_;
    SIZE textSize_{};
    HWND current_ = nullptr;  // the control under the pointer
    DWORD enteredAt_ = 0;
    // A control whose balloon was cancelled, until the pointer leaves its rectangle.
    HWND cancelled_ = nullptr;
};

}  // namespace widgets
