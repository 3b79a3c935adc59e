#include "korvex/file_dialogs.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "lexicon/base/gbk.h"
#include "win/gbk.h"

namespace korvex {

const wchar_t* const kLibraryFilter = L"词库文件 (*.LIB)\0*.LIB\0所有文件 (*.*)\0*.*\0";
const wchar_t* const kWordListFilter = L"词表 (*.trs;*.txt)\0*.trs;*.txt\0所有文件 (*.*)\0*.*\0";

std::string FolderOf(const std::string& path) {
    const std::size_t at = lexicon::gbk::find_last_separator(path);
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

std::string AskFileName(HWND owner, bool save, const wchar_t* filter, const wchar_t* extension,
                        const std::string& startFolder, const std::string& startName) {
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring initial = win::GbkToWide(startName);
    std::copy(initial.begin(), initial.end(), name.begin());
    const std::wstring folder = win::GbkToWide(startFolder);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrDefExt = extension;
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL ok = save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    if (!ok) return {};
    return win::WideToGbk(name.data());
}

std::string LibraryFolder() {
    const DWORD attributes = ::GetFileAttributesW(L"LIB");
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    wchar_t full[MAX_PATH * 2] = {};
    if (!::GetFullPathNameW(L"LIB", MAX_PATH * 2, full, nullptr)) return {};
    return win::WideToGbk(full);
}

}  // namespace korvex
