// The real KORVEX window under Wine: the list, the filter, the entry dialog with the
// compiler's refusal in a real message box, saving and reopening, bad files.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korvex/korvex_form.h"
#include "korvex/library_io.h"
#include "korvex/resource_ids.h"
#include "korvex_pump.h"
#include "lexicon/base/byte_sink.h"
#include "lexicon/library/library_writer.h"
#include "lexicon/wordlist/word_list.h"
#include "tests/korvex/korvex_test_files.h"
#include "tests/support/gui_harness.h"
#include "win/gbk.h"

namespace korvex {
namespace {

using harness::ModalAnswerer;
using harness::SeenBox;

std::string Library(const std::string& source, const std::string& description) {
    lexicon::Diagnostics diagnostics;
    const lexicon::WordList list = lexicon::compile_word_list(source, diagnostics);
    lexicon::StringSink sink;
    lexicon::write_library(list, description, sink);
    return sink.bytes;
}

std::string ReadAll(const std::string& path) {
    std::string bytes;
    HANDLE file = ::CreateFileW(win::GbkToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    ::CloseHandle(file);
    return bytes;
}

void WriteAll(const std::string& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(win::GbkToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

const char* const kSource =
    "&Open...=&O.打开...\r\n"
    "Save=保存\r\n"
    "Word list=词库\r\n"
    "Open word list=打开词库\r\n"
    "Close=关闭\r\n";

class KorvexWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = NewTempFolder("korvex_window");
        path = folder + "\\菜单词库.LIB";
        WriteAll(path, Library(kSource, "菜单"));
        form.Create();
        ::ShowWindow(form.hwnd(), SW_SHOW);
        Pump(20);
    }
    void TearDown() override {
        if (::IsWindow(form.hwnd())) ::DestroyWindow(form.hwnd());
        Pump();
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        for (const std::string& name :
             {path, folder + "\\damaged.LIB", folder + "\\更新.txt", folder + "\\坏.txt", folder + "\\导出.txt"}) {
            ::SetFileAttributesW(win::GbkToWide(name).c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(win::GbkToWide(name).c_str());
        }
        ::RemoveDirectoryA(folder.c_str());
    }

    std::vector<std::string> Column(int subItem) {
        std::vector<std::string> texts;
        const int count = ListView_GetItemCount(form.List());
        for (int i = 0; i < count; ++i) {
            char text[512] = {};
            LVITEMA item{};
            item.iSubItem = subItem;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            ::SendMessageA(form.List(), LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            texts.emplace_back(text);
        }
        return texts;
    }
    std::string Status(int part) {
        char text[256] = {};
        ::SendMessageA(form.StatusBar(), SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
        return text;
    }
    void Command(int id) { ::SendMessageA(form.hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    // Fills the entry dialog and presses its OK button.
    static ModalAnswerer::Step FillEntry(const std::string& original, const std::string& translation) {
        return [=](HWND dialog) {
            ::SetDlgItemTextW(dialog, IDC_ORIGINAL, win::GbkToWide(original).c_str());
            ::SetDlgItemTextW(dialog, IDC_TRANSLATION, win::GbkToWide(translation).c_str());
            ::PostMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        };
    }

    std::string folder;
    std::string path;
    TKorvexForm form;
};

TEST_F(KorvexWindowTest, ShowsTheLibraryAndFiltersByAChineseWord) {
    ASSERT_TRUE(form.OpenFile(path));
    EXPECT_EQ(harness::WindowText(form.hwnd()), "词库编辑器 - 菜单词库.LIB");
    EXPECT_EQ(Column(0), (std::vector<std::string>{"&Open...", "Save", "Word list", "Open word list", "Close"}));
    EXPECT_EQ(Status(0), "共 5 个条目");
    EXPECT_EQ(Status(1), "显示全部 5 个");

    // Typed as an input method types it: Unicode characters through the input queue.
    ::SetForegroundWindow(form.hwnd());
    ::SetFocus(form.FilterBox());
    for (const wchar_t c : std::wstring(L"词库")) {
        INPUT key[2] = {};
        for (INPUT& k : key) {
            k.type = INPUT_KEYBOARD;
            k.ki.wScan = c;
            k.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        key[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        ::SendInput(2, key, sizeof(INPUT));
        Pump(30);
    }
    Pump(50);
    EXPECT_EQ(harness::WindowText(form.FilterBox()), "词库");
    EXPECT_EQ(Column(0), (std::vector<std::string>{"Word list", "Open word list"}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"词库", "打开词库"}));
    EXPECT_EQ(Status(0), "共 5 个条目");
    EXPECT_EQ(Status(1), "筛选后显示 2 个");

    // The filter and a sorted column together; the sort goes back to library order.
    ::SetWindowTextW(form.FilterBox(), L"open");
    NMLISTVIEW click{};
    click.hdr.hwndFrom = form.List();
    click.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(form.List()));
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = 1;
    ::SendMessageA(form.hwnd(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"&O.打开...", "打开词库"}));
    ::SendMessageA(form.hwnd(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"打开词库", "&O.打开..."}));
}

TEST_F(KorvexWindowTest, AnEntryTheCompilerRefusesIsRefusedWithItsMessage) {
    ASSERT_TRUE(form.OpenFile(path));
    std::vector<SeenBox> seen;
    {
        ModalAnswerer answer;
        answer.Then(FillEntry("%d files", "%s 个文件")).Then([](HWND box) {
            // The question sits over the entry dialog, which stays open for a correction.
            HWND dialog = ::GetWindow(box, GW_OWNER);
            ::PostMessageA(::GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        Command(IDM_ADD);
        seen = answer.Seen();
        EXPECT_EQ(answer.Unanswered(), 0u);
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, "增加条目");
    EXPECT_EQ(seen[1].caption, "词库编辑器");
    EXPECT_NE(seen[1].text.find("错误 E108: 格式占位符的顺序或类型不一致"), std::string::npos) << seen[1].text;
    // A library has no comment lines: the box asks rather than advising one.
    EXPECT_EQ(seen[1].text.find("no-placeholder-check"), std::string::npos) << seen[1].text;
    EXPECT_NE(seen[1].text.find("仍然接受这一条目吗？"), std::string::npos) << seen[1].text;
    EXPECT_EQ(form.Table().size(), 5u);
    EXPECT_FALSE(form.Table().Modified());

    // Yes: the user says the '%' is no placeholder, and the entry is taken.
    {
        ModalAnswerer answer;
        answer.Then(FillEntry("%d files", "%s 个文件")).Then([](HWND box) {
            ::PostMessageA(::GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
        });
        Command(IDM_ADD);
        EXPECT_EQ(answer.Unanswered(), 0u);
    }
    EXPECT_EQ(form.Table().size(), 6u);
    EXPECT_TRUE(form.Table().Modified());

    // A duplicate original is refused too, naming the entry that has it.
    {
        ModalAnswerer answer;
        answer.Then(FillEntry("Save", "存盘")).Then([](HWND box) {
            HWND dialog = ::GetWindow(box, GW_OWNER);
            ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        Command(IDM_ADD);
        seen = answer.Seen();
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].text, "原文“Save”已经在第 2 个条目中（译文“保存”）。\r\n同一原文在词库中只能有一个条目。");
    EXPECT_EQ(form.Table().size(), 6u);
}

// The entry dialog shows the compiler's warnings of the entry as it is typed, before OK.
TEST_F(KorvexWindowTest, TheEntryDialogShowsTheWarningsOfTheEntryAsItIsTyped) {
    ASSERT_TRUE(form.OpenFile(path));
    std::string faulty, mended;
    {
        ModalAnswerer answer;
        answer.Then([&](HWND dialog) {
            // As typing or pasting does: a multi-line field reports no change of WM_SETTEXT.
            const auto type = [dialog](int id, const std::string& text) {
                ::SendDlgItemMessageW(dialog, id, EM_SETSEL, 0, -1);
                ::SendDlgItemMessageW(dialog, id, EM_REPLACESEL, TRUE,
                                      reinterpret_cast<LPARAM>(win::GbkToWide(text).c_str()));
            };
            type(IDC_ORIGINAL, "Open, then save (&S)");
            type(IDC_TRANSLATION, "打开,然后保存(&S)");
            faulty = harness::WindowText(::GetDlgItem(dialog, IDC_ENTRY_WARNINGS));
            type(IDC_TRANSLATION, "打开，然后保存(&S)");
            mended = harness::WindowText(::GetDlgItem(dialog, IDC_ENTRY_WARNINGS));
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        Command(IDM_ADD);
        EXPECT_EQ(answer.Unanswered(), 0u);
    }
    EXPECT_EQ(faulty, "警告 W212: 译文第 3 个字符是半角的“,”，中文里应写全角的“，”");
    EXPECT_EQ(mended, "");
    EXPECT_EQ(form.Table().size(), 5u);
}

TEST_F(KorvexWindowTest, AnAddedEntryIsSavedAndSeenAfterReopening) {
    ASSERT_TRUE(form.OpenFile(path));
    {
        ModalAnswerer answer;
        answer.Then(FillEntry("Find=next", "查找下一个"));
        Command(IDM_ADD);
        EXPECT_EQ(answer.Seen().size(), 1u);
    }
    EXPECT_EQ(harness::WindowText(form.hwnd()), "词库编辑器 - 菜单词库.LIB *");
    EXPECT_EQ(Status(2), "已修改");
    Command(IDM_SAVE);
    EXPECT_EQ(harness::WindowText(form.hwnd()), "词库编辑器 - 菜单词库.LIB");
    EXPECT_EQ(ReadAll(path), Library(std::string(kSource) + "Find\\=next=查找下一个\r\n", "菜单"));

    TKorvexForm reopened;
    reopened.Create();
    ASSERT_TRUE(reopened.OpenFile(path));
    ASSERT_EQ(reopened.Table().size(), 6u);
    EXPECT_EQ(reopened.Table().at(5).original, "Find=next");
    EXPECT_EQ(reopened.Table().at(5).translation, "查找下一个");
    EXPECT_EQ(reopened.Table().description(), "菜单");
}

TEST_F(KorvexWindowTest, ADamagedFileIsNamedWithWhatIsWrongAndNothingIsOpened) {
    std::string bytes = Library(kSource, "菜单");
    bytes[bytes.size() / 2] ^= 0x20;
    const std::string damaged = folder + "\\damaged.LIB";
    WriteAll(damaged, bytes);
    ModalAnswerer answer;
    answer.Press(IDOK);
    EXPECT_FALSE(form.OpenFile(damaged));
    ASSERT_EQ(answer.Seen().size(), 1u);
    EXPECT_EQ(answer.Seen()[0].caption, "词库编辑器");
    EXPECT_EQ(answer.Seen()[0].text, "无法打开词库“" + damaged + "”：词库文件已损坏（校验和不对）。");
    EXPECT_EQ(harness::WindowText(form.hwnd()), "词库编辑器 - 未命名");
    EXPECT_EQ(form.Table().size(), 0u);
}

TEST_F(KorvexWindowTest, ALibraryIsNotSavedOverAReadOnlyFileAndTheEditsStay) {
    ASSERT_TRUE(form.OpenFile(path));
    const std::string before = ReadAll(path);
    ::SetFileAttributesW(win::GbkToWide(path).c_str(), FILE_ATTRIBUTE_READONLY);
    ListView_SetItemState(form.List(), 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ModalAnswerer answer;
    answer.Press(IDYES).Press(IDOK);
    Command(IDM_DELETE);
    Command(IDM_SAVE);
    ASSERT_EQ(answer.Seen().size(), 2u);
    EXPECT_EQ(answer.Seen()[0].text, "删除条目“Save”吗？");
    EXPECT_EQ(answer.Seen()[1].text, "无法保存词库“" + path + "”：文件是只读的。\n修改仍保留在编辑器中。");
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(form.Table().size(), 4u);
    EXPECT_TRUE(form.Table().Modified());
    Command(IDM_UNDO);
    EXPECT_EQ(Column(0)[1], "Save");
    EXPECT_FALSE(form.Table().Modified());
}

TEST_F(KorvexWindowTest, EnterEditsTheFocusedEntryWithItsEscapesShown) {
    WriteAll(path, Library("Tab\\there=制表符\\t\\r\\n\r\nSave=保存\r\n", ""));
    ASSERT_TRUE(form.OpenFile(path));
    EXPECT_EQ(Column(1)[0], "制表符\\t\\r\\n");
    ::SetFocus(form.List());
    ListView_SetItemState(form.List(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    std::string caption, original, translation;
    ModalAnswerer answer;
    answer.Then([&](HWND dialog) {
        caption = harness::WindowText(dialog);
        original = harness::WindowText(::GetDlgItem(dialog, IDC_ORIGINAL));
        translation = harness::WindowText(::GetDlgItem(dialog, IDC_TRANSLATION));
        ::SetDlgItemTextW(dialog, IDC_TRANSLATION, L"制表符\\\\");
        ::PostMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    harness::SendKeys(VK_RETURN);
    for (int i = 0; i < 100 && answer.Seen().empty(); ++i) Pump(20);
    Pump(50);
    EXPECT_EQ(caption, "修改条目");
    EXPECT_EQ(original, "Tab\\there");
    EXPECT_EQ(translation, "制表符\\t\\r\\n");
    EXPECT_EQ(form.Table().at(0).translation, "制表符\\");
    EXPECT_EQ(Column(1)[0], "制表符\\\\");
}

// Control characters from a catalogue (a bell, a field separator) are held raw in the
// library; the list and the dialog show them as the word list writes them, and what is
// typed that way is stored raw again.
TEST_F(KorvexWindowTest, ControlCharactersAreShownAndEditedAsEscapes) {
    WriteAll(path, Library("Ring\\a=响铃\\a\r\nyes\\x1Fy=是\\x1Fy\r\n", ""));
    ASSERT_TRUE(form.OpenFile(path));
    EXPECT_EQ(form.Table().at(1).translation, "是\x1Fy");
    EXPECT_EQ(Column(0), (std::vector<std::string>{"Ring\\a", "yes\\x1Fy"}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"响铃\\a", "是\\x1Fy"}));
    ::SetFocus(form.List());
    ListView_SetItemState(form.List(), 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    std::string original, translation;
    ModalAnswerer answer;
    answer.Then([&](HWND dialog) {
        original = harness::WindowText(::GetDlgItem(dialog, IDC_ORIGINAL));
        translation = harness::WindowText(::GetDlgItem(dialog, IDC_TRANSLATION));
        ::SetDlgItemTextW(dialog, IDC_ORIGINAL, L"yes\\x1Fy\\b");
        ::SetDlgItemTextW(dialog, IDC_TRANSLATION, L"\\v\\f是\\x1Fy\\b");
        ::PostMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    Command(IDM_CHANGE);
    EXPECT_EQ(answer.Unanswered(), 0u);
    EXPECT_EQ(original, "yes\\x1Fy");
    EXPECT_EQ(translation, "是\\x1Fy");
    EXPECT_EQ(form.Table().at(1).original, "yes\x1Fy\b");
    EXPECT_EQ(form.Table().at(1).translation, "\v\f是\x1Fy\b");
    EXPECT_EQ(Column(1)[1], "\\v\\f是\\x1Fy\\b");
}

// A program's --help text, thousands of bytes over many lines: typed with Enter between
// the lines into multi-line fields with scroll bars, in a dialog made larger, stored with
// line feeds, and shown again a line for each.
TEST_F(KorvexWindowTest, TheEntryDialogEditsALongTextOfManyLinesAndGrows) {
    ASSERT_TRUE(form.OpenFile(path));
    std::string original, translation, typed_original, typed_translation;
    for (int i = 1; i <= 55; ++i) {
        const std::string n = std::to_string(i);
        original += "Line " + n + " of the help text: --option-" + n + " does one thing well.\n";
        translation += "帮助文字第 " + n + " 行：--option-" + n + " 只做好一件事。\n";
        typed_original += "Line " + n + " of the help text: --option-" + n + " does one thing well.\r\n";
        typed_translation += "帮助文字第 " + n + " 行：--option-" + n + " 只做好一件事。\r\n";
    }
    ASSERT_GT(original.size(), 3000u);
    LONG_PTR edit_style = 0, dialog_style = 0;
    RECT before{}, after{}, dialog_before{}, dialog_after{};
    {
        ModalAnswerer answer;
        answer.Then([&](HWND dialog) {
            HWND field = ::GetDlgItem(dialog, IDC_TRANSLATION);
            edit_style = ::GetWindowLongPtrW(field, GWL_STYLE);
            dialog_style = ::GetWindowLongPtrW(dialog, GWL_STYLE);
            ::GetWindowRect(field, &before);
            ::GetWindowRect(dialog, &dialog_before);
            ::SetWindowPos(dialog, nullptr, 0, 0, dialog_before.right - dialog_before.left + 200,
                           dialog_before.bottom - dialog_before.top + 160, SWP_NOMOVE | SWP_NOZORDER);
            ::GetWindowRect(dialog, &dialog_after);
            ::GetWindowRect(field, &after);
            ::SetDlgItemTextW(dialog, IDC_ORIGINAL, win::GbkToWide(typed_original).c_str());
            ::SetDlgItemTextW(dialog, IDC_TRANSLATION, win::GbkToWide(typed_translation).c_str());
            ::PostMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
        Command(IDM_ADD);
        EXPECT_EQ(answer.Unanswered(), 0u);
        EXPECT_EQ(answer.Seen().size(), 1u);  // no message box: nothing refused, no warning
    }
    EXPECT_TRUE(edit_style & ES_MULTILINE);
    EXPECT_TRUE(edit_style & WS_VSCROLL);
    EXPECT_TRUE(dialog_style & WS_THICKFRAME);
    EXPECT_EQ(dialog_after.right - dialog_after.left, dialog_before.right - dialog_before.left + 200);
    EXPECT_EQ(after.right - after.left, before.right - before.left + 200);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + 80);  // half of what the dialog grew
    ASSERT_EQ(form.Table().size(), 6u);
    EXPECT_EQ(form.Table().at(5).original, original);
    EXPECT_EQ(form.Table().at(5).translation, translation);

    ListView_SetItemState(form.List(), 5, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    LRESULT lines = 0, first_visible = -1;
    DWORD selection_start = 1, selection_end = 1;
    std::string shown;
    {
        ModalAnswerer answer;
        answer.Then([&](HWND dialog) {
            // The focused original opens at its first line, not selected to its end.
            first_visible = ::SendDlgItemMessageW(dialog, IDC_ORIGINAL, EM_GETFIRSTVISIBLELINE, 0, 0);
            ::SendDlgItemMessageW(dialog, IDC_ORIGINAL, EM_GETSEL, reinterpret_cast<WPARAM>(&selection_start),
                                  reinterpret_cast<LPARAM>(&selection_end));
            lines = ::SendDlgItemMessageW(dialog, IDC_TRANSLATION, EM_GETLINECOUNT, 0, 0);
            shown = harness::WindowText(::GetDlgItem(dialog, IDC_TRANSLATION));
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        Command(IDM_CHANGE);
    }
    EXPECT_EQ(first_visible, 0);
    EXPECT_EQ(selection_start, 0u);
    EXPECT_EQ(selection_end, 0u);
    EXPECT_GE(lines, 55);
    EXPECT_EQ(shown.substr(0, shown.find("\r\n", shown.find("\r\n") + 1)),
              "帮助文字第 1 行：--option-1 只做好一件事。\\n\r\n帮助文字第 2 行：--option-2 只做好一件事。\\n");
}

TEST_F(KorvexWindowTest, ClosingWithUnsavedChangesAsksAndCancelKeepsTheWindow) {
    ASSERT_TRUE(form.OpenFile(path));
    ListView_SetItemState(form.List(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    {
        ModalAnswerer answer;
        answer.Press(IDYES).Press(IDCANCEL);
        Command(IDM_DELETE);
        ::SendMessageA(form.hwnd(), WM_CLOSE, 0, 0);
        ASSERT_EQ(answer.Seen().size(), 2u);
        EXPECT_EQ(answer.Seen()[1].text, "词库“菜单词库.LIB”已修改。\n要保存修改吗？");
        EXPECT_EQ(answer.Seen()[1].buttons, (std::vector<std::string>{"是(&Y)", "否(&N)", "取消"}));
    }
    EXPECT_TRUE(::IsWindow(form.hwnd()));
    {
        ModalAnswerer answer;
        answer.Press(IDNO);
        ::SendMessageA(form.hwnd(), WM_CLOSE, 0, 0);
    }
    EXPECT_FALSE(::IsWindow(form.hwnd()));
    EXPECT_EQ(ReadAll(path), Library(kSource, "菜单"));
}

// Types a path into a file dialog's name box and presses its OK button.
ModalAnswerer::Step ChooseFile(const std::string& file) {
    return [=](HWND dialog) {
        ::SetDlgItemTextW(dialog, 0x47C, win::GbkToWide(file).c_str());
        ::PostMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    };
}

// Writes a word list, imports it through the open dialog and returns what the box that
// follows says.
std::string ImportThroughDialog(HWND form, const std::string& file, const std::string& words) {
    WriteAll(file, words);
    ModalAnswerer answer;
    answer.Then(ChooseFile(file)).Press(IDOK);
    ::SendMessageA(form, WM_COMMAND, IDM_IMPORT, 0);
    EXPECT_EQ(answer.Seen().size(), 2u);
    return answer.Seen().size() == 2 ? answer.Seen()[1].text : std::string();
}

TEST_F(KorvexWindowTest, ImportThroughTheOpenDialogMergesAndExportCompilesToTheSameLibrary) {
    ASSERT_TRUE(form.OpenFile(path));
    const std::string bad = folder + "\\坏.txt";
    const std::string refusal = ImportThroughDialog(form.hwnd(), bad, "Find=查找\r\nno equals sign\r\n");
    EXPECT_EQ(refusal.rfind("词表“" + bad + "”有 1 个错误，没有导入任何条目：\r\n\r\n坏.txt(2): 错误 E101: ", 0), 0u)
        << refusal;
    EXPECT_FALSE(form.Table().Modified());

    const std::string update = folder + "\\更新.txt";
    EXPECT_EQ(ImportThroughDialog(form.hwnd(), update, "Save=存盘\r\nFind=查找\r\nClose=关闭\r\n"),
              "已导入词表“" + update + "”：\r\n增加了 1 个条目，修改了 1 个条目，1 个条目保持不变。");
    EXPECT_EQ(Column(1), (std::vector<std::string>{"&O.打开...", "存盘", "词库", "打开词库", "关闭", "查找"}));
    EXPECT_EQ(Status(0), "共 6 个条目");

    const std::string exported = folder + "\\导出.txt";
    {
        ModalAnswerer answer;
        answer.Then(ChooseFile(exported));
        Command(IDM_EXPORT);
        EXPECT_EQ(answer.Seen().size(), 1u);
    }
    EXPECT_EQ(Library(ReadAll(exported), "菜单"), LibraryBytes(form.Table()));

    Command(IDM_UNDO);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"&O.打开...", "保存", "词库", "打开词库", "关闭"}));
    EXPECT_FALSE(form.Table().Modified());
}

TEST_F(KorvexWindowTest, PropertiesRefuseADescriptionWithADoubleQuoteAndTakeAGoodOne) {
    ASSERT_TRUE(form.OpenFile(path));
    std::string shownDescription;
    ModalAnswerer answer;
    answer
        .Then([&](HWND dialog) {
            shownDescription = harness::WindowText(::GetDlgItem(dialog, IDC_DESCRIPTION));
            ::SetDlgItemTextW(dialog, IDC_DESCRIPTION, L"带\"引号\"的说明");
            ::PostMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        })
        .Then([](HWND box) {
            HWND dialog = ::GetWindow(box, GW_OWNER);
            ::PostMessageA(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            ::SetDlgItemTextW(dialog, IDC_DESCRIPTION, L"软件菜单");
            ::PostMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        });
    Command(IDM_PROPERTIES);
    ASSERT_EQ(answer.Seen().size(), 2u);
    EXPECT_EQ(answer.Seen()[0].caption, "词库属性");
    EXPECT_EQ(shownDescription, "菜单");
    EXPECT_EQ(answer.Seen()[1].text, "词库说明中不能有双引号“\"”。");
    EXPECT_EQ(form.Table().description(), "软件菜单");
    EXPECT_TRUE(form.Table().Modified());
}

TEST_F(KorvexWindowTest, ALibraryDroppedOntoTheWindowOpens) {
    const std::wstring wide = win::GbkToWide(path);
    // The drop as the shell hands it over: DROPFILES, then the names, each ending in a zero,
    // and one more zero.
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + (wide.size() + 2) * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::copy(wide.begin(), wide.end(), reinterpret_cast<wchar_t*>(drop + 1));
    ::GlobalUnlock(memory);
    ::SendMessageA(form.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(harness::WindowText(form.hwnd()), "词库编辑器 - 菜单词库.LIB");
    EXPECT_EQ(Status(0), "共 5 个条目");
}

TEST_F(KorvexWindowTest, TheOpenDialogStartsInTheLibFolderOfTheCurrentFolder) {
    const std::string lib = folder + "\\LIB";
    ::CreateDirectoryA(lib.c_str(), nullptr);
    char saved[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, saved);
    ::SetCurrentDirectoryA(folder.c_str());
    wchar_t start[MAX_PATH] = {};
    {
        ModalAnswerer answer;
        answer.Then([&](HWND dialog) {
            ::SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(start));
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        Command(IDM_OPEN);
    }
    ::SetCurrentDirectoryA(saved);
    ::RemoveDirectoryA(lib.c_str());
    EXPECT_EQ(::lstrcmpiW(start, win::GbkToWide(lib).c_str()), 0) << win::WideToGbk(start);
}

TEST_F(KorvexWindowTest, ChangeAndDeleteNeedASelectionAndUndoAStep) {
    ASSERT_TRUE(form.OpenFile(path));
    HMENU edit = ::GetSubMenu(::GetMenu(form.hwnd()), 1);
    auto enabled = [&](UINT id) {
        ::SendMessageA(form.hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
        return (::GetMenuState(edit, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
    };
    EXPECT_EQ(harness::ReadMenuBar(form.hwnd())[0].text, "&F.文件");
    EXPECT_FALSE(enabled(IDM_CHANGE));
    EXPECT_FALSE(enabled(IDM_DELETE));
    EXPECT_FALSE(enabled(IDM_UNDO));
    EXPECT_TRUE(enabled(IDM_ADD));
    ListView_SetItemState(form.List(), 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_TRUE(enabled(IDM_CHANGE));
    EXPECT_TRUE(enabled(IDM_DELETE));
    {
        ModalAnswerer answer;
        answer.Press(IDYES);
        Command(IDM_DELETE);
    }
    EXPECT_TRUE(enabled(IDM_UNDO));
}

}  // namespace
}  // namespace korvex
