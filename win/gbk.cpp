#include "win/gbk.h"

#include <windows.h>

namespace win {

std::wstring GbkToWide(std::string_view gbk) {
    if (gbk.empty()) return {};
    int n = ::MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
    return out;
}

std::string WideToGbk(std::wstring_view wide, bool* lossy) {
    if (lossy) *lossy = false;
    if (wide.empty()) return {};
    BOOL usedDefault = FALSE;
    int n = ::WideCharToMultiByte(kGbkCodePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                  nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(kGbkCodePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr,
                          lossy ? &usedDefault : nullptr);
    if (lossy) *lossy = usedDefault != FALSE;
    return out;
}

}  // namespace win
