// KORVEX's translation-memory tool windows under Wine, on real libraries in a real
// folder: the concordance search finds a word across two libraries and puts a
// translation into the selected entry (undoably), and the consistency check lists a known
// inconsistency, whose rows open their entries.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korvex/concordance_window.h"
#include "korvex/consistency_window.h"
#include "korvex/korvex_form.h"
#include "korvex/resource_ids.h"
#include "lexicon/base/byte_sink.h"
#include "lexicon/library/library_writer.h"
#include "lexicon/wordlist/word_list.h"
#include "tests/korvex/korvex_pump.h"
#include "tests/korvex/korvex_test_files.h"
#include "tests/support/gui_harness.h"
#include "win/gbk.h"

namespace korvex {
namespace {

using harness::ModalAnswerer;

void SelectRow(HWND list, int row) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row >= 0) ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Pump(20);
}

std::string ClipboardText() {
    std::string text;
    if (!::OpenClipboard(nullptr)) return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* wide = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = win::WideToGbk(wide);
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

class KorvexMemoryWindows : public ::testing::Test {
protected:
    void SetUp() override {
        folder = NewTempFolder("korvex_memory_windows");
        form.Create();
        ::ShowWindow(form.hwnd(), SW_SHOW);
        Pump(20);
    }
    void TearDown() override {
        if (::IsWindow(form.hwnd())) ::DestroyWindow(form.hwnd());
        Pump();
        for (const std::string& name : written) ::DeleteFileW(win::GbkToWide(name).c_str());
        ::RemoveDirectoryA(folder.c_str());
    }
    std::string Put(const std::string& name, const std::string& source) {
        const std::string path = folder + "\\" + name;
        WriteLibrary(path, source);
        written.push_back(path);
        return path;
    }
    void Command(HWND to, int id, int code = 0) {
        ::SendMessageW(to, WM_COMMAND, MAKEWPARAM(id, code), 0);
        Pump(20);
    }
    // The entry selected in KORVEX's list, as "original|translation".
    std::string SelectedEntry() {
        const int row = ListView_GetNextItem(form.List(), -1, LVNI_SELECTED);
        return row < 0 ? std::string("none") : Cell(form.List(), row, 0) + "|" + Cell(form.List(), row, 1);
    }
    std::string FileName() {
        const std::size_t at = form.Path().rfind('\\');
        return at == std::string::npos ? form.Path() : form.Path().substr(at + 1);
    }

    std::string folder;
    std::vector<std::string> written;
    TKorvexForm form;
};

TEST_F(KorvexMemoryWindows, ConcordanceFindsAWordAcrossLibrariesAndPutsATranslationIn) {
    const std::string mine = Put("我的词库.LIB", "Close=合上\r\nOpen File=打开文件\r\n");
    Put("通用.LIB",
        "File=文件\r\nFile name=文件名\r\nClose Window=关闭窗口\r\n"
        "This is a rather long original text about the file=很长的原文\r\n");
    ASSERT_TRUE(form.OpenFile(mine));
    Pump(20);
    SelectRow(form.List(), 0);  // Close=合上

    Command(form.hwnd(), IDM_CONCORDANCE);
    TConcordanceWindow* window = form.Concordance();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(::IsWindowVisible(window->hwnd()));
    EXPECT_EQ(::GetFocus(), window->WordBox());

    // Enter in the word box: the originals and translations of both libraries, shortest
    // first; a word far into a long text is kept in sight.
    ::SetWindowTextW(window->WordBox(), L"FILE");
    Command(window->hwnd(), IDOK);
    EXPECT_EQ(Rows(window->List(), 3), (std::vector<std::string>{
                                           "通用.LIB|File|文件",
                                           "通用.LIB|File name|文件名",
                                           "我的词库.LIB|Open File|打开文件",
                                           "通用.LIB|…out the file|很长的原文",
                                       }));
    EXPECT_NE(window->StatusText().find("在 2 个词库中找到 4 个条目"), std::string::npos) << window->StatusText();
    EXPECT_EQ(window->Result().hits[2].in_original, 5u);

    // Only the translations, chosen with the radio button: the search runs again.
    ::SetWindowTextW(window->WordBox(), win::GbkToWide("关闭").c_str());
    ::CheckRadioButton(window->hwnd(), IDC_CONCORDANCE_ORIGINALS, IDC_CONCORDANCE_BOTH, IDC_CONCORDANCE_TRANSLATIONS);
    Command(window->hwnd(), IDC_CONCORDANCE_TRANSLATIONS, BN_CLICKED);
    ASSERT_EQ(Rows(window->List(), 3), (std::vector<std::string>{"通用.LIB|Close Window|关闭窗口"}));
    ::CheckRadioButton(window->hwnd(), IDC_CONCORDANCE_ORIGINALS, IDC_CONCORDANCE_BOTH, IDC_CONCORDANCE_ORIGINALS);
    Command(window->hwnd(), IDC_CONCORDANCE_ORIGINALS, BN_CLICKED);
    EXPECT_EQ(ListView_GetItemCount(window->List()), 0);
    EXPECT_NE(window->StatusText().find("没有找到“关闭”"), std::string::npos) << window->StatusText();
    ::CheckRadioButton(window->hwnd(), IDC_CONCORDANCE_ORIGINALS, IDC_CONCORDANCE_BOTH, IDC_CONCORDANCE_BOTH);
    Command(window->hwnd(), IDC_CONCORDANCE_BOTH, BN_CLICKED);
    ASSERT_EQ(ListView_GetItemCount(window->List()), 1);

    // Enter on the row puts its translation into KORVEX's selected entry; undo takes it back.
    SelectRow(window->List(), 0);
    ::SetFocus(window->List());
    Command(window->hwnd(), IDOK);
    EXPECT_EQ(SelectedEntry(), "Close|关闭窗口");
    EXPECT_TRUE(form.Table().Modified());
    EXPECT_NE(window->StatusText().find("已把译文“关闭窗口”放入选定的条目"), std::string::npos);
    Command(form.hwnd(), IDM_UNDO);
    EXPECT_EQ(Cell(form.List(), 0, 1), "合上");

    // A double-click does the same.
    RECT row{};
    ListView_GetItemRect(window->List(), 0, &row, LVIR_LABEL);
    const LPARAM at = MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2);
    SelectRow(form.List(), 1);  // Open File=打开文件
    ::SendMessageW(window->List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(window->List(), WM_LBUTTONUP, 0, at);
    ::SendMessageW(window->List(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::SendMessageW(window->List(), WM_LBUTTONUP, 0, at);
    Pump(20);
    EXPECT_EQ(SelectedEntry(), "Open File|关闭窗口");

    // With no entry selected the translation is copied, and the window says so.
    SelectRow(form.List(), -1);
    SelectRow(window->List(), 0);
    ::SetFocus(window->List());
    Command(window->hwnd(), IDOK);
    EXPECT_EQ(ClipboardText(), "关闭窗口");
    EXPECT_NE(window->StatusText().find("已复制到剪贴板"), std::string::npos) << window->StatusText();
    EXPECT_EQ(Cell(form.List(), 0, 1), "合上");

    // Closing hides the window; the menu shows it again as it was.
    Command(window->hwnd(), IDCANCEL);
    EXPECT_FALSE(::IsWindowVisible(window->hwnd()));
    Command(form.hwnd(), IDM_CONCORDANCE);
    EXPECT_TRUE(::IsWindowVisible(window->hwnd()));
    EXPECT_EQ(ListView_GetItemCount(window->List()), 1);
}

TEST_F(KorvexMemoryWindows, WithoutAMemoryFolderBothWindowsSaySo) {
    // A new library has no folder, and the tests' folder has no LIB: no memory at all.
    ASSERT_EQ(::GetFileAttributesW(L"LIB"), INVALID_FILE_ATTRIBUTES);
    Command(form.hwnd(), IDM_CONCORDANCE);
    ::SetWindowTextW(form.Concordance()->WordBox(), L"file");
    Command(form.Concordance()->hwnd(), IDOK);
    EXPECT_EQ(ListView_GetItemCount(form.Concordance()->List()), 0);
    EXPECT_EQ(form.Concordance()->StatusText().rfind("没有记忆库", 0), 0u) << form.Concordance()->StatusText();
    Command(form.hwnd(), IDM_CONSISTENCY);
    EXPECT_EQ(ListView_GetItemCount(form.Consistency()->List()), 0);
    EXPECT_EQ(form.Consistency()->StatusText().rfind("没有记忆库", 0), 0u) << form.Consistency()->StatusText();
}

TEST_F(KorvexMemoryWindows, ConsistencyListsAnInconsistencyAndARowOpensItsEntry) {
    const std::string a = Put("a.LIB", "Close=关闭\r\nFile=文件\r\nSave=保存\r\n");
    // b.LIB spells the original with an access key: the same original to the memory.
    Put("b.LIB", "&Close=合上\r\nFolder=文件\r\nEdit=编辑\r\n");
    ASSERT_TRUE(form.OpenFile(a));
    Pump(20);

    Command(form.hwnd(), IDM_CONSISTENCY);
    TConsistencyWindow* window = form.Consistency();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(::IsWindowVisible(window->hwnd()));
    // Each row as its library spells it.
    EXPECT_EQ(Rows(window->List(), 5), (std::vector<std::string>{"1|Close|关闭|1|a.LIB", "1|&Close|合上|1|b.LIB"}));
    EXPECT_NE(window->StatusText().find("同一原文的不同译文 1 处，不同原文的相同译文 1 处"), std::string::npos)
        << window->StatusText();
    ::CheckRadioButton(window->hwnd(), IDC_CONSISTENCY_DIFFER, IDC_CONSISTENCY_SHARE, IDC_CONSISTENCY_SHARE);
    Command(window->hwnd(), IDC_CONSISTENCY_SHARE, BN_CLICKED);
    EXPECT_EQ(Rows(window->List(), 5), (std::vector<std::string>{"1|File|文件|1|a.LIB", "1|Folder|文件|1|b.LIB"}));

    // A row of another library opens that library and selects the entry.
    SelectRow(window->List(), 1);
    Command(window->hwnd(), IDOK);
    EXPECT_EQ(FileName(), "b.LIB");
    EXPECT_EQ(SelectedEntry(), "Folder|文件");

    // With changes made, KORVEX asks first; 取消 keeps everything as it is, 否 opens.
    ::CheckRadioButton(window->hwnd(), IDC_CONSISTENCY_DIFFER, IDC_CONSISTENCY_SHARE, IDC_CONSISTENCY_DIFFER);
    Command(window->hwnd(), IDC_CONSISTENCY_DIFFER, BN_CLICKED);
    {
        ModalAnswerer answer;
        answer.Press(IDYES);
        Command(form.hwnd(), IDM_DELETE);  // Folder=文件
        EXPECT_EQ(answer.Unanswered(), 0u);
    }
    ASSERT_TRUE(form.Table().Modified());
    SelectRow(window->List(), 0);  // Close=关闭 in a.LIB
    {
        ModalAnswerer answer;
        answer.Press(IDCANCEL);
        Command(window->hwnd(), IDOK);
        ASSERT_EQ(answer.Seen().size(), 1u);
        EXPECT_NE(answer.Seen()[0].text.find("词库“b.LIB”已修改"), std::string::npos) << answer.Seen()[0].text;
    }
    EXPECT_EQ(FileName(), "b.LIB");
    EXPECT_TRUE(form.Table().Modified());
    {
        ModalAnswerer answer;
        answer.Press(IDNO);
        Command(window->hwnd(), IDOK);
        EXPECT_EQ(answer.Unanswered(), 0u);
    }
    EXPECT_EQ(FileName(), "a.LIB");
    EXPECT_EQ(SelectedEntry(), "Close|关闭");

    // A row of the library that is open selects its entry there, also past a filter.
    ::SetWindowTextW(form.FilterBox(), L"save");
    Pump(20);
    ASSERT_EQ(ListView_GetItemCount(form.List()), 1);
    SelectRow(form.List(), 0);
    const std::string before = form.Path();
    SelectRow(window->List(), 0);
    Command(window->hwnd(), IDOK);
    EXPECT_EQ(form.Path(), before);
    EXPECT_EQ(SelectedEntry(), "Close|关闭");
    EXPECT_EQ(ListView_GetItemCount(form.List()), 3);

    // An entry that is no longer there is said to be gone; nothing else changes.
    SelectRow(window->List(), 1);                          // &Close=合上 in b.LIB, whose file still has it...
    WriteLibrary(folder + "\\b.LIB", "Close=合上了\r\n");  // ...until a colleague changes it
    {
        ModalAnswerer answer;
        answer.Press(IDOK);
        Command(window->hwnd(), IDOK);
        ASSERT_EQ(answer.Seen().size(), 1u);
        EXPECT_NE(answer.Seen()[0].text.find("没有原文为“&Close”、译文为“合上”的条目"), std::string::npos)
            << answer.Seen()[0].text;
    }
    EXPECT_EQ(FileName(), "b.LIB");
    // 重新检查 reads the folder again: the inconsistency is now with "合上了".
    Command(window->hwnd(), IDC_CONSISTENCY_AGAIN);
    EXPECT_EQ(Rows(window->List(), 5), (std::vector<std::string>{"1|Close|关闭|1|a.LIB", "1|Close|合上了|1|b.LIB"}));
}

}  // namespace
}  // namespace korvex
