#pragma once
// Helpers for the tests of document windows and file commands: a scratch folder,
// file bytes, and the steps that answer the open and save dialogs.
#include <windows.h>

#include <string>

#include "documents/batchild.h"
#include "tests/support/gui_harness.h"

namespace doctest {

// A fresh folder under the temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    // The folder's path with a trailing backslash, or a path inside it.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

void RemoveTree(const std::string& folder);
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool FileExists(const std::string& path);
// The names in a folder (files and folders, without "." and "..").
std::vector<std::string> FolderEntries(const std::string& folder);
// A Unix path as Wine's Z: drive shows it.
std::string WindowsPathOf(const std::string& unixPath);

// Dialog steps for harness::ModalAnswerer.
// Types `name` into a file dialog's name box (choosing the file type `type`, 1 or 2,
// when not 0) and presses OK.
harness::ModalAnswerer::Step ChooseFile(const std::string& name, int type = 0);
// Presses the dialog's Cancel.
harness::ModalAnswerer::Step CancelDialog();
// What a file dialog showed before it was answered.
struct FileDialogState {
    std::string caption;
    std::string name;  // the text of the file name box
    int type = 0;      // the chosen file type, from 1; 0 without a type list
};
harness::ModalAnswerer::Step ReadFileDialog(FileDialogState& into, harness::ModalAnswerer::Step then);

// A large GBK text with CR LF line ends and characters whose bytes are traps
// (乤 = 81 61, a trail byte that is ASCII; a few tabs; single bytes 0x80 and 0xFF).
std::string LargeGbkText(std::size_t approximateBytes);

class DocumentTest : public harness::AppTest {
protected:
    documents::TMdiChild* NewDocument();
    // Runs Open through the command path (errors go to the error display) with the
    // dialog answered by `name` and file type `type`.
    documents::TMdiChild* OpenThroughDialog(harness::ModalAnswerer& answerer, const std::string& name, int type);
    void Run(app::Command command) { Main().Execute(command); }
    ScratchFolder folder_;
};

}  // namespace doctest
