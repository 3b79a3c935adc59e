#include "win/error_display.h"

namespace win {

const char* const kApplicationTitle = "词库生成系统";

void ShowApplicationError(const std::string& message) {
    std::string text = message + ".";
    ::MessageBoxA(nullptr, text.c_str(), kApplicationTitle, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

void ShowErrorBox(const std::string& text) { ::MessageBoxA(nullptr, text.c_str(), "错误", MB_OK | MB_TASKMODAL); }

}  // namespace win
