#include "win/dpi.h"

namespace win {

int ScreenDpi() {
    static const int dpi = [] {
        WindowDc screen(nullptr);
        int value = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int Scale(int designPixels) { return ::MulDiv(designPixels, ScreenDpi(), 120); }

Font MakeFont(const FontSpec& spec) {
    return Font(::CreateFontA(-Scale(spec.designHeight), 0, 0, 0, spec.bold ? FW_BOLD : FW_NORMAL,
                              spec.italic ? TRUE : FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, spec.face));
}

}  // namespace win
