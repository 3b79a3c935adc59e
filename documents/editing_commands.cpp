#include "documents/editing_commands.h"

#include "app/batadd.h"

namespace documents {

void UndoEdit(app::TMDIForm&) {}
void CutSelection(app::TMDIForm&) {}
void CopySelection(app::TMDIForm&) {}
void PasteClipboard(app::TMDIForm&) {}
void ClearText(app::TMDIForm&) {}
void SelectAllText(app::TMDIForm&) {}

}  // namespace documents
