// The fit check's measurer on Windows: the dialog's font at 96 DPI through GDI, the
// control's size from dialog units by the font's base units, as the dialog manager
// converts them.
#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "lexicon/program/fit_rule.h"
#include "mervik/fit_check.h"

namespace mervik {

namespace {

constexpr int dpi = 96;

class MemoryDc {
public:
    MemoryDc() : dc_(::CreateCompatibleDC(nullptr)) {}
    ~MemoryDc() {
        if (dc_ != nullptr) ::DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

class OwnedFont {
public:
    explicit OwnedFont(HFONT font) : font_(font) {}
    ~OwnedFont() {
        if (font_ != nullptr) ::DeleteObject(font_);
    }
    OwnedFont(const OwnedFont&) = delete;
    OwnedFont& operator=(const OwnedFont&) = delete;
    HFONT get() const { return font_; }

private:
    HFONT font_;
};

class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    ~Selected() { ::SelectObject(dc_, old_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

std::wstring wide(std::string_view gbk) {
    if (gbk.empty()) return {};
    const int n = ::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
    return out;
}

struct DialogFont {
    std::unique_ptr<OwnedFont> font;
    int base_x = 0, base_y = 0;
};

class GdiMeasurer final : public TextMeasurer {
public:
    std::optional<Fit> measure(const lexicon::DialogPlace& place, std::string_view gbk_text) override {
        if (dc_.get() == nullptr) return std::nullopt;
        const lexicon::FitRule rule = lexicon::fit_rule(place.class_name, place.style);
        if (!rule.measured) return std::nullopt;
        bool wraps = rule.wraps;
        const int margin = rule.margin;
        const UINT prefix = rule.no_prefix ? DT_NOPREFIX : 0;
        const DialogFont& font = font_for(place);
        if (font.base_x == 0) return std::nullopt;
        const Selected selected(dc_.get(),
                                font.font ? static_cast<HGDIOBJ>(font.font->get()) : ::GetStockObject(SYSTEM_FONT));
        Fit fit;
        fit.room_cx = ::MulDiv(place.cx, font.base_x, 4) - margin;
        fit.room_cy = ::MulDiv(place.cy, font.base_y, 8);
        const std::wstring text = wide(gbk_text);
        wraps = wraps || text.find(L'\n') != std::wstring::npos;
        fit.wraps = wraps;
        RECT r{0, 0, wraps ? fit.room_cx : 0, 0};
        ::DrawTextW(dc_.get(), text.c_str(), static_cast<int>(text.size()), &r,
                    DT_CALCRECT | DT_EXPANDTABS | prefix | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        fit.text_cx = r.right - r.left;
        fit.text_cy = r.bottom - r.top;
        return fit;
    }

private:
    const DialogFont& font_for(const lexicon::DialogPlace& place) {
        const auto key = std::make_tuple(place.font_face, place.font_points, place.font_weight, place.italic);
        const auto it = fonts_.find(key);
        if (it != fonts_.end()) return it->second;
        DialogFont& f = fonts_[key];
        if (!place.font_face.empty()) {
            const std::wstring face = wide(place.font_face);
            f.font = std::make_unique<OwnedFont>(::CreateFontW(
                -::MulDiv(place.font_points, dpi, 72), 0, 0, 0, place.font_weight == 0 ? FW_NORMAL : place.font_weight,
                place.italic ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
            if (f.font->get() == nullptr) return f;
        }
        const Selected selected(dc_.get(),
                                f.font ? static_cast<HGDIOBJ>(f.font->get()) : ::GetStockObject(SYSTEM_FONT));
        // The dialog manager's base units: the average width of the Latin letters, and
        // the font's height.
        static const wchar_t letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        SIZE size{};
        TEXTMETRICW metrics{};
        if (::GetTextExtentPoint32W(dc_.get(), letters, 52, &size) && ::GetTextMetricsW(dc_.get(), &metrics)) {
            f.base_x = (size.cx / 26 + 1) / 2;
            f.base_y = metrics.tmHeight;
        }
        return f;
    }

    MemoryDc dc_;
    std::map<std::tuple<std::string, int, int, bool>, DialogFont> fonts_;
};

}  // namespace

std::unique_ptr<TextMeasurer> make_gdi_measurer() { return std::make_unique<GdiMeasurer>(); }

}  // namespace mervik
