#pragma once
// The fit check: a dialog text's translation measured with its dialog's font against its
// control. The places come from the comment lines the extractor writes before an entry.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "lexicon/base/diagnostics.h"
#include "lexicon/program/program_extract.h"
#include "lexicon/wordlist/word_list.h"

namespace mervik {

// A text measured in a control, in pixels at 96 DPI.
struct Fit {
    int text_cx = 0, text_cy = 0;  // what the text needs (for a wrapping text: at the room's width)
    int room_cx = 0, room_cy = 0;  // what the control leaves for it
    bool wraps = false;            // a multi-line control: the height is what counts
};

// Measures as the system draws; one implementation per system that has fonts (GDI).
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    // Nothing for a control whose text is not drawn in a known way (an edit's initial
    // text, a list, a class of the program's own).
    virtual std::optional<Fit> measure(const lexicon::DialogPlace& place, std::string_view gbk_text) = 0;
};

// The dialog places before each entry, by the entry's line.
using FitPlaces = std::map<std::uint32_t, std::vector<lexicon::DialogPlace>>;
FitPlaces collect_fit_places(std::string_view source);

// Warns (W242) for each translation that does not fit; without a measurer, says once
// (W243) that the fit was not measured, when there is anything to measure.
void check_fit(const FitPlaces& places, const lexicon::WordList& list, TextMeasurer* measurer,
               lexicon::Diagnostics& diagnostics);

#ifdef _WIN32
std::unique_ptr<TextMeasurer> make_gdi_measurer();
#endif

}  // namespace mervik
