#pragma once
// Whether a dialog's texts fit their controls, measured with one built-in width table in
// dialog units, so that every system decides alike; and the widening that makes room
// for a text that does not fit.
#include <cstdint>
#include <string>
#include <vector>

#include "lexicon/program/pe_resources.h"

namespace lexicon {

// The width of a one-line text in dialog units. With `prefix`, "&" marks an access key
// and takes no room ("&&" is one ampersand).
int text_width(std::u16string_view text, bool prefix);

struct FitResult {
    std::vector<std::size_t> widened;      // controls made wider (indexes into the dialog's controls)
    std::vector<std::size_t> not_fitting;  // controls whose text still does not fit
    int dialog_growth = 0;                 // dialog units the dialog grew by
};

// Fits the controls listed in `changed` (their texts are the new ones): a control whose
// text does not fit is widened into the free space on its right, up to the nearest
// control whose rows overlap its own or the dialog's right margin; when that is not
// enough the dialog widens by what is missing and every control wholly right of the
// control's old right edge moves by as much. With `widen` false only the misfits are
// listed.
FitResult fit_dialog(pe::Dialog& dialog, const std::vector<std::size_t>& changed, bool widen);

}  // namespace lexicon
