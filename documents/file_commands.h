#pragma once
// New, Open, Save and Save As on the main window's documents.
namespace app {
class TMDIForm;
}

namespace documents {

void NewDocument(app::TMDIForm& form);
void OpenDocument(app::TMDIForm& form);
void SaveDocument(app::TMDIForm& form);
void SaveDocumentAs(app::TMDIForm& form);

}  // namespace documents
