#pragma once
// New, Open, Save and Save As on the main window's documents, with the main
// window's open and save dialogs (each remembers what it was last given).
namespace app {
class TMDIForm;
}

namespace documents {

class TMdiChild;

void NewDocument(app::TMDIForm& form);
void OpenDocument(app::TMDIForm& form);
void SaveDocument(app::TMDIForm& form);
void SaveDocumentAs(app::TMDIForm& form);

// Save As for one document: runs the save dialog, writes the text to exactly the
// path it returns, clears the modified flag and takes the path as the caption.
// False when the dialog was cancelled. File errors are thrown as win::CommandError.
bool SaveDocumentAs(app::TMDIForm& form, TMdiChild& document);

}  // namespace documents
