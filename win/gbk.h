#pragma once
// Conversions between GBK (code page 936) and UTF-16. Always code page 936,
// never the process's ANSI code page: the program speaks GBK on every system.
#include <string>
#include <string_view>

namespace win {

constexpr unsigned kGbkCodePage = 936;

std::wstring GbkToWide(std::string_view gbk);
// `lossy` (optional) is set when a character has no GBK form and was replaced.
std::string WideToGbk(std::wstring_view wide, bool* lossy = nullptr);

}  // namespace win
