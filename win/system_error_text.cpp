#include "win/system_error_text.h"

#include "win/gbk.h"

namespace win {

namespace {

struct KnownError {
    DWORD code;
    const char* text;
};

// The faults a save or an open meets in practice, said the way the user can act on them.
const KnownError kKnownErrors[] = {
    {ERROR_DISK_FULL, "磁盘已满"},
    {ERROR_HANDLE_DISK_FULL, "磁盘已满"},
    {ERROR_ACCESS_DENIED, "拒绝访问：没有写入权限，或者文件、文件夹或磁盘是只读的"},
    {ERROR_SHARING_VIOLATION, "文件正被另一个程序使用"},
    {ERROR_LOCK_VIOLATION, "文件正被另一个程序使用"},
    {ERROR_USER_MAPPED_FILE, "文件正被另一个程序使用"},
    {ERROR_WRITE_PROTECT, "磁盘是只读的（写保护）"},
    {ERROR_FILE_NOT_FOUND, "找不到文件"},
    {ERROR_PATH_NOT_FOUND, "文件夹不存在"},
    {ERROR_INVALID_DRIVE, "驱动器不存在"},
    {ERROR_NOT_READY, "驱动器未就绪"},
    {ERROR_INVALID_NAME, "文件名不正确"},
    {ERROR_FILENAME_EXCED_RANGE, "文件名太长"},
    {ERROR_DIRECTORY, "文件夹名不正确"},
};

}  // namespace

std::string SystemErrorText(DWORD code) {
    for (const KnownError& known : kKnownErrors)
        if (known.code == code) return known.text;
    const std::string number = "错误代码 " + std::to_string(code);
    wchar_t* buffer = nullptr;
    DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring wide(buffer ? buffer : L"", buffer ? length : 0);
    if (buffer) ::LocalFree(buffer);
    // The system's texts end in a full stop and a line break; the caller ends the sentence.
    while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ' ||
                             wide.back() == L'.' || wide.back() == L'\x3002'))
        wide.pop_back();
    if (wide.empty()) return number;
    return WideToGbk(wide) + "（" + number + "）";
}

}  // namespace win
