#include "tests/hardening/fault_support.h"

#include <psapi.h>

#include <cstdlib>

namespace faults {

std::string ExecutableFolder() {
    char path[MAX_PATH * 2] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, n);
    return folder.substr(0, folder.rfind('\\') + 1);
}

HeldFile::HeldFile(const std::string& path) {
    std::string commandLine = "\"" + ExecutableFolder() + "file_holder.exe\" \"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return;
    win::KernelHandle thread(info.hThread);
    process_ = win::KernelHandle(info.hProcess);
    // Held once our own attempt to open it runs into the holder's refusal to share.
    for (int i = 0; i < 1500; ++i) {  // a loaded machine may take seconds to start it
        HANDLE probe = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
        if (probe == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_SHARING_VIOLATION) return;
        if (probe != INVALID_HANDLE_VALUE) ::CloseHandle(probe);
        if (::WaitForSingleObject(process_.get(), 20) == WAIT_OBJECT_0) break;  // it could not open the file
    }
    Release();
}

void HeldFile::Release() {
    if (!process_) return;
    ::TerminateProcess(process_.get(), 0);
    ::WaitForSingleObject(process_.get(), 10000);
    process_ = win::KernelHandle();
}

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    auto* basic = reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory);
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), basic, sizeof memory) && memory.PrivateUsage != 0)
        return memory.PrivateUsage;
    // Where the extended counters are not filled in (Wine), the committed private bytes.
    memory.cb = sizeof *basic;
    return ::GetProcessMemoryInfo(::GetCurrentProcess(), basic, sizeof *basic) ? basic->PagefileUsage : 0;
}

std::string FaultDrive(const char* variable) {
    const char* value = std::getenv(variable);
    return value ? value : "";
}

bool RequestFromScript(const std::string& request) {
    const char* folder = std::getenv("VELMORA_FAULT_REQUESTS");
    if (!folder || !*folder) return false;
    std::string done = std::string(folder) + request + ".done";
    ::DeleteFileA(done.c_str());
    HANDLE file = ::CreateFileA((std::string(folder) + request).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    for (int i = 0; i < 200; ++i) {
        if (::GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        ::Sleep(50);
    }
    return false;
}

}  // namespace faults
