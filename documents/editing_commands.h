#pragma once
// Undo, Cut, Copy, Paste, Clear and Select All on the active document's editor.
namespace documents {

class Frame;

void UndoEdit(Frame& frame);
void CutSelection(Frame& frame);
void CopySelection(Frame& frame);
void PasteClipboard(Frame& frame);
void ClearText(Frame& frame);
void SelectAllText(Frame& frame);

}  // namespace documents
