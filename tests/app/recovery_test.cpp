// Nothing typed is lost when the editor dies: the real Velmora.exe, ended with
// TerminateProcess after typing into a new document and into an opened RTF file,
// offers both again at its next start, and restores them byte for byte.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/batadd.h"
#include "win/gbk.h"
#include "win/handles.h"

namespace {

using app::Element;

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string self(path);
    return self.substr(0, self.rfind('\\')) + "\\..\\..\\program\\Velmora.exe";
}

std::string ReadFileBytes(const std::string& path) {
    win::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    if (!file) return {};
    std::string bytes(::GetFileSize(file.get(), nullptr), '\0');
    DWORD got = 0;
    ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    win::FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::vector<std::string> Files(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data{};
    HANDLE find = ::FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return names;
}

bool WaitFor(const std::function<bool()>& done, DWORD ms) {
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < ms; ::Sleep(50))
        if (done()) return true;
    return done();
}

// Asked of the window itself (GetWindowText gives only the creation text of another
// process's control), into a buffer large enough for these tests' texts: the length a
// rich edit control of another process reports is no help (Wine answers 0).
std::string Text(HWND hwnd) {
    std::string text(1 << 16, '\0');
    auto n = static_cast<std::size_t>(
        ::SendMessageA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(std::min(n, text.size()));
    return text;
}

std::string Class(HWND hwnd) {
    char name[64] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
}

struct WindowSearch {
    DWORD process;
    std::string cls;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == s->process && Class(hwnd) == s->cls && ::IsWindowVisible(hwnd)) s->found.push_back(hwnd);
    return TRUE;
}

// The windows of one process, top-level, matching a class.
std::vector<HWND> TopWindows(DWORD process, const std::string& cls) {
    WindowSearch search{process, cls, {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ChildWithText(HWND parent, const std::string& text) {
    for (HWND h = ::GetWindow(parent, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        if (Text(h) == text) return h;
    return nullptr;
}

// One run of the real editor, in a folder of its own, with its own local data folder.
class Editor {
public:
    explicit Editor(const std::string& folder) {
        std::string command = "\"" + ProgramPath() + "\"";
        STARTUPINFOA si{sizeof si};
        PROCESS_INFORMATION pi{};
        started_ = ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                                    &pi) != FALSE;
        if (!started_) return;
        process_.reset(pi.hProcess);
        ::CloseHandle(pi.hThread);
        id_ = pi.dwProcessId;
        WaitFor([&] { return (main_ = Main()) != nullptr; }, 20000);
    }
    ~Editor() {
        if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) ::TerminateProcess(process_.get(), 9);
    }
    HWND Main() const {
        auto found = TopWindows(id_, "TMDIForm");
        return found.empty() ? nullptr : found.front();
    }
    HWND main() const { return main_; }
    DWORD id() const { return id_; }
    HANDLE process() const { return process_.get(); }
    void Command(Element e) { ::PostMessageA(main_, WM_COMMAND, app::TMDIForm::ElementId(e), 0); }
    HWND Client() const { return ::FindWindowExA(main_, nullptr, "MDICLIENT", nullptr); }
    std::vector<HWND> Documents() const {
        std::vector<HWND> docs;
        for (HWND h = ::GetWindow(Client(), GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
            if (Class(h) == "TMdiChild") docs.push_back(h);
        return docs;
    }
    HWND Document(const std::string& caption) const {
        for (HWND h : Documents())
            if (Text(h) == caption) return h;
        return nullptr;
    }
    static HWND EditorOf(HWND document) { return ::FindWindowExA(document, nullptr, "RICHEDIT", nullptr); }
    HWND Dialog() const {
        auto found = TopWindows(id_, "#32770");
        return found.empty() ? nullptr : found.front();
    }

private:
    bool started_ = false;
    win::KernelHandle process_;
    DWORD id_ = 0;
    HWND main_ = nullptr;
};

class Recovery : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "velmora-recovery-" + std::to_string(::GetCurrentProcessId()) + "\\";
        ::CreateDirectoryA(folder_.c_str(), nullptr);
        local_ = folder_ + "local";
        ::CreateDirectoryA(local_.c_str(), nullptr);
        // The editor keeps its copies under %LOCALAPPDATA%: this test's own.
        char old[MAX_PATH] = {};
        hadLocal_ = ::GetEnvironmentVariableA("LOCALAPPDATA", old, sizeof old) > 0;
        oldLocal_ = old;
        ::SetEnvironmentVariableA("LOCALAPPDATA", local_.c_str());
        root_ = local_ + "\\" + win::WideToGbk(L"Velmora-恢复");
    }
    void TearDown() override {
        ::SetEnvironmentVariableA("LOCALAPPDATA", hadLocal_ ? oldLocal_.c_str() : nullptr);
        std::string command = "cmd /c rmdir /s /q \"" + folder_ + "\"";
        STARTUPINFOA si{sizeof si};
        PROCESS_INFORMATION pi{};
        if (::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                             &pi)) {
            ::WaitForSingleObject(pi.hProcess, 10000);
            ::CloseHandle(pi.hProcess);
            ::CloseHandle(pi.hThread);
        }
    }
    std::vector<std::string> Copies() {
        std::vector<std::string> copies;
        for (const std::string& editor : Files(root_ + "\\*"))
            for (const std::string& copy : Files(root_ + "\\" + editor + "\\*.rec"))
                copies.push_back(root_ + "\\" + editor + "\\" + copy);
        return copies;
    }
    std::string folder_, local_, root_, oldLocal_;
    bool hadLocal_ = false;
};

TEST_F(Recovery, TypingSurvivesAKilledEditorAndIsRestoredByteForByte) {
    const std::string rtfPath = folder_ + "格式.rtf";
    WriteFileBytes(rtfPath,
                   "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fcharset134 SimSun;}}"
                   "{\\colortbl;\\red255\\green0\\blue0;}\\f0 普通 \\b 粗体\\b0  \\cf1 红色\\cf0\\par 第二行\\par}");
    std::string newText, rtfText;
    {
        Editor first(folder_);
        ASSERT_NE(first.main(), nullptr);
        // A new document, typed into.
        first.Command(Element::New1);
        // Listed as soon as it is created, the window is ready once it has its caption.
        ASSERT_TRUE(WaitFor([&] { return first.Document("NONAME0") != nullptr; }, 10000));
        HWND fresh = Editor::EditorOf(first.Document("NONAME0"));
        ASSERT_NE(fresh, nullptr);
        ::SendMessageA(fresh, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("新文档：第一行\r\n词条=译文"));
        // An RTF file, opened through the dialog and typed into.
        first.Command(Element::Open1);
        HWND open = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (open = first.Dialog()) != nullptr; }, 10000));
        HWND types = ::GetDlgItem(open, 0x470);
        ::SendMessageA(types, CB_SETCURSEL, 1, 0);
        ::SendMessageA(open, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
        ::SendMessageA(::GetDlgItem(open, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(rtfPath.c_str()));
        ::PostMessageA(::GetDlgItem(open, IDOK), BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return first.Document(rtfPath) != nullptr; }, 10000));
        HWND rich = Editor::EditorOf(first.Document(rtfPath));
        ASSERT_NE(rich, nullptr);
        ASSERT_TRUE(WaitFor([&] { return Text(rich).find("粗体") != std::string::npos; }, 10000));
        ::SendMessageA(rich, EM_SETSEL, 0, 0);
        ::SendMessageA(rich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("加上的"));
        // Both copies are written once the texts have been left alone for two seconds.
        EXPECT_TRUE(WaitFor([&] { return Copies().size() == 2; }, 15000)) << Copies().size();
        // A second editor started meanwhile keeps to its own folder: it offers nothing of
        // the running one's, and its normal exit leaves them be.
        {
            Editor other(folder_);
            ASSERT_NE(other.main(), nullptr);
            ::Sleep(1500);
            EXPECT_EQ(other.Dialog(), nullptr);
            ::PostMessageA(other.main(), WM_CLOSE, 0, 0);
            EXPECT_EQ(::WaitForSingleObject(other.process(), 15000), WAIT_OBJECT_0);
        }
        EXPECT_EQ(Copies().size(), 2u);
        newText = Text(fresh);
        rtfText = Text(rich);
        ASSERT_TRUE(::TerminateProcess(first.process(), 9));
        ::WaitForSingleObject(first.process(), 10000);
    }
    ASSERT_EQ(Copies().size(), 2u);
    std::string rtfCopy;
    for (const std::string& copy : Copies()) {
        std::string bytes = ReadFileBytes(copy);
        if (bytes.find("format=rtf") != std::string::npos && bytes.find("file=" + rtfPath) != std::string::npos)
            rtfCopy = bytes.substr(bytes.find("\r\n\r\n") + 4);
    }
    ASSERT_EQ(rtfCopy.compare(0, 5, "{\\rtf"), 0);

    Editor second(folder_);
    ASSERT_NE(second.main(), nullptr);
    HWND question = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (question = second.Dialog()) != nullptr; }, 10000));
    EXPECT_EQ(Text(question), "恢复未保存的文档");
    HWND restore = ChildWithText(question, "恢复");
    ASSERT_NE(restore, nullptr);
    EXPECT_NE(ChildWithText(question, "放弃"), nullptr);
    ::PostMessageA(restore, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return second.Documents().size() == 2; }, 10000));
    HWND restoredRtf = second.Document(rtfPath), restoredNew = second.Document("NONAME0");
    ASSERT_NE(restoredRtf, nullptr);
    ASSERT_NE(restoredNew, nullptr);
    EXPECT_EQ(Text(Editor::EditorOf(restoredNew)), newText);
    EXPECT_EQ(Text(Editor::EditorOf(restoredRtf)), rtfText);
    EXPECT_TRUE(WaitFor([&] { return Copies().empty() || Copies().size() == 2; }, 5000));

    // Save writes the restored RTF to its own file: the very bytes of the copy.
    ::SendMessageA(second.Client(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(restoredRtf), 0);
    second.Command(Element::Save1);
    EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(rtfPath) == rtfCopy; }, 10000));
    EXPECT_NE(ReadFileBytes(rtfPath).find("\\b"), std::string::npos);  // the bold text stays bold

    // A normal exit (the new document given up with 否) leaves nothing of the copies.
    ::PostMessageA(second.main(), WM_CLOSE, 0, 0);
    HWND ask = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (ask = second.Dialog()) != nullptr; }, 10000));
    ::PostMessageA(ask, WM_COMMAND, IDNO, 0);
    ASSERT_EQ(::WaitForSingleObject(second.process(), 15000), WAIT_OBJECT_0);
    EXPECT_EQ(::GetFileAttributesA(root_.c_str()), INVALID_FILE_ATTRIBUTES) << "the recovery folder is left";

    // The next start asks nothing.
    Editor third(folder_);
    ASSERT_NE(third.main(), nullptr);
    ::Sleep(1500);
    EXPECT_EQ(third.Dialog(), nullptr);
    ::PostMessageA(third.main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(third.process(), 15000), WAIT_OBJECT_0);
}

}  // namespace
