// Stands in for Mervik.exe where the real one cannot show a fault: it records what the
// generation run handed it and answers as the test has told it, through files beside
// itself (the test copies it into the program folder as Mervik.exe):
//   fake-command-line.txt  written: the raw command line, GetCommandLineA
//   fake-current-dir.txt   written: its current directory
//   fake-source.trs        written: a copy of temp.trs from its current directory
//   fake-pid.txt           written: its process id
//   fake-sleep.txt         read: milliseconds to sleep before answering
//   fake-hang              present: never ends
//   fake-reply.ERR         read: copied to Mervik.ERR; without it no Mervik.ERR is written
#include <windows.h>

#include <string>

namespace {

std::string ownFolder() {
    char path[MAX_PATH * 2] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, n);
    return folder.substr(0, folder.rfind('\\') + 1);
}

bool readFile(const std::string& path, std::string& bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.clear();
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    ::CloseHandle(file);
    return true;
}

void writeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    if (!bytes.empty()) ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace

int main() {
    const std::string folder = ownFolder();
    writeFile(folder + "fake-command-line.txt", ::GetCommandLineA());
    char current[MAX_PATH * 2] = {};
    DWORD n = ::GetCurrentDirectoryA(sizeof current, current);
    writeFile(folder + "fake-current-dir.txt", std::string(current, n));
    writeFile(folder + "fake-pid.txt", std::to_string(::GetCurrentProcessId()));
    std::string bytes;
    if (readFile("temp.trs", bytes)) writeFile(folder + "fake-source.trs", bytes);

    if (readFile(folder + "fake-sleep.txt", bytes)) ::Sleep(static_cast<DWORD>(std::stoul(bytes)));
    if (::GetFileAttributesA((folder + "fake-hang").c_str()) != INVALID_FILE_ATTRIBUTES) ::Sleep(INFINITE);
    if (readFile(folder + "fake-reply.ERR", bytes)) writeFile(folder + "Mervik.ERR", bytes);
    return 0;
}
