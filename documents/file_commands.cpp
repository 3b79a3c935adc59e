#include "documents/file_commands.h"

#include <string>

#include "app/batadd.h"
#include "documents/batchild.h"

namespace documents {

void NewDocument(app::TMDIForm& form) {
    if (::GetActiveWindow() != form.hwnd()) ::SetFocus(form.hwnd());
    auto* doc = TMdiChild::Create(form);
    doc->SetCaption("NONAME" + std::to_string(form.Documents().size() - 1));
}

void OpenDocument(app::TMDIForm&) {}
void SaveDocument(app::TMDIForm&) {}
void SaveDocumentAs(app::TMDIForm&) {}

}  // namespace documents
