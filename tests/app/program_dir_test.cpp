#include "app/program_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    const char* name;
    std::string path;
    std::string dir;
};

TEST(ProgramDir, IsTheFolderWithItsTrailingBackslash) {
    const std::string longFolder = "C:\\" + std::string(300, 'd') + "\\";
    const Case cases[] = {
        {"plain", "C:\\TOOLS\\APP.EXE", "C:\\TOOLS\\"},
        {"no backslash", "APP.EXE", ""},
        {"root", "C:\\APP.EXE", "C:\\"},
        {"empty", "", ""},
        // Longer than 256 bytes: never cut, the program still finds its folder.
        {"long path", longFolder + "Velmora.exe", longFolder},
        // 乗 is 81 5C: its trail byte is a backslash and must not end the folder.
        {"trail byte 0x5C in the file name", "C:\\TOOLS\\\x81\x5C.EXE", "C:\\TOOLS\\"},
        {"trail byte 0x5C in a folder", "C:\\\x81\x5C\\APP.EXE", "C:\\\x81\x5C\\"},
        {"unix-style path under Wine", "Z:\\home\\u\\program\\Velmora.exe", "Z:\\home\\u\\program\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(app::ProgramDirFromPath(c.path), c.dir) << c.name;
}

}  // namespace
