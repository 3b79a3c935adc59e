#pragma once
// Design sizes are pixels at 120 dpi; windows scale them to the screen's density.
#include <windows.h>

#include "win/handles.h"

namespace win {

int ScreenDpi();
// A design length at 120 dpi on this screen.
int Scale(int designPixels);

struct FontSpec {
    const char* face = "MS Sans Serif";
    int designHeight = 17;  // character height in pixels at 120 dpi
    bool bold = false;
    bool italic = false;
};
// GB2312_CHARSET lets the font mapper choose a face with Chinese glyphs when the
// named face has none.
Font MakeFont(const FontSpec& spec);

}  // namespace win
