#include "lexicon/program/dialog_fit.h"

#include <algorithm>
#include <limits>

#include "lexicon/program/fit_rule.h"

namespace lexicon {

namespace {

// Widths in pixels of a dialog font whose average character is 6 pixels wide (four
// dialog units), from the space to the tilde; a sans-serif dialog font's proportions.
constexpr unsigned char ascii_widths[95] = {
    3,  3, 4, 7, 6, 10, 7, 2,  4, 4, 6, 7, 3, 4, 3, 4,  // space ! " # $ % & ' ( ) * + , - . /
    6,  6, 6, 6, 6, 6,  6, 6,  6, 6, 3, 3, 7, 7, 7, 5,  // 0-9 : ; < = > ?
    10, 7, 6, 7, 7, 6,  6, 7,  7, 3, 4, 6, 5, 8, 7, 8,  // @ A-O
    6,  8, 7, 6, 6, 7,  7, 10, 6, 6, 6, 4, 4, 4, 7, 6,  // P-Z [ \ ] ^ _
    3,  6, 6, 5, 6, 6,  3, 6,  6, 2, 3, 5, 2, 8, 6, 6,  // ` a-o
    6,  6, 4, 5, 4, 6,  5, 8,  5, 5, 5, 5, 3, 5, 7};    // p-z { | } ~
constexpr int average_pixels = 6;                       // one average character: four horizontal dialog units
constexpr int wide_pixels = 12;                         // a CJK character or full-width form
constexpr int line_units = 8;                           // one line of text: eight vertical dialog units
constexpr int dialog_margin = 7;                        // the space a dialog leaves at its right edge

int char_pixels(char16_t c) {
    if (c >= 0x20 && c < 0x7F) return ascii_widths[c - 0x20];
    if (c == '\t') return 4 * average_pixels;
    if (c < 0x1100) return 7;                               // Latin with accents, Greek, Cyrillic
    if (c >= 0xFF61 && c <= 0xFFDC) return average_pixels;  // half-width forms
    return wide_pixels;
}

int units(int pixels) { return (pixels * 4 + average_pixels - 1) / average_pixels; }

// The pixels of each line of a text (lines end at LF; CR takes no room).
std::vector<int> line_pixels(std::u16string_view text, bool prefix) {
    std::vector<int> lines(1, 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == '\n') {
            lines.push_back(0);
        } else if (c == '\r') {
        } else if (prefix && c == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') lines.back() += char_pixels(text[++i]);
        } else {
            lines.back() += char_pixels(c);
        }
    }
    return lines;
}

// The rows a text takes when it wraps at `room` pixels (any character may end a row: a
// Chinese text breaks between any two characters).
int wrapped_rows(std::u16string_view text, bool prefix, int room) {
    int rows = 1, used = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == '\n') {
            ++rows;
            used = 0;
            continue;
        }
        if (c == '\r') continue;
        if (prefix && c == '&') {
            if (i + 1 >= text.size() || text[i + 1] != '&') continue;
            c = text[++i];
        }
        const int w = char_pixels(c);
        if (used > 0 && used + w > room) {
            ++rows;
            used = 0;
        }
        used += w;
    }
    return rows;
}

std::string ascii(const std::u16string& s) {
    std::string out;
    for (const char16_t c : s) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

// The width in dialog units the control needs for its text; 0 when it fits as it is,
// -1 when no width makes it fit (more lines than the control has rows).
int needed_width(const pe::Control& c, const FitRule& rule) {
    const bool prefix = !rule.no_prefix;
    const int margin = rule.margin;
    const int rows = std::max(1, c.cy / line_units);
    const auto room_pixels = [&](int cx) { return cx * average_pixels / 4 - margin; };
    if (!rule.wraps || rows == 1) {
        const std::vector<int> lines = line_pixels(c.text, prefix);
        if (static_cast<int>(lines.size()) > rows) return -1;
        const int widest = *std::max_element(lines.begin(), lines.end());
        const int need = units(widest + margin);
        return need <= c.cx ? 0 : need;
    }
    if (wrapped_rows(c.text, prefix, room_pixels(c.cx)) <= rows) return 0;
    const std::vector<int> lines = line_pixels(c.text, prefix);
    if (static_cast<int>(lines.size()) > rows) return -1;
    const int widest = *std::max_element(lines.begin(), lines.end());
    for (int cx = c.cx + 1; cx <= units(widest + margin); ++cx) {
        if (wrapped_rows(c.text, prefix, room_pixels(cx)) <= rows) return cx;
    }
    return units(widest + margin);
}

bool rows_overlap(const pe::Control& a, const pe::Control& b) { return a.y < b.y + b.cy && b.y < a.y + a.cy; }

}  // namespace

int text_width(std::u16string_view text, bool prefix) {
    const std::vector<int> lines = line_pixels(text, prefix);
    return units(*std::max_element(lines.begin(), lines.end()));
}

FitResult fit_dialog(pe::Dialog& dialog, const std::vector<std::size_t>& changed, bool widen) {
    FitResult result;
    constexpr int most = std::numeric_limits<std::int16_t>::max();
    for (const std::size_t index : changed) {
        pe::Control& c = dialog.controls[index];
        if (c.text_is_ordinal) continue;
        const FitRule rule = fit_rule(ascii(c.class_name), c.style);
        if (!rule.measured) continue;
        const int need = needed_width(c, rule);
        if (need == 0) continue;
        if (need < 0 || !widen) {
            result.not_fitting.push_back(index);
            continue;
        }
        const int old_right = c.x + c.cx;
        int limit = std::max(old_right, dialog.cx - dialog_margin);
        for (std::size_t k = 0; k < dialog.controls.size(); ++k) {
            const pe::Control& d = dialog.controls[k];
            if (k != index && d.x >= old_right && rows_overlap(c, d)) limit = std::min<int>(limit, d.x);
        }
        const int extra = need - c.cx;
        const int missing = extra - (limit - old_right);
        if (c.x + need > most || (missing > 0 && dialog.cx + missing > most)) {
            result.not_fitting.push_back(index);
            continue;
        }
        if (missing > 0) {
            dialog.cx = static_cast<std::int16_t>(dialog.cx + missing);
            result.dialog_growth += missing;
            for (std::size_t k = 0; k < dialog.controls.size(); ++k) {
                pe::Control& d = dialog.controls[k];
                if (k != index && d.x >= old_right) d.x = static_cast<std::int16_t>(d.x + missing);
            }
        }
        c.cx = static_cast<std::int16_t>(need);
        result.widened.push_back(index);
    }
    return result;
}

}  // namespace lexicon
