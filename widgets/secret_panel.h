#pragma once
// The about box's credits: a picture at the top and lines of text below it that
// scroll up a pixel at a time and start over after the last one.
#include <string>
#include <vector>

#include "widgets/credits_scroll.h"
#include "win/handles.h"
#include "win/window.h"

namespace widgets {

class SecretPanel : public win::Window {
public:
    SecretPanel(HWND parent, RECT bounds, HBITMAP glyph, std::vector<std::string> lines, HFONT font, COLORREF color);

    const CreditsScroll& Scroll() const { return scroll_; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    RECT InnerArea() const;
    RECT TextArea() const;
    void Paint();
    void PaintText(HDC dc, const RECT& area);

    HBITMAP glyph_;
    std::vector<std::string> lines_;
    HFONT font_;
    COLORREF color_;
    CreditsScroll scroll_;
};

}  // namespace widgets
