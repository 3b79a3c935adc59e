#include "win/error_display.h"

namespace win {

const char* const kApplicationTitle = "词库生成系统";

void ShowApplicationError(const std::string& message, const std::string& detail) {
    std::string text = message + ".";
    if (!detail.empty()) text += "\n" + detail;
    ::MessageBoxA(nullptr, text.c_str(), kApplicationTitle, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

void ShowApplicationError(const std::exception& error) {
    const auto* command = dynamic_cast<const CommandError*>(&error);
    ShowApplicationError(error.what(), command ? command->Detail() : std::string());
}

void ShowErrorBox(const std::string& text) { ::MessageBoxA(nullptr, text.c_str(), "错误", MB_OK | MB_TASKMODAL); }

}  // namespace win
