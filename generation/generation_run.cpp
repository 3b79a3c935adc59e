#include "generation/generation_run.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "documents/batchild.h"
#include "documents/frame.h"
#include "generation/compiler_command_line.h"
#include "generation/compiler_wait_box.h"
#include "generation/confirm1.h"
#include "generation/line_breaks.h"
#include "generation/running_compiler.h"
#include "win/error_display.h"
#include "win/handles.h"
#include "win/wait_cursor.h"

namespace generation {

namespace {

const char* const kSourceFile = "temp.trs";
const char* const kMessageFile = "Mervik.ERR";

// Step 11, on every way out once the editor is frozen and in plain-text mode.
class RunRestorer {
public:
    RunRestorer(documents::Frame& frame, documents::RichEditor& editor, documents::TextMode savedMode)
        : frame_(frame), editor_(editor), savedMode_(savedMode) {}
    ~RunRestorer() {
        editor_.SetMode(savedMode_);
        editor_.EndUpdate();
        frame_.OnGenerationRunning(false);
    }
    RunRestorer(const RunRestorer&) = delete;
    RunRestorer& operator=(const RunRestorer&) = delete;

private:
    documents::Frame& frame_;
    documents::RichEditor& editor_;
    documents::TextMode savedMode_;
};

class UpdateBracket {
public:
    explicit UpdateBracket(documents::RichEditor& editor) : editor_(editor) { editor_.BeginUpdate(); }
    ~UpdateBracket() { editor_.EndUpdate(); }
    UpdateBracket(const UpdateBracket&) = delete;
    UpdateBracket& operator=(const UpdateBracket&) = delete;

private:
    documents::RichEditor& editor_;
};

// temp.trs in the current directory, created anew or emptied.
void WriteSourceFile(const std::string& bytes) {
    win::FileHandle file(::CreateFileA(kSourceFile, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw win::CommandError(std::string("Cannot create file ") + kSourceFile);
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
            written == 0)
            throw win::CommandError("Failed to Save Stream");
        done += written;
    }
}

std::string ReadMessageFile(const std::string& path) {
    win::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) throw win::CommandError("Cannot open file " + path);
    LARGE_INTEGER size{};
    // Beyond 2 GB the size does not fit the address space of a 32-bit program (and
    // would be cut short by the conversion below).
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF)
        throw win::CommandError("Failed to Load Stream");
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read, nullptr))
            throw win::CommandError("Failed to Load Stream");
        if (read == 0) break;
        done += read;
    }
    bytes.resize(done);
    return bytes;
}

// The compiler, found by the system's usual search from the line's first word (the
// program's own folder first, then the current directory), with our environment and
// current directory. Null when it cannot be started.
win::KernelHandle StartCompiler(std::string commandLine) {
    // All zero but its size, which is 68 bytes in a 32-bit program.
    STARTUPINFOA startup{};
    static_assert(sizeof(void*) != 4 || sizeof startup == 68);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return {};
    win::KernelHandle thread(info.hThread);
    return win::KernelHandle(info.hProcess);
}

}  // namespace

void RunGeneration(documents::Frame& frame, ConfirmSlot& properties) {
    documents::TMdiChild* document = frame.ActiveDocument();
    if (!document) return;
    frame.OnGenerationRunning(true);
    documents::RichEditor& editor = document->Editor();
    editor.BeginUpdate();
    const documents::TextMode savedMode = editor.Mode();
    editor.SetMode(documents::TextMode::Plain);
    RunRestorer restorer(frame, editor, savedMode);

    TConfirm& dialog = properties.Renew(frame);
    if (dialog.ShowModal() != TConfirm::kModalOk) return;

    {
        win::WaitCursor waiting;
        UpdateBracket writing(editor);
        WriteSourceFile(WithCrLfLineBreaks(editor.Text()));
    }

    win::KernelHandle compiler = StartCompiler(CompilerCommandLine(dialog.FileName(), dialog.Description()));
    if (!compiler) {
        win::ShowErrorBox("无法创建新的进程");
        return;
    }
    // Stopped: its half-written files are gone already, and whatever Mervik.ERR holds
    // belongs to no finished run.
    RunningCompiler running(compiler.get(), document->hwnd(), dialog.FileName(), frame.ProgramDir());
    if (WaitForCompiler(frame.FrameWindow(), running) == CompilerEnd::Stopped) return;

    std::vector<std::string> lines = SplitMessageLines(ReadMessageFile(frame.ProgramDir() + kMessageFile));
    document->ErrorList().SetLines(std::move(lines));
    document->ShowErrorList();
}

}  // namespace generation
