#include "documents/recovery_store.h"

#include <algorithm>
#include <utility>

namespace documents {

namespace {

const wchar_t* const kRootName = L"Velmora-恢复";
const wchar_t* const kLockName = L"lock";
const wchar_t* const kAdoptedPrefix = L"adopted-";

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L'\\' + name;
}

std::vector<WIN32_FIND_DATAW> Entries(const std::wstring& folder) {
    std::vector<WIN32_FIND_DATAW> entries;
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW(Join(folder, L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") entries.push_back(data);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return entries;
}

// Removes a folder and what it holds (copies, a lock, folders taken over).
void RemoveTree(const std::wstring& folder) {
    for (const WIN32_FIND_DATAW& e : Entries(folder)) {
        std::wstring path = Join(folder, e.cFileName);
        if (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path);
        } else {
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(path.c_str());
        }
    }
    ::RemoveDirectoryW(folder.c_str());
}

win::FileHandle TakeLock(const std::wstring& folder) {
    return win::FileHandle(::CreateFileW(Join(folder, kLockName).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string ReadAll(const std::wstring& path) {
    win::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return {};
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    std::size_t at = 0;
    while (at < bytes.size() &&
           ::ReadFile(file.get(), bytes.data() + at,
                      static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1 << 20)), &got, nullptr) &&
           got > 0)
        at += got;
    bytes.resize(at);
    return bytes;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    DWORD written = 0;
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

std::wstring RecoveryStore::DefaultRoot() {
    std::wstring base(32767, L'\0');
    DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", base.data(), static_cast<DWORD>(base.size()));
    // A system without the variable: the user's temporary folder, still outside the
    // program's folder and the user's own.
    if (n == 0 || n >= base.size()) n = ::GetTempPathW(static_cast<DWORD>(base.size()), base.data());
    if (n == 0 || n >= base.size()) return {};
    base.resize(n);
    return Join(base, kRootName);
}

RecoveryStore::RecoveryStore(std::wstring root) : root_(std::move(root)) {
    if (root_.empty()) return;
    ::CreateDirectoryW(root_.c_str(), nullptr);
    // The process id alone may come again after a restart: the start time goes with it.
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    folder_ = Join(root_,
                   L"editor-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(now.dwLowDateTime));
    if (!::CreateDirectoryW(folder_.c_str(), nullptr)) return;
    lock_ = TakeLock(folder_);
    if (!lock_) RemoveTree(folder_);
}

RecoveryStore::~RecoveryStore() {
    if (!Usable()) return;
    lock_.reset();
    RemoveTree(folder_);
    ::RemoveDirectoryW(root_.c_str());  // only once it is empty: other editors may run
}

std::vector<FoundCopy> RecoveryStore::AdoptOrphans() {
    std::vector<FoundCopy> found;
    if (!Usable()) return found;
    const std::wstring own = folder_.substr(folder_.rfind(L'\\') + 1);
    for (const WIN32_FIND_DATAW& e : Entries(root_)) {
        if (!(e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || e.cFileName == own) continue;
        std::wstring orphan = Join(root_, e.cFileName);
        {
            win::FileHandle lock = TakeLock(orphan);
            if (!lock) continue;  // its editor is running
        }
        std::wstring into = Join(folder_, kAdoptedPrefix + std::to_wstring(adopted_.size() + 1));
        if (!::MoveFileW(orphan.c_str(), into.c_str())) continue;  // another editor was first
        adopted_.push_back(into);
        adoptedNames_.push_back(orphan);
    }
    for (const std::wstring& folder : adopted_) {
        for (const WIN32_FIND_DATAW& e : Entries(folder)) {
            std::wstring name = e.cFileName;
            if (name.size() < 4 || name.compare(name.size() - 4, 4, L".rec") != 0) continue;
            std::wstring path = Join(folder, name);
            std::string bytes = ReadAll(path);
            auto copy = ReadRecoveryHeader(bytes);
            if (!copy) continue;
            found.push_back({path, copy->header, bytes.substr(copy->textOffset)});
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const FoundCopy& a, const FoundCopy& b) { return a.header.time < b.header.time; });
    // A folder with nothing to offer goes at once.
    for (std::size_t i = adopted_.size(); i-- > 0;) {
        bool offered = std::any_of(found.begin(), found.end(),
                                   [&](const FoundCopy& c) { return c.path.rfind(adopted_[i] + L"\\", 0) == 0; });
        if (offered) continue;
        RemoveTree(adopted_[i]);
        adopted_.erase(adopted_.begin() + static_cast<std::ptrdiff_t>(i));
        adoptedNames_.erase(adoptedNames_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return found;
}

void RecoveryStore::ReleaseAdopted() {
    for (std::size_t i = 0; i < adopted_.size(); ++i)
        if (!::MoveFileW(adopted_[i].c_str(), adoptedNames_[i].c_str())) {
            // Its old name is taken: any free name outside this editor's folder will do.
            std::wstring other = adoptedNames_[i] + L"-" + std::to_wstring(::GetTickCount());
            ::MoveFileW(adopted_[i].c_str(), other.c_str());
        }
    adopted_.clear();
    adoptedNames_.clear();
}

void RecoveryStore::RemoveAdopted() {
    for (const std::wstring& folder : adopted_) RemoveTree(folder);
    adopted_.clear();
    adoptedNames_.clear();
}

std::wstring RecoveryStore::CopyPath(int slot, const wchar_t* extension) const {
    return Join(folder_, L"document-" + std::to_wstring(slot) + extension);
}

bool RecoveryStore::Write(int slot, const RecoveryHeader& header, const std::function<bool(HANDLE)>& writeText) {
    if (!Usable()) return false;
    const std::wstring temporary = CopyPath(slot, L".tmp"), copy = CopyPath(slot, L".rec");
    bool written = false;
    {
        win::FileHandle file(
            ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        written = WriteAll(file.get(), RecoveryHeaderBytes(header)) && writeText(file.get()) &&
                  ::FlushFileBuffers(file.get());
    }
    if (written && ::MoveFileExW(temporary.c_str(), copy.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileW(temporary.c_str());
    return false;
}

void RecoveryStore::Remove(int slot) {
    if (!Usable() || slot <= 0) return;
    ::DeleteFileW(CopyPath(slot, L".rec").c_str());
    ::DeleteFileW(CopyPath(slot, L".tmp").c_str());
}

}  // namespace documents
