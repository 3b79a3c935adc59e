#include "documents/load_estimate.h"

#include <cstdio>

namespace documents {

namespace {

// Measured on the bare control under Wine, 32-bit (bench/editor/run_big_lists.sh): the
// same 10 MB of GBK held 1,633 MB of private memory in 194,287 lines and 1,432 MB in
// 48,571 lines.
const std::uint64_t kPerByte = 137;   // the characters, their runs and the undo record
const std::uint64_t kPerLine = 1450;  // a laid-out paragraph
const std::uint64_t kCopies = 2;      // the text, and the one kept for undoing 全部替换

}  // namespace

std::uint64_t EstimatedOpenBytes(std::uint64_t bytes, std::uint64_t lines) {
    return kCopies * (bytes * kPerByte + lines * kPerLine);
}

std::string SizeText(std::uint64_t bytes) {
    char text[32];
    const double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);
    if (mb >= 1024.0) {
        std::snprintf(text, sizeof text, "%.1f GB", mb / 1024.0);
    } else {
        std::snprintf(text, sizeof text, "%.1f MB", mb);
    }
    return text;
}

std::string TooLargeToOpenMessage(std::string_view path, std::uint64_t bytes, std::uint64_t needed,
                                  std::uint64_t available) {
    return "文件" + std::string(path) + "有 " + SizeText(bytes) + "，编辑器打开它大约要用 " + SizeText(needed) +
           " 内存（包括一次全部替换），超过了本程序还能使用的 " + SizeText(available) +
           "，所以没有打开。\r\n其他窗口里的文档不受影响。\r\n这样大的词表请直接用 Mervik 编译：Mervik "
           "能编译这种大小的词表。";
}

}  // namespace documents
