#include "documents/file_commands.h"

#include <windows.h>
#include <commdlg.h>

#include <cstdint>
#include <string>
#include <vector>

#include "documents/batchild.h"
#include "documents/document_rules.h"
#include "documents/frame.h"
#include "documents/load_estimate.h"
#include "documents/recovery_store.h"
#include "win/handles.h"
#include "win/wait_cursor.h"

namespace documents {

namespace {

const std::size_t kPathBuffer = 4096;

void FocusMainWindow(Frame& frame) {
    if (::GetActiveWindow() != frame.FrameWindow()) ::SetFocus(frame.FrameWindow());
}

std::vector<char> FileNameBuffer(const std::string& initial) {
    std::vector<char> buffer(kPathBuffer, '\0');
    initial.copy(buffer.data(), std::min(initial.size(), buffer.size() - 1));
    return buffer;
}

// The open dialog: two file types, a plain edit box, no options (neither the file
// nor its folder has to exist), no default extension, no title, no initial folder.
bool RunOpenDialog(Frame& frame, std::string& path, FileType& type) {
    FileDialogMemory& memory = frame.DialogMemory();
    std::string filter = DialogFilter(kOpenFilter);
    std::vector<char> file = FileNameBuffer(memory.openName);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = frame.FrameWindow();
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

// The save dialog: no filter, no default extension; it offers the name of its last
// use, which may be another document's file, so it asks the platform's own question
// before an existing file is replaced (No goes back to the dialog).
bool RunSaveDialog(Frame& frame, std::string& path) {
    FileDialogMemory& memory = frame.DialogMemory();
    std::vector<char> file = FileNameBuffer(memory.saveName);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = frame.FrameWindow();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT;
    if (!::GetSaveFileNameA(&ofn)) return false;
    path = file.data();
    memory.saveName = path;
    return true;
}

// A list too large for the address space the program still has is refused before
// anything is loaded: a load that runs out of memory would end the program, and the
// unsaved documents of the other windows with it. Small files are not counted.
bool RefusedAsTooLarge(const std::string& path) {
    const std::uint64_t kCounted = 1024 * 1024;
    win::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || static_cast<std::uint64_t>(size.QuadPart) < kCounted)
        return false;  // a file that cannot be read is the load's to report
    std::uint64_t lf = 0, cr = 0;
    std::vector<char> chunk(1 << 20);
    DWORD got = 0;
    while (::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) && got > 0)
        for (DWORD i = 0; i < got; ++i) {
            lf += chunk[i] == '\n';
            cr += chunk[i] == '\r';
        }
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    if (!::GlobalMemoryStatusEx(&memory)) return false;
    const auto bytes = static_cast<std::uint64_t>(size.QuadPart);
    const std::uint64_t needed = EstimatedOpenBytes(bytes, (lf > 0 ? lf : cr) + 1);
    if (needed <= memory.ullAvailVirtual) return false;
    std::string text = TooLargeToOpenMessage(path, bytes, needed, memory.ullAvailVirtual);
    ::MessageBoxA(nullptr, text.c_str(), kNotGbkCaption, MB_OK | MB_ICONWARNING | MB_TASKMODAL);
    return true;
}

}  // namespace

void NewDocument(Frame& frame) {
    FocusMainWindow(frame);
    TMdiChild* document = TMdiChild::Create(frame);
    document->SetCaption(NonameCaption(frame.Documents().size()));
    document->MarkNeverSaved();
}

void OpenDocument(Frame& frame) {
    FocusMainWindow(frame);
    std::string chosen;
    FileType type = FileType::Text;
    if (!RunOpenDialog(frame, chosen, type)) return;
    if (RefusedAsTooLarge(PathToOpen(chosen, type))) return;
    win::WaitCursor waiting;  // a long file takes seconds to read and lay out
    TMdiChild* document = TMdiChild::Create(frame);
    RichEditor& editor = document->Editor();
    editor.SetMode(type == FileType::Text ? TextMode::Plain : TextMode::Rich);
    std::string path = PathToOpen(chosen, type);
    frame.DialogMemory().openName = path;
    document->SetFilePath(path);
    // A file that cannot be read leaves the window open, empty and unmodified.
    bool asked = false;
    RichEditor::LoadReport report = editor.LoadFromFile(path, [&](const char* encoding) {
        asked = true;
        std::string question = ConversionQuestion(path, encoding);
        return ::MessageBoxA(nullptr, question.c_str(), kNotGbkCaption, MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) ==
               IDYES;
    });
    // A converted text is not what the file holds until it is saved.
    editor.SetModified(report.convertedFromUtf8);
    if (!report.missing.empty()) {
        std::string text = MissingCharactersMessage(report.missing);
        ::MessageBoxA(nullptr, text.c_str(), kNotGbkCaption, MB_OK | MB_ICONWARNING | MB_TASKMODAL);
    } else if (report.notGbk && !asked) {
        // After the question (answered No) the user knows already what a save changes.
        std::string text = NotGbkWarning(path);
        ::MessageBoxA(nullptr, text.c_str(), kNotGbkCaption, MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
    }
}

void SaveDocument(Frame& frame) {
    TMdiChild* document = frame.ActiveDocument();
    if (!document) return;
    std::string caption = document->Caption();
    if (NeedsSaveDialog(caption)) {
        SaveDocumentAs(frame, *document);
        return;
    }
    document->Editor().SaveToFile(caption);
    document->Editor().SetModified(false);
    document->ForgetRecoveryCopy();
}

void SaveDocumentAs(Frame& frame) {
    if (TMdiChild* document = frame.ActiveDocument()) SaveDocumentAs(frame, *document);
}

bool SaveDocumentAs(Frame& frame, TMdiChild& document) {
    std::string path;
    if (!RunSaveDialog(frame, path)) return false;
    // Exactly the returned path, no extension added; the text mode stays.
    document.Editor().SaveToFile(path);
    document.Editor().SetModified(false);
    document.SetFilePath(path);
    document.ForgetRecoveryCopy();
    return true;
}

bool SaveDocumentCopy(Frame& frame, TMdiChild& document) {
    std::string path;
    if (!RunSaveDialog(frame, path)) return false;
    document.Editor().SaveToFile(path);
    return true;
}

}  // namespace documents

namespace documents {

void RestoreDocument(Frame& frame, const FoundCopy& copy) {
    TMdiChild* document = TMdiChild::Create(frame);
    RichEditor& editor = document->Editor();
    editor.SetMode(copy.header.rich ? TextMode::Rich : TextMode::Plain);
    // Under its own name: Save writes to the file it came from, and a document never
    // saved asks for a name as before.
    if (copy.header.file.empty()) {
        document->SetCaption(copy.header.caption);
        document->MarkNeverSaved();
    } else {
        document->SetFilePath(copy.header.file);
    }
    editor.LoadFromBytes(copy.bytes);
    editor.SetModified(true);
    document->ScheduleRecoveryCopy();  // this editor's own copy from now on
}

}  // namespace documents
