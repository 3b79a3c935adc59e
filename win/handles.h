#pragma once
// Owning wrappers for Win32 handles: one owner each, never copied.
#include <windows.h>

#include <utility>

namespace win {

template <typename Handle, typename Traits>
class Unique {
public:
    Unique() = default;
    explicit Unique(Handle h) : handle_(h) {}
    ~Unique() { reset(); }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : handle_(std::exchange(other.handle_, Traits::invalid())) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.handle_, Traits::invalid()));
        }
        return *this;
    }
    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::invalid(); }
    Handle release() { return std::exchange(handle_, Traits::invalid()); }
    void reset(Handle h = Traits::invalid()) {
        if (handle_ != Traits::invalid()) Traits::close(handle_);
        handle_ = h;
    }

private:
    Handle handle_ = Traits::invalid();
};

struct KernelHandleTraits {
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};
struct FileHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};
template <typename G>
struct GdiTraits {
    static G invalid() { return nullptr; }
    static void close(G h) { ::DeleteObject(h); }
};
struct MenuTraits {
    static HMENU invalid() { return nullptr; }
    static void close(HMENU h) { ::DestroyMenu(h); }
};
struct DcTraits {
    static HDC invalid() { return nullptr; }
    static void close(HDC h) { ::DeleteDC(h); }
};
struct IconTraits {
    static HICON invalid() { return nullptr; }
    static void close(HICON h) { ::DestroyIcon(h); }
};

using KernelHandle = Unique<HANDLE, KernelHandleTraits>;
using FileHandle = Unique<HANDLE, FileHandleTraits>;
using Font = Unique<HFONT, GdiTraits<HFONT>>;
using Bitmap = Unique<HBITMAP, GdiTraits<HBITMAP>>;
using Brush = Unique<HBRUSH, GdiTraits<HBRUSH>>;
using Pen = Unique<HPEN, GdiTraits<HPEN>>;
using Region = Unique<HRGN, GdiTraits<HRGN>>;
using MemoryDc = Unique<HDC, DcTraits>;
using Menu = Unique<HMENU, MenuTraits>;
using Icon = Unique<HICON, IconTraits>;

// GetDC/ReleaseDC pair.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint/EndPaint pair.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &ps_); }
    ~PaintDc() { ::EndPaint(hwnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const { return dc_; }
    const RECT& dirty() const { return ps_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// SelectObject that puts the previous object back.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
    ~Selected() { ::SelectObject(dc_, old_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Paints into an off-screen bitmap and copies it to the target in one step.
class BufferedPaint {
public:
    BufferedPaint(HDC target, int width, int height);
    ~BufferedPaint();
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;
    HDC dc() const { return memory_.get(); }

private:
    HDC target_;
    int width_;
    int height_;
    MemoryDc memory_;
    Bitmap bitmap_;
    HGDIOBJ old_ = nullptr;
};

// Draws `width` columns of `bitmap` from `sourceX` at (x, y), leaving out the colour
// of its bottom-left pixel (the transparent colour of our glyphs and pictures).
void DrawTransparent(HDC dc, HBITMAP bitmap, int x, int y, int sourceX, int width);

}  // namespace win
