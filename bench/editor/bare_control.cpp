#include "bench/editor/bare_control.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

namespace bench {

namespace {

const char* const kFrameClass = "VelmoraBareControlFrame";

struct WideSource {
    const std::wstring* text;
    std::size_t pos;
};

// Whole characters only, never between CR and LF: the control converts each chunk
// on its own.
DWORD CALLBACK ReadWide(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
    auto* source = reinterpret_cast<WideSource*>(cookie);
    std::size_t left = source->text->size() - source->pos;
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size) / 2, left);
    if (n < left) {
        while (n > 0 && ((*source->text)[source->pos + n - 1] == L'\r' ||
                         IS_HIGH_SURROGATE((*source->text)[source->pos + n - 1])))
            --n;
    }
    std::memcpy(buffer, source->text->data() + source->pos, n * 2);
    source->pos += n;
    *read = static_cast<LONG>(n * 2);
    return 0;
}

struct ByteSource {
    const std::string* text;
    std::size_t pos;
};

// Chunks end at line ends, so no double-byte character or CR LF pair is split.
DWORD CALLBACK ReadBytes(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
    auto* source = reinterpret_cast<ByteSource*>(cookie);
    std::size_t left = source->text->size() - source->pos;
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), left);
    if (n < left) {
        std::size_t cut = n;
        while (cut > 0 && (*source->text)[source->pos + cut - 1] != '\n') --cut;
        if (cut > 0) n = cut;
    }
    std::memcpy(buffer, source->text->data() + source->pos, n);
    source->pos += n;
    *read = static_cast<LONG>(n);
    return 0;
}

}  // namespace

const char* FillName(Fill fill) {
    switch (fill) {
    case Fill::Utf16Stream:
        return "stream-in UTF-16";
    case Fill::GbkStream:
        return "stream-in GBK";
    case Fill::SetText:
        return "window text";
    case Fill::GbkStreamBarFirst:
        return "stream-in GBK, bar first";
    }
    return "?";
}

void PumpThread() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

BareControl::BareControl(int width, int height) {
    static HMODULE riched = ::LoadLibraryA("riched32.dll");
    (void)riched;
    static bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = kFrameClass;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        return ::RegisterClassA(&wc) != 0;
    }();
    (void)registered;
    frame_ = ::CreateWindowExA(0, kFrameClass, "floor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width, height, nullptr,
                               nullptr, ::GetModuleHandleA(nullptr), nullptr);
    RECT rc;
    ::GetClientRect(frame_, &rc);
    control_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, "RICHEDIT", "",
                                 WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_AUTOHSCROLL |
                                     ES_AUTOVSCROLL | ES_NOHIDESEL | ES_CENTER,
                                 0, 0, rc.right, rc.bottom, frame_, reinterpret_cast<HMENU>(1),
                                 ::GetModuleHandleA(nullptr), nullptr);
    font_ = ::CreateFontA(-17, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    ::SendMessageA(control_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    ::SendMessageA(control_, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
    ::UpdateWindow(frame_);
    PumpThread();
}

BareControl::~BareControl() {
    ::DestroyWindow(frame_);
    ::DeleteObject(font_);
    PumpThread();
}

void BareControl::Load(const std::string& gbk, Fill fill) {
    switch (fill) {
    case Fill::Utf16Stream: {
        int units = ::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(units), L'\0');
        ::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(), units);
        WideSource source{&wide, 0};
        EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadWide};
        ::SendMessageA(control_, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
        break;
    }
    case Fill::GbkStreamBarFirst:
        ::ShowScrollBar(control_, SB_VERT, TRUE);
        [[fallthrough]];
    case Fill::GbkStream: {
        ByteSource source{&gbk, 0};
        EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadBytes};
        ::SendMessageA(control_, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
        break;
    }
    case Fill::SetText:
        ::SetWindowTextA(control_, gbk.c_str());
        break;
    }
    ::UpdateWindow(control_);
    PumpThread();
}

void BareControl::Shrink(int pixels) {
    RECT rc;
    ::GetClientRect(frame_, &rc);
    ::MoveWindow(control_, 0, 0, rc.right, std::max(rc.bottom - pixels, 1L), TRUE);
    ::UpdateWindow(control_);
    PumpThread();
}

int BareControl::Units() const { return static_cast<int>(::GetWindowTextLengthA(control_)); }

}  // namespace bench
