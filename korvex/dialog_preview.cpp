#include "korvex/dialog_preview.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "lexicon/base/diagnostics.h"
#include "lexicon/base/unicode.h"
#include "lexicon/program/fit_rule.h"
#include "lexicon/program/pe_resources.h"

namespace korvex {

namespace {

constexpr int kMargin = 10;
constexpr int kStatusHeight = 40;
constexpr UINT_PTR kOutlineSubclass = 0x4B56;  // "KV"

std::string to_gbk(const std::u16string& text) {
    std::string out;
    for (const char16_t c : text) {
        if (!lexicon::unicode::append_gbk(c, out)) return {};
    }
    return out;
}

std::wstring from_gbk(const std::string& gbk) {
    if (gbk.empty()) return {};
    const int n = ::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
    return out;
}

std::wstring translation_of(const std::map<std::string, std::string>& words, const std::u16string& text) {
    const auto it = words.find(to_gbk(text));
    return it == words.end() ? std::wstring() : from_gbk(it->second);
}

// The dialog does nothing: no focus, no commands, no initialisation of its own.
INT_PTR CALLBACK InertProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// A red frame drawn over a control after it has painted itself.
LRESULT CALLBACK OutlineProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    const LRESULT result = ::DefSubclassProc(hwnd, msg, wParam, lParam);
    if (msg == WM_PAINT || msg == WM_ENABLE || msg == WM_SETTEXT) {
        HDC dc = ::GetWindowDC(hwnd);
        if (dc != nullptr) {
            RECT r;
            ::GetWindowRect(hwnd, &r);
            ::OffsetRect(&r, -r.left, -r.top);
            HBRUSH red = ::CreateSolidBrush(RGB(230, 0, 0));
            ::FrameRect(dc, &r, red);
            ::InflateRect(&r, -1, -1);
            ::FrameRect(dc, &r, red);
            ::DeleteObject(red);
            ::ReleaseDC(hwnd, dc);
        }
    }
    if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, OutlineProc, kOutlineSubclass);
    return result;
}

// Whether a control's text fits it, measured with the control's own font and size.
bool Fits(HWND control) {
    wchar_t name[32] = {};
    ::GetClassNameW(control, name, 32);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    // Class names of the controls measured are ASCII.
    std::string narrow;
    for (const wchar_t* c = name; *c != 0; ++c) narrow += *c < 0x80 ? static_cast<char>(*c) : '?';
    const lexicon::FitRule rule = lexicon::fit_rule(narrow, static_cast<std::uint32_t>(style));
    if (!rule.measured) return true;
    bool wraps = rule.wraps;
    const int margin = rule.margin;
    const UINT prefix = rule.no_prefix ? DT_NOPREFIX : 0;
    const int length = ::GetWindowTextLengthW(control);
    if (length == 0) return true;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(control, text.data(), length + 1)));
    RECT client;
    ::GetClientRect(control, &client);
    HDC dc = ::GetDC(control);
    if (dc == nullptr) return true;
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    wraps = wraps || text.find(L'\n') != std::wstring::npos;
    const int room = client.right - margin;
    RECT r{0, 0, wraps ? room : 0, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                DT_CALCRECT | DT_EXPANDTABS | prefix | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return wraps ? r.bottom <= client.bottom : r.right <= room;
}

}  // namespace

std::vector<PreviewDialog> PreviewDialogs(std::string_view program, std::string_view file_name,
                                          const std::map<std::string, std::string>& words) {
    std::vector<PreviewDialog> out;
    std::string error;
    const auto resources = lexicon::pe::read_resources(program, error);
    if (!resources) return out;
    // Each dialog once, in its source language: US English, neutral, English, else the first.
    static const std::uint16_t preferred[] = {0x0409, 0x0000, 0x0009, 0x0400, 0x0800};
    std::vector<const lexicon::pe::Resource*> chosen;
    std::vector<int> rank;
    for (const lexicon::pe::Resource& r : *resources) {
        if (r.type != lexicon::pe::type_dialog) continue;
        const int here = static_cast<int>(std::find(std::begin(preferred), std::end(preferred), r.language) -
                                          std::begin(preferred));
        const auto same = std::find_if(chosen.begin(), chosen.end(), [&](const auto* c) { return c->id == r.id; });
        if (same == chosen.end()) {
            chosen.push_back(&r);
            rank.push_back(here);
        } else if (here < rank[static_cast<std::size_t>(same - chosen.begin())]) {
            *same = &r;
            rank[static_cast<std::size_t>(same - chosen.begin())] = here;
        }
    }
    for (const lexicon::pe::Resource* r : chosen) {
        lexicon::pe::Dialog dialog;
        if (!lexicon::pe::parse_dialog(r->bytes, dialog, error)) continue;
        PreviewDialog p;
        p.name = lexicon::cat(file_name, " DIALOG ", lexicon::pe::id_text(r->id));
        p.template_bytes = std::string(r->bytes);
        p.caption = translation_of(words, dialog.caption);
        for (const lexicon::pe::Control& c : dialog.controls) {
            p.controls.push_back(c.text_is_ordinal ? std::wstring() : translation_of(words, c.text));
        }
        out.push_back(std::move(p));
    }
    return out;
}

TDialogPreview::TDialogPreview(std::vector<PreviewDialog> dialogs) : dialogs_(std::move(dialogs)) {}

TDialogPreview::~TDialogPreview() {
    if (font_ != nullptr) ::DeleteObject(font_);
}

void TDialogPreview::Create(HWND owner) {
    RegisterClassOnce(kClassName, CS_HREDRAW | CS_VREDRAW, reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1),
                      ::LoadCursor(nullptr, IDC_ARROW));
    win::Window::Create(0, kClassName, "对话框预览", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                        CW_USEDEFAULT, 640, 480, owner, nullptr);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font_ = ::CreateFontIndirectW(&metrics.lfMessageFont);
    }
    if (!dialogs_.empty()) Show(0, true);
}

void TDialogPreview::Show(std::size_t index, bool translated) {
    if (dialog_ != nullptr) {
        ::DestroyWindow(dialog_);
        dialog_ = nullptr;
    }
    overflowing_.clear();
    if (index >= dialogs_.size()) return;
    index_ = index;
    translated_ = translated;
    const PreviewDialog& p = dialogs_[index];
    // A child of the preview instead of a pop-up, created even where one of its control
    // classes is missing.
    std::string bytes = p.template_bytes;
    const bool extended = bytes.size() >= 4 && static_cast<unsigned char>(bytes[2]) == 0xFF &&
                          static_cast<unsigned char>(bytes[3]) == 0xFF;
    const std::size_t style_at = extended ? 12 : 0;
    if (bytes.size() < style_at + 4) return;
    DWORD style = 0;
    std::memcpy(&style, bytes.data() + style_at, 4);
    style &= ~static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_SYSMENU | WS_THICKFRAME | DS_CENTER | DS_ABSALIGN);
    style |= WS_CHILD | DS_NOFAILCREATE;
    std::memcpy(bytes.data() + style_at, &style, 4);
    dialog_ = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr),
                                           reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), hwnd(), InertProc, 0);
    if (dialog_ == nullptr) {
        ::InvalidateRect(hwnd(), nullptr, TRUE);
        return;
    }
    if (translated) {
        if (!p.caption.empty()) ::SetWindowTextW(dialog_, p.caption.c_str());
        std::size_t i = 0;
        for (HWND c = ::GetWindow(dialog_, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT), ++i) {
            if (i < p.controls.size() && !p.controls[i].empty()) ::SetWindowTextW(c, p.controls[i].c_str());
        }
    }
    // Inert: nothing in it takes the mouse or the keyboard.
    ::EnableWindow(dialog_, FALSE);
    RECT r;
    ::GetWindowRect(dialog_, &r);
    ::SetWindowPos(dialog_, nullptr, kMargin, kMargin, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT frame{0, 0, std::max<LONG>(r.right - r.left + 2 * kMargin, 420),
               r.bottom - r.top + 2 * kMargin + kStatusHeight};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongW(hwnd(), GWL_STYLE)), FALSE, 0);
    ::SetWindowPos(hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CheckFit();
    ::ShowWindow(dialog_, SW_SHOWNA);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void TDialogPreview::CheckFit() {
    for (HWND c = ::GetWindow(dialog_, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
        if (Fits(c)) continue;
        overflowing_.push_back(c);
        ::SetWindowSubclass(c, OutlineProc, kOutlineSubclass, 0);
    }
}

void TDialogPreview::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd(), &ps);
    RECT client;
    ::GetClientRect(hwnd(), &client);
    RECT status{kMargin, client.bottom - kStatusHeight + 4, client.right - kMargin, client.bottom - 2};
    std::wstring text;
    if (dialogs_.empty()) {
        text = L"这个程序没有对话框。";
    } else {
        const PreviewDialog& p = dialogs_[index_];
        text = std::to_wstring(index_ + 1) + L"/" + std::to_wstring(dialogs_.size()) + L"  " + from_gbk(p.name) +
               (translated_ ? L"  译文" : L"  原文") +
               (dialog_ == nullptr ? L"  （无法按模板建立这个对话框）"
                                   : L"  " + std::to_wstring(overflowing_.size()) + L" 处放不下（红框）") +
               L"\n空格键：原文/译文    Page Down/Page Up：下一个/上一个对话框";
    }
    HGDIOBJ old = ::SelectObject(dc,
                                 font_ != nullptr ? static_cast<HGDIOBJ>(font_) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOW));
    ::DrawTextW(dc, text.c_str(), -1, &status, DT_LEFT | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::EndPaint(hwnd(), &ps);
}

LRESULT TDialogPreview::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_SPACE:
            Show(index_, !translated_);
            return 0;
        case VK_NEXT:
        case VK_RIGHT:
        case VK_DOWN:
            if (index_ + 1 < dialogs_.size()) Show(index_ + 1, translated_);
            return 0;
        case VK_PRIOR:
        case VK_LEFT:
        case VK_UP:
            if (index_ > 0) Show(index_ - 1, translated_);
            return 0;
        case VK_ESCAPE:
            ::DestroyWindow(hwnd());
            return 0;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return win::Window::HandleMessage(msg, wParam, lParam);
}

}  // namespace korvex
