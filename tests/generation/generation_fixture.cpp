#include "tests/generation/generation_fixture.h"

#include <commctrl.h>

#include <memory>

#include "generation/confirm1.h"

namespace gentest {

namespace {
thread_local Timeline* activeTimeline = nullptr;
const char* const kLeftBehind[] = {
    "Mervik.exe",   "Mervik.ERR",     "temp.trs",  "fake-command-line.txt", "fake-current-dir.txt", "fake-source.trs",
    "fake-pid.txt", "fake-sleep.txt", "fake-hang", "fake-reply.ERR"};
}  // namespace

std::string ReadFileBytes(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    ::CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    if (!bytes.empty()) ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveTree(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..") RemoveTree(path + "\\" + name);
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(path.c_str());
}

void SendKey(UINT vk, bool ctrl, bool shift, bool alt) { harness::SendKeys(vk, ctrl, shift, alt); }

std::vector<std::string> ListRows(HWND list) {
    std::vector<std::string> rows;
    int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<char> buffer(4096);
    for (int i = 0; i < count; ++i) {
        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        int n = static_cast<int>(::SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item)));
        rows.emplace_back(buffer.data(), static_cast<std::size_t>(n));
    }
    return rows;
}

Timeline::Timeline() {
    activeTimeline = this;
    timer_ = ::SetTimer(nullptr, 0, 25, &Timeline::OnTimer);
}

Timeline::~Timeline() {
    ::KillTimer(nullptr, timer_);
    activeTimeline = nullptr;
    while (!steps_.empty() && steps_.front().waits && steps_.front().run()) steps_.pop_front();
    EXPECT_TRUE(steps_.empty()) << steps_.size() << " timeline steps never ran to the end";
}

Timeline& Timeline::Do(std::function<void()> action) {
    steps_.push_back({[action = std::move(action)] {
                          action();
                          return true;
                      },
                      false});
    return *this;
}

Timeline& Timeline::WaitUntil(std::function<bool()> condition) {
    steps_.push_back({std::move(condition), true});
    return *this;
}

Timeline& Timeline::Wait(int ms) {
    auto until = std::make_shared<DWORD>(0);
    steps_.push_back({[until, ms] {
                          if (*until == 0) *until = ::GetTickCount() + static_cast<DWORD>(ms);
                          return static_cast<int>(::GetTickCount() - *until) >= 0;
                      },
                      false});
    return *this;
}

void CALLBACK Timeline::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    Timeline* self = activeTimeline;
    if (!self || self->busy_ || self->steps_.empty()) return;
    self->busy_ = true;
    bool done = self->steps_.front().run();
    self->busy_ = false;
    if (done && activeTimeline == self) self->steps_.pop_front();
}

harness::ModalAnswerer::Step ConfirmWith(std::string description, std::string fileName) {
    return [description = std::move(description), fileName = std::move(fileName)](HWND dialog) {
        ::SetDlgItemTextA(dialog, generation::TConfirm::kEdit1, description.c_str());
        ::SetDlgItemTextA(dialog, generation::TConfirm::kEdit2, fileName.c_str());
        ::PostMessageA(::GetDlgItem(dialog, generation::TConfirm::kButton1), BM_CLICK, 0, 0);
    };
}

harness::ModalAnswerer::Step GiveUp() {
    return [](HWND dialog) { ::PostMessageA(::GetDlgItem(dialog, generation::TConfirm::kButton2), BM_CLICK, 0, 0); };
}

void GenerationTest::SetUp() {
    harness::AppTest::SetUp();
    programDir_ = Main().ProgramDir();
    ::SetCurrentDirectoryA(programDir_.c_str());
    Clean();
}

void GenerationTest::TearDown() {
    ::SetCurrentDirectoryA(programDir_.c_str());
    harness::AppTest::TearDown();
    Clean();
}

void GenerationTest::Clean() {
    for (const char* name : kLeftBehind) RemoveTree(InProgramDir(name));
    RemoveTree(InProgramDir("LIB"));
    RemoveTree(InProgramDir("work-folder"));
}

void GenerationTest::InstallFakeCompiler() {
    ASSERT_TRUE(
        ::CopyFileA(InProgramDir("fake-compiler\\Mervik.exe").c_str(), InProgramDir("Mervik.exe").c_str(), FALSE));
}

void GenerationTest::InstallRealCompiler() {
    ASSERT_TRUE(
        ::CopyFileA(InProgramDir("real-compiler\\Mervik.exe").c_str(), InProgramDir("Mervik.exe").c_str(), FALSE));
}

void GenerationTest::FakeReplies(const std::string& messageFile) {
    WriteFileBytes(InProgramDir("fake-reply.ERR"), messageFile);
}

documents::TMdiChild& GenerationTest::NewDocument(const std::string& text) {
    Main().Execute(app::Command::New);
    documents::TMdiChild* document = Main().ActiveDocument();
    EXPECT_NE(document, nullptr);
    document->Editor().ReplaceSelection(text, false);
    Pump(20);
    return *document;
}

}  // namespace gentest
