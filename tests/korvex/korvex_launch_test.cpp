// KORVEX.EXE as a process: a library named on its command line opens; an extracted word
// list is translated through the suggestions and saved byte for byte; the editor's
// "编辑" tool button and its 词库编辑器 menu item start it.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "korvex/resource_ids.h"
#include "lexicon/base/byte_sink.h"
#include "lexicon/base/escapes.h"
#include "lexicon/library/library_writer.h"
#include "lexicon/program/program_extract.h"
#include "lexicon/wordlist/word_list.h"
#include "tests/support/gui_harness.h"
#include "win/handles.h"

namespace {

std::string ProgramDir() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string self(path);
    // Tests live in <build>\tests\korvex, the programs in <build>\program.
    return self.substr(0, self.rfind('\\')) + "\\..\\..\\program\\";
}

struct Search {
    std::string className;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (::IsWindowVisible(hwnd) && harness::ClassName(hwnd) == search->className) search->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> VisibleWindows(const char* className) {
    Search search{className, {}};
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits for a KORVEX window that was not there before; pumps this thread meanwhile.
HWND WaitForKorvex(const std::vector<HWND>& before, app::Application* application = nullptr) {
    const DWORD started = ::GetTickCount();
    while (::GetTickCount() - started < 20000) {
        for (HWND w : VisibleWindows("TKorvexForm")) {
            bool old = false;
            for (HWND b : before) old |= b == w;
            if (!old) return w;
        }
        if (application) {
            harness::Pump(*application, 50);
        } else {
            ::Sleep(50);
        }
    }
    return nullptr;
}

// Closes a KORVEX window of another process and waits until its process has ended.
void CloseKorvex(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    win::KernelHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid));
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    if (process) {
        EXPECT_EQ(::WaitForSingleObject(process.get(), 20000), WAIT_OBJECT_0);
    }
}

win::KernelHandle Start(const std::string& command, DWORD* pid = nullptr) {
    STARTUPINFOA si{sizeof si};
    PROCESS_INFORMATION pi{};
    std::string line = command;
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start " << command;
        return win::KernelHandle();
    }
    ::CloseHandle(pi.hThread);
    if (pid) *pid = pi.dwProcessId;
    return win::KernelHandle(pi.hProcess);
}

TEST(KorvexProcess, OpensTheLibraryNamedOnItsCommandLine) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "korvex_cmdline_" + std::to_string(::GetCurrentProcessId()) + ".LIB";
    {
        lexicon::Diagnostics diagnostics;
        const lexicon::WordList list = lexicon::compile_word_list("Open=打开\r\n", diagnostics);
        lexicon::StringSink sink;
        lexicon::write_library(list, "", sink);
        win::FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ::WriteFile(file.get(), sink.bytes.data(), static_cast<DWORD>(sink.bytes.size()), &written, nullptr);
    }
    const auto before = VisibleWindows("TKorvexForm");
    win::KernelHandle process = Start("\"" + ProgramDir() + "KORVEX.EXE\" \"" + path + "\"");
    HWND window = WaitForKorvex(before);
    ASSERT_NE(window, nullptr);
    // The caption follows the opening of the file; give it a moment after the window shows.
    std::string caption;
    for (int i = 0; i < 100 && caption.find(".LIB") == std::string::npos; ++i) {
        ::Sleep(50);
        caption = harness::WindowText(window);
    }
    EXPECT_EQ(caption, "词库编辑器 - korvex_cmdline_" + std::to_string(::GetCurrentProcessId()) + ".LIB");
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(::WaitForSingleObject(process.get(), 20000), WAIT_OBJECT_0);
    DWORD exitCode = 1234;
    ::GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    ::DeleteFileA(path.c_str());
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string WineProgram(const char* name) {
    for (const char* folder :
         {"Z:\\usr\\lib\\i386-linux-gnu\\wine\\i386-windows\\", "Z:\\usr\\lib\\wine\\i386-windows\\"}) {
        const std::string path = std::string(folder) + name;
        if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return path;
    }
    return "";
}

// The word list of a program's texts, with translations into `language` where it has them.
std::string Extract(const std::string& bytes, std::uint16_t language) {
    lexicon::Diagnostics diagnostics;
    lexicon::ProgramExtractor extractor({std::nullopt, language});
    EXPECT_TRUE(extractor.add("notepad.exe", bytes, diagnostics));
    return extractor.word_list();
}

// A program's new strings translated as a user does: the extracted list (no translation
// for the language asked) opens with its untranslated entries, F8 goes to the next one,
// Ctrl+1 takes the memory's first suggestion, and saving changes those two lines only.
TEST(KorvexProcess, AnExtractedWordListIsTranslatedThroughTheSuggestionsAndSavedByteForByte) {
    const std::string program = WineProgram("notepad.exe");
    if (program.empty()) GTEST_SKIP() << "Wine's programs are not on this machine";
    const std::string bytes = ReadAll(program);
    const std::string list = Extract(bytes, 0x0477);  // a language Wine has no texts for
    lexicon::Diagnostics diagnostics;
    const lexicon::WordList compiled = lexicon::compile_word_list(list, diagnostics);
    ASSERT_EQ(compiled.entries().size(), 0u);
    ASSERT_GE(compiled.untranslated().size(), 2u);
    const std::string first(compiled.original(compiled.untranslated()[0]));
    const std::string second(compiled.original(compiled.untranslated()[1]));

    // The memory beside the list: a library with the program's Chinese texts of both.
    const std::string chinese = Extract(bytes, 0x0804);
    lexicon::Diagnostics ignored;
    const lexicon::WordList known = lexicon::compile_word_list(chinese, ignored);
    std::string memoryList, firstTranslation, secondTranslation;
    for (const lexicon::Entry& e : known.entries()) {
        const std::string original(known.original(e));
        if (original != first && original != second) continue;
        (original == first ? firstTranslation : secondTranslation) = known.translation(e);
        memoryList += lexicon::escape_text(original, lexicon::EscapeFor::Original) + "=" +
                      lexicon::escape_text(known.translation(e), lexicon::EscapeFor::Translation) + "\r\n";
    }
    ASSERT_FALSE(firstTranslation.empty());
    ASSERT_FALSE(secondTranslation.empty());

    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "korvex_translate_" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder.c_str(), nullptr);
    {
        lexicon::Diagnostics d;
        const lexicon::WordList memory = lexicon::compile_word_list(memoryList, d);
        lexicon::StringSink sink;
        ASSERT_TRUE(lexicon::write_library(memory, "", sink));
        WriteAll(folder + "\\common.LIB", sink.bytes);
    }
    const std::string path = folder + "\\notepad.trs";
    WriteAll(path, list);

    const auto before = VisibleWindows("TKorvexForm");
    win::KernelHandle process = Start("\"" + ProgramDir() + "KORVEX.EXE\" \"" + path + "\"");
    HWND window = WaitForKorvex(before);
    ASSERT_NE(window, nullptr);
    std::string caption;
    for (int i = 0; i < 100 && caption.find("notepad.trs") == std::string::npos; ++i) {
        ::Sleep(50);
        caption = harness::WindowText(window);
    }
    ASSERT_EQ(caption, "词库编辑器 - notepad.trs");
    // What the keys send: F8, Ctrl+1 (as the 翻译 menu's items), twice, then Ctrl+S.
    const auto command = [window](int id) {
        DWORD_PTR result = 0;
        EXPECT_NE(
            ::SendMessageTimeoutA(window, WM_COMMAND, static_cast<WPARAM>(id), 0, SMTO_ABORTIFHUNG, 20000, &result), 0)
            << "command " << id;
    };
    for (int i = 0; i < 2; ++i) {
        command(IDM_NEXT_PENDING);
        command(IDM_SUGGESTION_1);
    }
    command(IDM_SAVE);

    std::string expected = list;
    for (const auto& [original, translation] : {std::pair{first, firstTranslation}, {second, secondTranslation}}) {
        const std::string line = "\r\n" + lexicon::escape_text(original, lexicon::EscapeFor::Original) + "=\r\n";
        const std::size_t at = expected.find(line);
        ASSERT_NE(at, std::string::npos) << original;
        expected.insert(at + line.size() - 2, lexicon::escape_text(translation, lexicon::EscapeFor::Translation));
    }
    EXPECT_EQ(ReadAll(path), expected);

    ::PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(::WaitForSingleObject(process.get(), 20000), WAIT_OBJECT_0) << "KORVEX asked something on closing";
    ::DeleteFileA(path.c_str());
    ::DeleteFileA((folder + "\\common.LIB").c_str());
    ::RemoveDirectoryA(folder.c_str());
}

TEST(KorvexProcess, TheEditorsLexiconEditorMenuItemStartsIt) {
    const auto before = VisibleWindows("TKorvexForm");
    DWORD pid = 0;
    win::KernelHandle velmora = Start("\"" + ProgramDir() + "Velmora.exe\"", &pid);
    HWND main = nullptr;
    for (DWORD started = ::GetTickCount(); !main && ::GetTickCount() - started < 20000;) {
        ::Sleep(50);
        for (HWND w : VisibleWindows("TMDIForm")) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(w, &owner);
            if (owner == pid) main = w;
        }
    }
    ASSERT_NE(main, nullptr);
    // What the 工具 menu's 词库编辑器 item sends when it is chosen.
    ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(app::TMDIForm::ElementId(app::Element::S1), 0), 0);
    HWND korvex = WaitForKorvex(before);
    EXPECT_NE(korvex, nullptr) << "no KORVEX window";
    if (korvex) CloseKorvex(korvex);
    ::PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(velmora.get(), 20000), WAIT_OBJECT_0);
}

// The editor in this process, as the other window tests run it; KORVEX.EXE is found in
// the current folder, as WinExec finds a program by its bare name.
class EditButton : public harness::AppTest {};

TEST_F(EditButton, StartsKorvex) {
    char saved[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, saved);
    ::SetCurrentDirectoryA(ProgramDir().c_str());
    const auto before = VisibleWindows("TKorvexForm");
    HWND button = Button(app::Element::LibMan);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(harness::WindowText(button), "编辑");
    ::SendMessageA(button, BM_CLICK, 0, 0);
    HWND korvex = WaitForKorvex(before, &App());
    ::SetCurrentDirectoryA(saved);
    ASSERT_NE(korvex, nullptr) << "no KORVEX window";
    EXPECT_EQ(harness::WindowText(korvex), "词库编辑器 - 未命名");
    CloseKorvex(korvex);
}

}  // namespace
