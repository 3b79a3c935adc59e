#pragma once
// Undo, Cut, Copy, Paste, Clear and Select All on the active document's editor.
namespace app {
class TMDIForm;
}

namespace documents {

void UndoEdit(app::TMDIForm& form);
void CutSelection(app::TMDIForm& form);
void CopySelection(app::TMDIForm& form);
void PasteClipboard(app::TMDIForm& form);
void ClearText(app::TMDIForm& form);
void SelectAllText(app::TMDIForm& form);

}  // namespace documents
