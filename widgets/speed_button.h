#pragma once
// Flat tool button with a two-image glyph (normal, disabled) and its caption under
// the image. A child window of its own: its window text is the caption and its
// enabled state is the window's, so screen readers and automation can read both.
// A click (or BM_CLICK) sends WM_COMMAND with the button's id to the parent.
#include "win/handles.h"
#include "win/window.h"

namespace widgets {

class SpeedButton : public win::Window {
public:
    // `glyph` is a strip of two equal images; its bottom-left pixel is transparent.
    SpeedButton(HWND parent, int id, const char* caption, HBITMAP glyph, HFONT font, RECT bounds, bool visible);

    // Enables or disables the window and repaints only on a change.
    void SetEnabled(bool enabled);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    void DrawGlyph(HDC dc, int x, int y, bool enabled) const;
    void Click();

    HBITMAP glyph_;
    HFONT font_;
    bool hot_ = false;
    bool pressed_ = false;
};

}  // namespace widgets
