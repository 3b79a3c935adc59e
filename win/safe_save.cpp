#include "win/safe_save.h"

#include <windows.h>

#include <vector>

#include "win/error_display.h"
#include "win/file_messages.h"
#include "win/handles.h"
#include "win/system_error_text.h"

namespace win {

namespace {

const char* const kNoFileName = "没有文件名";
const char* const kIsAFolder = "这是一个文件夹，不是文件";
const char* const kReadOnlyFile = "文件是只读的";

// Removes the temporary file unless it has been put in place (or must be kept).
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!path_.empty()) ::DeleteFileA(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::string path_;
};

// What a failed save shows below its message: the full name of the file and why.
std::string FileAndCause(const std::string& file, const std::string& cause) {
    return "文件：" + file + "\n原因：" + cause + "。";
}

[[noreturn]] void ThrowCannotCreate(const std::string& path, const std::string& file, const std::string& cause) {
    throw win::CommandError(CannotCreateFile(path), FileAndCause(file, cause));
}

[[noreturn]] void ThrowFailedToSave(const std::string& file, DWORD error) {
    throw win::CommandError(kFailedToSaveStream, FileAndCause(file, win::SystemErrorText(error)));
}

// Why a file in `folder` could not be created or replaced. The system answers "invalid
// folder name" when the temporary file's folder does not exist; the user is told so.
std::string CreateRefusal(DWORD error, const std::string& folder) {
    if ((error == ERROR_DIRECTORY || error == ERROR_FILE_NOT_FOUND) &&
        ::GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        return win::SystemErrorText(ERROR_PATH_NOT_FOUND);
    return win::SystemErrorText(error);
}

std::string FullPath(const std::string& path, std::string& folder) {
    std::vector<char> full(MAX_PATH * 4);
    char* name = nullptr;
    DWORD n = ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), &name);
    if (n == 0) {
        const DWORD error = ::GetLastError();
        ThrowCannotCreate(path, path, win::SystemErrorText(error));
    }
    if (n >= full.size()) ThrowCannotCreate(path, path, win::SystemErrorText(ERROR_FILENAME_EXCED_RANGE));
    if (!name || !*name) ThrowCannotCreate(path, path, kNoFileName);
    folder.assign(full.data(), name);
    return std::string(full.data(), n);
}

// ERROR_SUCCESS when the file can be opened for writing and deleting; otherwise why not.
DWORD ReplaceRefusal(const std::string& path) {
    win::FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE | DELETE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    return file ? ERROR_SUCCESS : ::GetLastError();
}

void WriteAll(HANDLE file, const std::string& target, std::string_view bytes) {
    const std::size_t kPiece = 1 << 20;
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD want = static_cast<DWORD>(std::min(kPiece, bytes.size() - done));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, want, &written, nullptr)) {
            const DWORD error = ::GetLastError();
            ThrowFailedToSave(target, error);
        }
        // A write that takes fewer bytes than it was given has run out of room.
        if (written != want) ThrowFailedToSave(target, ERROR_DISK_FULL);
        done += written;
    }
}

}  // namespace

void WriteFileSafely(const std::string& path, std::string_view bytes) {
    std::string folder;
    std::string target = FullPath(path, folder);
    DWORD attributes = ::GetFileAttributesA(target.c_str());
    bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // A read-only file or a folder cannot be replaced. (Wine would move a file over a
    // read-only one; Windows refuses. Refuse on both.)
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) ThrowCannotCreate(path, target, kIsAFolder);
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) ThrowCannotCreate(path, target, kReadOnlyFile);
    // A file another program holds without sharing cannot be replaced; ReplaceFile
    // would find out only half-way and leave a temporary file of its own (Wine).
    if (exists) {
        if (const DWORD refusal = ReplaceRefusal(target); refusal != ERROR_SUCCESS)
            ThrowCannotCreate(path, target, CreateRefusal(refusal, folder));
    }

    char tempName[MAX_PATH + 16] = {};
    if (folder.size() > MAX_PATH - 14)
        ThrowCannotCreate(path, target, win::SystemErrorText(ERROR_FILENAME_EXCED_RANGE));
    if (!::GetTempFileNameA(folder.c_str(), "vlm", 0, tempName)) {
        const DWORD error = ::GetLastError();
        ThrowCannotCreate(path, target, CreateRefusal(error, folder));
    }
    TemporaryFile temp(tempName);
    {
        win::FileHandle file(::CreateFileA(temp.path().c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            const DWORD error = ::GetLastError();
            ThrowCannotCreate(path, target, CreateRefusal(error, folder));
        }
        WriteAll(file.get(), target, bytes);
        if (!::FlushFileBuffers(file.get())) {
            const DWORD error = ::GetLastError();
            ThrowFailedToSave(target, error);
        }
        HANDLE h = file.release();
        if (!::CloseHandle(h)) {
            const DWORD error = ::GetLastError();
            ThrowFailedToSave(target, error);
        }
    }

    if (!exists) {
        if (!::MoveFileExA(temp.path().c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            const DWORD error = ::GetLastError();
            ThrowCannotCreate(path, target, CreateRefusal(error, folder));
        }
        temp.Keep();
        return;
    }
    if (!::ReplaceFileA(target.c_str(), temp.path().c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                        nullptr)) {
        DWORD error = ::GetLastError();
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            // The old file has already gone from its place: the new contents must take it.
            if (::MoveFileExA(temp.path().c_str(), target.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                temp.Keep();
                return;
            }
            error = ::GetLastError();
            temp.Keep();  // the only copy of the text left on disk: the message says where
            ThrowCannotCreate(path, target,
                              CreateRefusal(error, folder) + "。文档的内容已保存在 " + temp.path() + " 中");
        }
        ThrowCannotCreate(path, target, CreateRefusal(error, folder));
    }
    temp.Keep();
}

std::string ReadWholeFile(const std::string& path) {
    win::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) throw win::CommandError(CannotOpenFile(path));
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) throw win::CommandError(kFailedToLoadStream);
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (!::ReadFile(file.get(), bytes.data() + done, want, &got, nullptr))
            throw win::CommandError(kFailedToLoadStream);
        if (got == 0) {
            bytes.resize(done);  // the file became shorter while being read
            break;
        }
        done += got;
    }
    return bytes;
}

}  // namespace win
