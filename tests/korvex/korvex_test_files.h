#pragma once
// What the library editor's window tests share: real library files written from a word
// list, and the rows of a list view read back as the user sees them.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lexicon/base/byte_sink.h"
#include "lexicon/library/library_writer.h"
#include "lexicon/wordlist/word_list.h"
#include "win/gbk.h"

namespace korvex {

// A fresh folder under the system's temporary folder, named for the test and the process.
inline std::string NewTempFolder(const std::string& name) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + name + "_" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// Compiles `source` (which must hold no error) into a library file at `path`.
inline void WriteLibrary(const std::string& path, const std::string& source) {
    lexicon::Diagnostics diagnostics;
    const lexicon::WordList list = lexicon::compile_word_list(source, diagnostics);
    ASSERT_EQ(diagnostics.errors(), 0u) << source;
    lexicon::StringSink sink;
    lexicon::write_library(list, "test", sink);
    HANDLE file = ::CreateFileW(win::GbkToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, sink.bytes.data(), static_cast<DWORD>(sink.bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

inline std::string Cell(HWND list, int row, int column) {
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return win::WideToGbk(text);
}

// Each row of a list as "cell|cell|...".
inline std::vector<std::string> Rows(HWND list, int columns) {
    std::vector<std::string> rows;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
        std::string row;
        for (int c = 0; c < columns; ++c) row += (c ? "|" : "") + Cell(list, i, c);
        rows.push_back(row);
    }
    return rows;
}

}  // namespace korvex
