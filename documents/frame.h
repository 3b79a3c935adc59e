#pragma once
// Frame: what the document windows, the search and the generation run ask of the
// main window. The main window implements it; a test can stand in for it, so a
// document window can live without the rest of the program.
#include <windows.h>

#include <string>
#include <vector>

namespace documents {

class TMdiChild;
class DocumentWindows;
class RecoveryStore;
struct FileDialogMemory;

class Frame {
public:
    // The main window: owner of the dialogs, target of the focus after a command.
    virtual HWND FrameWindow() const = 0;
    // The MDI client that holds the document windows.
    virtual HWND DocumentArea() const = 0;
    // The folder of the program (the compiler and its message file live there).
    virtual const std::string& ProgramDir() const = 0;
    // The active document window, or null.
    virtual TMdiChild* ActiveDocument() const = 0;
    // The document windows, the most recently activated first.
    virtual std::vector<TMdiChild*> Documents() const = 0;
    // The objects of the open document windows; each leaves it when its window is gone.
    virtual DocumentWindows& OpenWindows() = 0;
    // What the open and save dialogs remember from their last use.
    virtual FileDialogMemory& DialogMemory() = 0;

    // Notifications up.
    // One of the program's own windows took the activation (a document window, the
    // properties dialog); the command states are refreshed when it is another one
    // than before.
    virtual void FormActivated(HWND form) = 0;
    // A document window is going: refresh once it has left the document area.
    virtual void RefreshSoon() = 0;
    // The active editor's selection changed (empty or not).
    virtual void OnEditorSelectionChange(bool selectionNotEmpty) = 0;
    // The active editor's text changed (typing, deleting, a command, undo itself):
    // whether the editor can take a change back now.
    virtual void OnEditorUndoChanged(bool canUndo) = 0;
    // The caret's "line:column" for the status bar.
    virtual void SetCaretPositionText(const std::string& text) = 0;
    // A generation run starts (true) or has ended (false).
    virtual void OnGenerationRunning(bool running) = 0;
    // Where the recovery copies of documents with unsaved changes go; null when the
    // program keeps none.
    virtual RecoveryStore* Recovery() { return nullptr; }
    // Asked before a document window's own close query: false keeps the window (the
    // frame may close it later itself, once a generation run for it has stopped).
    virtual bool DocumentMayClose(HWND document) {
        (void)document;
        return true;
    }

protected:
    ~Frame() = default;
};

}  // namespace documents
