#include "documents/file_commands.h"

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "app/batadd.h"
#include "documents/batchild.h"
#include "documents/document_rules.h"

namespace documents {

namespace {

const std::size_t kPathBuffer = 4096;

// What the two dialogs of one main window remember from their last use: the open
// dialog its file type and file name, the save dialog its file name.
struct DialogMemory {
    HWND owner = nullptr;
    DWORD openFilterIndex = static_cast<DWORD>(FileType::Text);
    std::string openName;
    std::string saveName;
};

DialogMemory& Memory(app::TMDIForm& form) {
    static DialogMemory memory;
    if (memory.owner != form.hwnd()) memory = DialogMemory{form.hwnd()};
    return memory;
}

void FocusMainWindow(app::TMDIForm& form) {
    if (::GetActiveWindow() != form.hwnd()) ::SetFocus(form.hwnd());
}

std::vector<char> FileNameBuffer(const std::string& initial) {
    std::vector<char> buffer(kPathBuffer, '\0');
    initial.copy(buffer.data(), std::min(initial.size(), buffer.size() - 1));
    return buffer;
}

// The open dialog: two file types, a plain edit box, no options (neither the file
// nor its folder has to exist), no default extension, no title, no initial folder.
bool RunOpenDialog(app::TMDIForm& form, std::string& path, FileType& type) {
    DialogMemory& memory = Memory(form);
    std::string filter = DialogFilter(kOpenFilter);
    std::vector<char> file = FileNameBuffer(memory.openName);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = form.hwnd();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = memory.openFilterIndex;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_EXPLORER;
    if (!::GetOpenFileNameA(&ofn)) return false;
    memory.openFilterIndex = ofn.nFilterIndex == static_cast<DWORD>(FileType::Rtf) ? ofn.nFilterIndex
                                                                                   : static_cast<DWORD>(FileType::Text);
    type = static_cast<FileType>(memory.openFilterIndex);
    path = file.data();
    return true;
}

// The save dialog: no filter, no default extension, no options (an existing file
// is replaced without a question); it offers the name of its last use.
bool RunSaveDialog(app::TMDIForm& form, std::string& path) {
    DialogMemory& memory = Memory(form);
    std::vector<char> file = FileNameBuffer(memory.saveName);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = form.hwnd();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_EXPLORER;
    if (!::GetSaveFileNameA(&ofn)) return false;
    path = file.data();
    memory.saveName = path;
    return true;
}

}  // namespace

void NewDocument(app::TMDIForm& form) {
    FocusMainWindow(form);
    TMdiChild* document = TMdiChild::Create(form);
    document->SetCaption(NonameCaption(form.Documents().size()));
}

void OpenDocument(app::TMDIForm& form) {
    FocusMainWindow(form);
    std::string chosen;
    FileType type = FileType::Text;
    if (!RunOpenDialog(form, chosen, type)) return;
    TMdiChild* document = TMdiChild::Create(form);
    RichEditor& editor = document->Editor();
    editor.SetMode(type == FileType::Text ? TextMode::Plain : TextMode::Rich);
    std::string path = PathToOpen(chosen, type);
    Memory(form).openName = path;
    document->SetCaption(path);
    // A file that cannot be read leaves the window open, empty and unmodified.
    RichEditor::LoadReport report = editor.LoadFromFile(path);
    editor.SetModified(false);
    if (report.notGbk) {
        std::string text = NotGbkWarning(path);
        ::MessageBoxA(nullptr, text.c_str(), kNotGbkCaption, MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
    }
}

void SaveDocument(app::TMDIForm& form) {
    TMdiChild* document = form.ActiveDocument();
    if (!document) return;
    std::string caption = document->Caption();
    if (NeedsSaveDialog(caption)) {
        SaveDocumentAs(form, *document);
        return;
    }
    document->Editor().SaveToFile(caption);
    document->Editor().SetModified(false);
}

void SaveDocumentAs(app::TMDIForm& form) {
    if (TMdiChild* document = form.ActiveDocument()) SaveDocumentAs(form, *document);
}

bool SaveDocumentAs(app::TMDIForm& form, TMdiChild& document) {
    std::string path;
    if (!RunSaveDialog(form, path)) return false;
    // Exactly the returned path, no extension added; the text mode stays.
    document.Editor().SaveToFile(path);
    document.Editor().SetModified(false);
    document.SetCaption(path);
    return true;
}

}  // namespace documents
