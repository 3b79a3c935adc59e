#include "mervik/fit_check.h"

namespace mervik {
using namespace lexicon;  // the compiler is built on the shared lexicon library

namespace {

bool has_dialog_comment(std::string_view source) {
    for (std::size_t at = source.find(';'); at != std::string_view::npos; at = source.find(';', at + 1)) {
        std::size_t begin = at;
        while (begin > 0 && (source[begin - 1] == ' ' || source[begin - 1] == '\t')) --begin;
        if (begin > 0 && source[begin - 1] != '\n' && source[begin - 1] != '\r') continue;
        std::size_t end = source.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = source.size();
        if (source.substr(at, end - at).find(" DIALOG ") != std::string_view::npos) return true;
        at = end == source.size() ? end - 1 : end;
    }
    return false;
}

}  // namespace

FitPlaces collect_fit_places(std::string_view source) {
    FitPlaces places;
    // Most word lists hold no dialog place at all: a look at their few comment lines
    // spares the pass that counts every line.
    if (!has_dialog_comment(source)) return places;
    std::vector<DialogPlace> pending;
    std::uint32_t line = 0;
    for (std::size_t at = 0; at < source.size();) {
        std::size_t end = source.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = source.size();
        ++line;
        std::string_view text = source.substr(at, end - at);
        at = end < source.size() && source[end] == '\r' && end + 1 < source.size() && source[end + 1] == '\n' ? end + 2
                                                                                                              : end + 1;
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
        if (text.empty()) continue;
        if (text.front() == ';') {
            if (auto place = parse_dialog_place(text)) pending.push_back(std::move(*place));
            continue;
        }
        if (!pending.empty()) places[line] = std::move(pending);
        pending.clear();
    }
    return places;
}

void check_fit(const FitPlaces& places, const WordList& list, TextMeasurer* measurer, Diagnostics& diagnostics) {
    std::size_t measurable = 0;
    for (const Entry& e : list.entries()) {
        const auto it = places.find(e.line);
        if (it == places.end()) continue;
        const std::string_view translation = list.translation(e);
        for (const DialogPlace& place : it->second) {
            ++measurable;
            if (measurer == nullptr) continue;
            const auto fit = measurer->measure(place, translation);
            if (!fit) continue;
            const int lacks_cx = fit->text_cx - fit->room_cx;
            const int lacks_cy = fit->text_cy - fit->room_cy;
            if (fit->wraps ? lacks_cy <= 0 : lacks_cx <= 0) continue;
            const std::string need = fit->wraps ? cat("折行后高 ", fit->text_cy, " 像素，控件只有 ", fit->room_cy,
                                                      " 像素，缺 ", lacks_cy, " 像素")
                                                : cat("宽 ", fit->text_cx, " 像素，控件只有 ", fit->room_cx,
                                                      " 像素，缺 ", lacks_cx, " 像素");
            diagnostics.add(
                Code::TextDoesNotFit, e.line,
                cat("译文“", shown(translation), "”在 ", place.where, "（", place.class_name, "，", place.cx, "x",
                    place.cy, " 对话框单位，字体 ", place.font_face.empty() ? "系统字体" : place.font_face, " ",
                    place.font_points, " 磅）中放不下：", need));
        }
    }
    if (measurer == nullptr && measurable > 0) {
        diagnostics.add(Code::FitNotMeasured, 0,
                        cat("这个系统上没有 GDI，对话框文字的译文是否放得下没有检查（", measurable,
                            " 处）；请用 Windows 版的 Mervik.exe 编译"));
    }
}

}  // namespace mervik
