#pragma once
// The floor of the editor benchmark: a bare version-1 rich edit control in a
// minimal top-level window, with nothing of the program attached (no subclass, no
// notifications, default event mask), doing the same work as the editor.
#include <windows.h>

#include <string>

namespace bench {

// How the bare control is filled.
// GbkStreamBarFirst shows the vertical scroll bar before the stream: the control
// lays the text out again for every scroll bar it shows afterwards.
enum class Fill { Utf16Stream, GbkStream, SetText, GbkStreamBarFirst };
const char* FillName(Fill fill);

class BareControl {
public:
    // A top-level window whose client area the control fills, the editor's style
    // (centred, no word wrap, both scroll bars) and font.
    explicit BareControl(int width = 800, int height = 560);
    ~BareControl();
    BareControl(const BareControl&) = delete;
    BareControl& operator=(const BareControl&) = delete;

    HWND control() const { return control_; }
    HWND frame() const { return frame_; }
    // Fills the empty control with `gbk` the given way and paints it.
    void Load(const std::string& gbk, Fill fill);
    // The control's height shrinks by `pixels`, as when a pane appears under it.
    void Shrink(int pixels);
    int Units() const;

private:
    HWND frame_ = nullptr;
    HWND control_ = nullptr;
    HFONT font_ = nullptr;
};

// Handles every message waiting for this thread.
void PumpThread();

}  // namespace bench
