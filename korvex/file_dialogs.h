#pragma once
// The common open and save dialogs over GBK paths, and the folders they start in.
#include <windows.h>

#include <string>

namespace korvex {

extern const wchar_t* const kLibraryFilter;
extern const wchar_t* const kWordListFilter;

// The folder part of a GBK path, without the trailing separator.
std::string FolderOf(const std::string& path);

// A common file dialog over GBK paths; empty when cancelled.
std::string AskFileName(HWND owner, bool save, const wchar_t* filter, const wchar_t* extension,
                        const std::string& startFolder, const std::string& startName);

// The "LIB" folder of the current folder, where the editor's generation run writes its
// libraries, when there is one.
std::string LibraryFolder();

}  // namespace korvex
