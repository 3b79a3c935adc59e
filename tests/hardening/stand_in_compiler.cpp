// Stands in for Mervik.exe where the real one cannot show a fault, copied into the
// program folder as Mervik.exe. It answers through files beside itself:
//   stand-in-pid.txt     written: its process id
//   stand-in-reply.ERR   read: copied to Mervik.ERR as it is (any size, any bytes)
//   stand-in-hang        present: it starts writing the library and Mervik.ERR as the
//                        real compiler does, under their temporary names, held open
//                        without sharing, and then never ends
#include <windows.h>

#include <string>

#include "mervik/command_line.h"

namespace {

std::string OwnFolder() {
    char path[MAX_PATH * 2] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, n);
    return folder.substr(0, folder.rfind('\\') + 1);
}

void WriteText(const std::string& path, const std::string& bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

// Opened as the real compiler opens its temporary files; the handle is kept on purpose.
void StartWriting(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) ::WriteFile(file, "half", 4, &written, nullptr);
}

}  // namespace

int main() {
    const std::string folder = OwnFolder();
    const std::string suffix = "." + std::to_string(::GetCurrentProcessId()) + ".tmp";
    if (::GetFileAttributesA((folder + "stand-in-hang").c_str()) != INVALID_FILE_ATTRIBUTES) {
        const auto words = mervik::split_command_line(::GetCommandLineA());
        if (words && words->size() == 4) {
            const std::string library = mervik::library_path((*words)[2]);
            const std::string_view libraryFolder = mervik::directory_of(library);
            if (!libraryFolder.empty()) ::CreateDirectoryA(std::string(libraryFolder).c_str(), nullptr);
            StartWriting(library + suffix);
        }
        StartWriting(folder + "Mervik.ERR" + suffix);
        WriteText(folder + "stand-in-pid.txt", std::to_string(::GetCurrentProcessId()));
        ::Sleep(INFINITE);
    }
    ::CopyFileA((folder + "stand-in-reply.ERR").c_str(), (folder + "Mervik.ERR").c_str(), FALSE);
    WriteText(folder + "stand-in-pid.txt", std::to_string(::GetCurrentProcessId()));
    return 0;
}
