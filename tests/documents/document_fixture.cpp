#include "tests/documents/document_fixture.h"

#include <atomic>

namespace doctest {

namespace {
const int kFileNameBox = 0x47C;  // the explorer-style dialogs' file name box
const int kFileTypeList = 0x470;
}  // namespace

ScratchFolder::ScratchFolder() {
    static std::atomic<int> counter{0};
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "velmora-docs-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(counter++) + "\\";
    RemoveTree(path_);
    ::CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    // The file dialogs make the folder they were in the current one: leave it first.
    char current[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, current);
    if (std::string(current) + "\\" == path_ || std::string(current).rfind(path_, 0) == 0) {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        ::SetCurrentDirectoryA(temp);
    }
    RemoveTree(path_);
}

void RemoveTree(const std::string& folder) {
    std::string base = folder.back() == '\\' ? folder : folder + "\\";
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((base + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = base + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(full.c_str());
            }
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(base.c_str());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    ASSERT_EQ(written, bytes.size()) << path;
}

std::string ReadBytes(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(::GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::string base = folder.back() == '\\' ? folder : folder + "\\";
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((base + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

std::string WindowsPathOf(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

harness::ModalAnswerer::Step ChooseFile(const std::string& name, int type) {
    return [name, type](HWND dialog) {
        if (type > 0) {
            HWND list = ::GetDlgItem(dialog, kFileTypeList);
            ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(type - 1), 0);
            ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFileTypeList, CBN_SELENDOK), reinterpret_cast<LPARAM>(list));
        }
        ::SetWindowTextA(::GetDlgItem(dialog, kFileNameBox), name.c_str());
        ::PostMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    };
}

harness::ModalAnswerer::Step CancelDialog() {
    return [](HWND dialog) { ::PostMessageA(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0); };
}

harness::ModalAnswerer::Step ReadFileDialog(FileDialogState& into, harness::ModalAnswerer::Step then) {
    return [&into, then](HWND dialog) {
        into.caption = harness::WindowText(dialog);
        into.name = harness::WindowText(::GetDlgItem(dialog, kFileNameBox));
        HWND list = ::GetDlgItem(dialog, kFileTypeList);
        into.type = list && ::IsWindowVisible(list) && ::SendMessageA(list, CB_GETCOUNT, 0, 0) > 0
                        ? static_cast<int>(::SendMessageA(list, CB_GETCURSEL, 0, 0)) + 1
                        : 0;
        then(dialog);
    };
}

std::string LargeGbkText(std::size_t approximateBytes) {
    std::string text;
    for (int line = 0; text.size() < approximateBytes; ++line) {
        text += "词库条目" + std::to_string(line) + " 乤ab，中文测试行";
        // A few tabs only: each tab costs the control time in proportion to the text
        // before it (Wine).
        if (line % 97 == 0) text += "\t\x80\xFF";
        text += "\r\n";
    }
    return text;
}

documents::TMdiChild* DocumentTest::NewDocument() {
    Run(app::Command::New);
    Pump();
    return Main().ActiveDocument();
}

documents::TMdiChild* DocumentTest::OpenThroughDialog(harness::ModalAnswerer& answerer, const std::string& name,
                                                      int type) {
    answerer.Then(ChooseFile(name, type));
    Run(app::Command::Open);
    Pump();
    return Main().ActiveDocument();
}

}  // namespace doctest
