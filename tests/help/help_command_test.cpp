// 帮助 → 内容 under Wine: the help viewer opens Saffel.hlp from the program folder
// whatever the current folder is, and the editor never waits for the viewer, not
// even while the viewer asks about a missing file.
#include <windows.h>

#include <string>
#include <vector>

#include "documents/batchild.h"
#include "tests/support/gui_harness.h"

namespace {

using harness::AppTest;

const char* const kHelpTitle = "词库生成系统 帮助";

std::string ExeFolder() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string self(path);
    return self.substr(0, self.rfind('\\') + 1);
}

// The in-process editor's program folder is this test's folder; the help file is
// built into the real program folder, <build>\program.
std::string BuiltHelpFile() { return ExeFolder() + "..\\..\\program\\Saffel.hlp"; }
std::string HelpBesideProgram() { return ExeFolder() + "Saffel.hlp"; }

// Visible top-level windows of other processes (the viewer and its boxes).
struct ForeignQuery {
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectForeign(HWND hwnd, LPARAM param) {
    auto* query = reinterpret_cast<ForeignQuery*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ::GetCurrentProcessId() && ::IsWindowVisible(hwnd) && harness::ClassName(hwnd) == query->className)
        query->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> ForeignWindows(const char* className) {
    ForeignQuery query{className, {}};
    ::EnumWindows(CollectForeign, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND ViewerErrorBox() {
    for (HWND box : ForeignWindows("#32770"))
        if (harness::WindowText(box) == "错误") return box;
    return nullptr;
}

class HelpCommand : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        // Another current folder than the program's: the viewer must still find the file.
        char temp[MAX_PATH] = {};
        ::GetTempPathA(sizeof temp, temp);
        elsewhere_ = std::string(temp) + "velmora-help-cwd";
        ::CreateDirectoryA(elsewhere_.c_str(), nullptr);
        ::GetCurrentDirectoryA(sizeof previous_, previous_);
        ASSERT_TRUE(::SetCurrentDirectoryA(elsewhere_.c_str()));
    }
    void TearDown() override {
        // Whatever the test left of the viewer goes with it.
        for (int round = 0; round < 50; ++round) {
            auto left = ForeignWindows("MS_WINHELP");
            HWND box = ViewerErrorBox();
            if (left.empty() && !box) break;
            if (box) ::PostMessageA(::GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
            for (HWND viewer : left) ::PostMessageA(viewer, WM_CLOSE, 0, 0);
            Pump(100);
        }
        ::SetCurrentDirectoryA(previous_);
        ::DeleteFileA(HelpBesideProgram().c_str());
        ::RemoveDirectoryA(elsewhere_.c_str());
        AppTest::TearDown();
    }
    void ChooseHelpContents() {
        ::SendMessageA(Main().hwnd(), WM_COMMAND, app::TMDIForm::ElementId(app::Element::Contents1), 0);
    }
    // Pumps the editor until `found` returns a window, for at most `ms`.
    template <typename Find>
    HWND WaitFor(Find found, int ms) {
        for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < static_cast<DWORD>(ms);) {
            if (HWND hwnd = found()) return hwnd;
            Pump(50);
        }
        return found();
    }

    std::string elsewhere_;
    char previous_[MAX_PATH] = {};
};

TEST_F(HelpCommand, OpensTheHelpFileBesideTheProgramFromAnotherFolder) {
    ASSERT_TRUE(::CopyFileA(BuiltHelpFile().c_str(), HelpBesideProgram().c_str(), FALSE)) << BuiltHelpFile();
    ChooseHelpContents();
    HWND viewer = WaitFor(
        [] {
            auto windows = ForeignWindows("MS_WINHELP");
            return windows.empty() ? HWND{} : windows.front();
        },
        40000);
    ASSERT_NE(viewer, nullptr) << "the help viewer did not open";
    // The caption is the file's title once the file is loaded.
    auto titled = [&] { return harness::WindowText(viewer).rfind(kHelpTitle, 0) == 0 ? viewer : HWND{}; };
    EXPECT_NE(WaitFor(titled, 10000), nullptr) << harness::WindowText(viewer);
    EXPECT_EQ(ViewerErrorBox(), nullptr) << harness::ReadBox(ViewerErrorBox()).text;
    // The editor goes on taking commands while the viewer is open.
    Main().New1Click();
    Pump(30);
    EXPECT_EQ(Main().Documents().size(), 1u);
}

TEST_F(HelpCommand, WithTheFileMissingTheNextCommandTakesEffectAtOnce) {
    ::DeleteFileA(HelpBesideProgram().c_str());
    ChooseHelpContents();
    Main().New1Click();
    // The viewer has not even had time to ask: the editor did not wait for it.
    EXPECT_EQ(Main().Documents().size(), 1u);
    EXPECT_EQ(ViewerErrorBox(), nullptr);

    HWND box = WaitFor(ViewerErrorBox, 40000);
    ASSERT_NE(box, nullptr) << "the viewer never reported the missing file";
    EXPECT_NE(harness::ReadBox(box).text.find("Saffel.hlp"), std::string::npos) << harness::ReadBox(box).text;
    // While the viewer's question is open, the editor still works.
    Main().New1Click();
    Pump(30);
    EXPECT_EQ(Main().Documents().size(), 2u);
    EXPECT_TRUE(::IsWindow(box));
}

}  // namespace
