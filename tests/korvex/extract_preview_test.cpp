// 文件 → 从程序提取… in the real KORVEX window under Wine, on Wine's own programs: a new
// library from the program's texts, and the dialog preview with the controls whose
// translation does not fit outlined. With VELMORA_PREVIEW_SHOT set, the preview of
// comdlg32's colour dialog is saved there as a bitmap.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "korvex/dialog_preview.h"
#include "korvex/korvex_form.h"
#include "korvex/resource_ids.h"
#include "korvex_pump.h"
#include "tests/support/gui_harness.h"
#include "win/gbk.h"

namespace korvex {
namespace {

using harness::ModalAnswerer;

std::string WineFile(const char* name) {
    for (const char* folder : {"Z:\\usr\\lib\\i386-linux-gnu\\wine\\i386-windows\\",
                               "Z:\\usr\\lib\\x86_64-linux-gnu\\wine\\x86_64-windows\\",
                               "Z:\\usr\\lib\\wine\\i386-windows\\", "Z:\\usr\\lib\\wine\\x86_64-windows\\"}) {
        const std::string path = std::string(folder) + name;
        if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return path;
    }
    return "";
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t DialogNamed(const TDialogPreview& preview, const std::vector<PreviewDialog>& dialogs,
                        const std::string& name) {
    (void)preview;
    for (std::size_t i = 0; i < dialogs.size(); ++i) {
        if (dialogs[i].name == name) return i;
    }
    return dialogs.size();
}

// The window as the screen shows it, as a 24-bit bitmap file.
void SaveScreenshot(HWND window, const char* file) {
    RECT r;
    ::GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    const int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + static_cast<DWORD>(stride * h);
    if (FILE* out = std::fopen(file, "wb")) {
        std::fwrite(&header, sizeof header, 1, out);
        std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
        std::fwrite(bits, static_cast<std::size_t>(stride), static_cast<std::size_t>(h), out);
        std::fclose(out);
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

TEST(ExtractPreview, AProgramBecomesALibraryAndItsDialogsShowWhatDoesNotFit) {
    const std::string program = WineFile("comdlg32.dll");
    if (program.empty()) GTEST_SKIP() << "Wine's programs are not on this machine";
    TKorvexForm form;
    form.Create();
    ::ShowWindow(form.hwnd(), SW_SHOW);
    Pump(20);
    {
        ModalAnswerer answer;
        answer.Then([=](HWND dialog) {
            ::SetDlgItemTextW(dialog, 0x47C, win::GbkToWide(program).c_str());
            ::PostMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        ::SendMessageA(form.hwnd(), WM_COMMAND, IDM_EXTRACT, 0);
        ASSERT_EQ(answer.Seen().size(), 1u);  // the open dialog, and no message after it
    }
    EXPECT_GT(form.Table().size(), 100u);
    ASSERT_NE(form.Preview(), nullptr);
    TDialogPreview& preview = *form.Preview();
    ASSERT_GT(preview.Count(), 5u);
    ASSERT_NE(preview.Dialog(), nullptr);

    // The colour dialog's Chinese labels wrap in their few dialog units.
    const std::vector<PreviewDialog> dialogs = PreviewDialogs(ReadAll(program), "comdlg32.dll", {});
    const std::size_t colour = DialogNamed(preview, dialogs, "comdlg32.dll DIALOG CHOOSE_COLOR");
    ASSERT_LT(colour, preview.Count());
    preview.Show(colour, true);
    Pump(100);
    EXPECT_GE(preview.Overflowing().size(), 1u);
    EXPECT_FALSE(::IsWindowEnabled(preview.Dialog()));
    wchar_t caption[64] = {};
    ::GetWindowTextW(preview.Dialog(), caption, 64);
    EXPECT_EQ(std::wstring(caption), L"颜色");
    if (const char* shot = std::getenv("VELMORA_PREVIEW_SHOT")) {
        ::SetWindowPos(preview.hwnd(), HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE);
        ::SetForegroundWindow(preview.hwnd());
        Pump(700);
        SaveScreenshot(preview.hwnd(), shot);
    }

    // One key shows the original.
    ::SendMessageA(preview.hwnd(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_FALSE(preview.Translated());
    ::GetWindowTextW(preview.Dialog(), caption, 64);
    EXPECT_EQ(std::wstring(caption), L"Color");
    ::SendMessageA(preview.hwnd(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(preview.Translated());
    ::DestroyWindow(form.hwnd());
    Pump();
}

TEST(ExtractPreview, ATranslationMadeLongerOnPurposeIsOutlined) {
    const std::string program = WineFile("notepad.exe");
    if (program.empty()) GTEST_SKIP() << "Wine's programs are not on this machine";
    const std::map<std::string, std::string> words = {{"&Header:", "页眉页眉页眉页眉页眉页眉页眉页眉页眉(&H):"},
                                                      {"&Footer:", "页脚(&F):"}};
    std::vector<PreviewDialog> dialogs = PreviewDialogs(ReadAll(program), "notepad.exe", words);
    std::size_t setup = dialogs.size();
    for (std::size_t i = 0; i < dialogs.size(); ++i) {
        if (dialogs[i].name == "notepad.exe DIALOG 514") setup = i;
    }
    ASSERT_LT(setup, dialogs.size());
    TDialogPreview preview(std::move(dialogs));
    preview.Create(nullptr);
    preview.Show(setup, true);
    Pump(50);
    std::vector<int> ids;
    for (HWND c : preview.Overflowing()) ids.push_back(::GetDlgCtrlID(c));
    EXPECT_EQ(ids, std::vector<int>{320});  // the header's label only; the footer's fits
    preview.Show(setup, false);
    EXPECT_TRUE(preview.Overflowing().empty());
}

}  // namespace
}  // namespace korvex
