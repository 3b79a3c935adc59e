// The editor's selection-change and key-press events of a document window: cut and
// copy follow the selection, the status bar shows the caret's line and column, and
// Undo is disabled by a character typed into an already modified text.
#include <richedit.h>

#include <algorithm>

#include "app/batadd.h"
#include "documents/batchild.h"
#include "search/editor_range.h"

namespace documents {

namespace {
CHARRANGE ControlSelection(HWND editor) {
    CHARRANGE range{};
    ::SendMessageA(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}
}  // namespace

void TMdiChild::EditorTextChanged() {
    // Edits happen at the selection: nothing before the earlier of the remembered
    // and the current selection start has changed.
    HWND editor = editor_->hwnd();
    if (editor != trackedEditor_) return;  // a fresh control: recounted on the next event
    int now = ControlSelection(editor).cpMin;
    tracker_.TextChanged(std::min(tracker_.LastSelStart(), now));
}

void TMdiChild::ForgetCaretPlace() { tracker_.TextChanged(0); }

void TMdiChild::EditorSelectionChange() {
    HWND editor = editor_->hwnd();
    CHARRANGE range = ControlSelection(editor);
    owner_.OnEditorSelectionChange(range.cpMax != range.cpMin);

    if (editor != trackedEditor_) {  // loads and Clear put a fresh control in place
        tracker_.TextChanged(0);
        trackedEditor_ = editor;
    }
    int length = ::GetWindowTextLengthA(editor);  // control positions
    auto place = tracker_.Update(std::min<int>(range.cpMin, length), length,
                                 [editor](int from, int to) { return search::EditorCharacters(editor, from, to); });
    LastSelStart = tracker_.LastSelStart();
    CaretLine = place.line;
    CaretColumn = place.column;
    owner_.SetCaretPositionText(search::CaretTracker::Display(place));
}

void TMdiChild::EditorKeyPress() { owner_.OnEditorKeyPress(editor_->IsModified()); }

}  // namespace documents
