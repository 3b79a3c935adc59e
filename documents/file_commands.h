#pragma once
// New, Open, Save and Save As on the frame's documents, with the frame's open and
// save dialogs (each remembers what it was last given).
#include <windows.h>

#include <string>

#include "documents/document_rules.h"

namespace documents {

class Frame;
class TMdiChild;

// What the two dialogs of one frame remember from their last use: the open dialog
// its file type and file name, the save dialog its file name.
struct FileDialogMemory {
    DWORD openFilterIndex = static_cast<DWORD>(FileType::Text);
    std::string openName;
    std::string saveName;
};

void NewDocument(Frame& frame);
void OpenDocument(Frame& frame);
void SaveDocument(Frame& frame);
void SaveDocumentAs(Frame& frame);

// Save As for one document: runs the save dialog, writes the text to exactly the
// path it returns, clears the modified flag and takes the path as the caption.
// False when the dialog was cancelled. File errors are thrown as win::CommandError.
bool SaveDocumentAs(Frame& frame, TMdiChild& document);

// The close query's save of a document that has no file yet: runs the save dialog
// and writes the text to the path it returns, leaving the window's caption and
// modified flag alone. False when the dialog was cancelled; file errors are thrown.
bool SaveDocumentCopy(Frame& frame, TMdiChild& document);

struct FoundCopy;
// Opens a recovery copy as a document window: its text and format, modified, under
// the caption and file it had. Load errors are thrown as win::CommandError.
void RestoreDocument(Frame& frame, const FoundCopy& copy);

}  // namespace documents
