#include "documents/editing_commands.h"

#include <richedit.h>

#include "app/batadd.h"
#include "documents/batchild.h"

namespace documents {

namespace {

// Every editing command acts on the active document's editor, or does nothing.
template <typename Action>
void WithActiveEditor(app::TMDIForm& form, Action&& action) {
    if (TMdiChild* doc = form.ActiveDocument()) action(doc->Editor());
}

}  // namespace

void UndoEdit(app::TMDIForm& form) {
    if (TMdiChild* doc = form.ActiveDocument()) {
        if (!::IsWindow(doc->Editor().hwnd())) return;
        doc->ForgetCaretPlace();  // undo may restore text anywhere
        ::SendMessageA(doc->Editor().hwnd(), EM_UNDO, 0, 0);
    }
}

void CutSelection(app::TMDIForm& form) {
    WithActiveEditor(form, [](RichEditor& editor) { ::SendMessageA(editor.hwnd(), WM_CUT, 0, 0); });
}

void CopySelection(app::TMDIForm& form) {
    WithActiveEditor(form, [](RichEditor& editor) { ::SendMessageA(editor.hwnd(), WM_COPY, 0, 0); });
}

void PasteClipboard(app::TMDIForm& form) {
    WithActiveEditor(form, [](RichEditor& editor) { ::SendMessageA(editor.hwnd(), WM_PASTE, 0, 0); });
}

void ClearText(app::TMDIForm& form) {
    // A fresh empty control: emptying a long text in place is slow under Wine.
    WithActiveEditor(form, [](RichEditor& editor) { editor.Clear(); });
}

void SelectAllText(app::TMDIForm& form) {
    WithActiveEditor(form, [](RichEditor& editor) { editor.SetSelection(0, editor.TextLength()); });
}

}  // namespace documents
