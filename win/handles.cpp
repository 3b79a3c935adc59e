#include "win/handles.h"

namespace win {

BufferedPaint::BufferedPaint(HDC target, int width, int height)
    : target_(target),
      width_(width),
      height_(height),
      memory_(::CreateCompatibleDC(target)),
      bitmap_(::CreateCompatibleBitmap(target, width > 0 ? width : 1, height > 0 ? height : 1)) {
    old_ = ::SelectObject(memory_.get(), bitmap_.get());
}

BufferedPaint::~BufferedPaint() {
    ::BitBlt(target_, 0, 0, width_, height_, memory_.get(), 0, 0, SRCCOPY);
    ::SelectObject(memory_.get(), old_);
}

void DrawTransparent(HDC dc, HBITMAP bitmap, int x, int y, int sourceX, int width) {
    BITMAP info{};
    if (!bitmap || !::GetObjectA(bitmap, sizeof info, &info)) return;
    MemoryDc source(::CreateCompatibleDC(dc));
    Selected selected(source.get(), bitmap);
    COLORREF transparent = ::GetPixel(source.get(), 0, info.bmHeight - 1);
    ::TransparentBlt(dc, x, y, width, info.bmHeight, source.get(), sourceX, 0, width, info.bmHeight, transparent);
}

}  // namespace win
