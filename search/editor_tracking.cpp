// The editor's selection-change and key-press events of a document window.
#include "app/batadd.h"
#include "documents/batchild.h"

namespace documents {

void TMdiChild::EditorSelectionChange() { owner_.OnEditorSelectionChange(editor_->Selection().length != 0); }

void TMdiChild::EditorKeyPress() { owner_.OnEditorKeyPress(editor_->IsModified()); }

}  // namespace documents
