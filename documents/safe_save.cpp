#include "documents/safe_save.h"

#include <windows.h>

#include <vector>

#include "documents/document_rules.h"
#include "win/error_display.h"
#include "win/handles.h"

namespace documents {

namespace {

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

std::string FullPath(const std::string& path, std::string& folder) {
    std::vector<char> full(MAX_PATH * 4);
    char* name = nullptr;
    DWORD n = ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), &name);
    if (n == 0 || n >= full.size() || !name || !*name) throw win::CommandError(CannotCreateFile(path));
    folder.assign(full.data(), name);
    return std::string(full.data(), n);
}

bool CanBeReplaced(const std::string& path) {
    win::FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE | DELETE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

void WriteAll(HANDLE file, std::string_view bytes) {
    const std::size_t kPiece = 1 << 20;
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD want = static_cast<DWORD>(std::min(kPiece, bytes.size() - done));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, want, &written, nullptr) || written != want)
            throw win::CommandError(kFailedToSaveStream);
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
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        throw win::CommandError(CannotCreateFile(path));
    // A file another program holds without sharing cannot be replaced; ReplaceFile
    // would find out only half-way and leave a temporary file of its own (Wine).
    if (exists && !CanBeReplaced(target)) throw win::CommandError(CannotCreateFile(path));

    char tempName[MAX_PATH + 16] = {};
    if (folder.size() > MAX_PATH - 14 || !::GetTempFileNameA(folder.c_str(), "vlm", 0, tempName))
        throw win::CommandError(CannotCreateFile(path));
    TemporaryFile temp(tempName);
    {
        win::FileHandle file(::CreateFileA(temp.path().c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) throw win::CommandError(CannotCreateFile(path));
        WriteAll(file.get(), bytes);
        if (!::FlushFileBuffers(file.get())) throw win::CommandError(kFailedToSaveStream);
        HANDLE h = file.release();
        if (!::CloseHandle(h)) throw win::CommandError(kFailedToSaveStream);
    }

    if (!exists) {
        if (!::MoveFileExA(temp.path().c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
            throw win::CommandError(CannotCreateFile(path));
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
            temp.Keep();  // the only copy of the text left on disk
        }
        throw win::CommandError(CannotCreateFile(path));
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

}  // namespace documents
