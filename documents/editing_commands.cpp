#include "documents/editing_commands.h"

#include <richedit.h>

#include "documents/batchild.h"
#include "documents/frame.h"

namespace documents {

namespace {

// Every editing command acts on the active document's editor, or does nothing.
template <typename Action>
void WithActiveEditor(Frame& frame, Action&& action) {
    if (TMdiChild* doc = frame.ActiveDocument()) action(doc->Editor());
}

}  // namespace

void UndoEdit(Frame& frame) {
    if (TMdiChild* doc = frame.ActiveDocument()) {
        if (!::IsWindow(doc->Editor().hwnd())) return;
        doc->ForgetCaretPlace();  // undo may restore text anywhere
        doc->Editor().Undo();
    }
}

void CutSelection(Frame& frame) {
    WithActiveEditor(frame, [](RichEditor& editor) { ::SendMessageA(editor.hwnd(), WM_CUT, 0, 0); });
}

void CopySelection(Frame& frame) {
    WithActiveEditor(frame, [](RichEditor& editor) { ::SendMessageA(editor.hwnd(), WM_COPY, 0, 0); });
}

void PasteClipboard(Frame& frame) {
    WithActiveEditor(frame, [](RichEditor& editor) { ::SendMessageA(editor.hwnd(), WM_PASTE, 0, 0); });
}

void ClearText(Frame& frame) {
    // A fresh empty control: emptying a long text in place is slow under Wine.
    WithActiveEditor(frame, [](RichEditor& editor) { editor.Clear(); });
}

void SelectAllText(Frame& frame) {
    WithActiveEditor(frame, [](RichEditor& editor) { editor.SetSelection(0, editor.TextLength()); });
}

}  // namespace documents
