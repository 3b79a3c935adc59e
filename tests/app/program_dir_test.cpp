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

namespace {

struct PathCase {
    const char* name;
    std::string pathList;
    std::string folder;
    std::string expected;
};

TEST(ProgramDir, JoinsTheSearchPathOnceAndLast) {
    const PathCase cases[] = {
        {"added at the end", "C:\\windows;C:\\bin", "Z:\\v\\program\\", "C:\\windows;C:\\bin;Z:\\v\\program\\"},
        {"empty list", "", "Z:\\v\\program\\", "Z:\\v\\program\\"},
        {"list ending in a separator", "C:\\bin;", "Z:\\p\\", "C:\\bin;Z:\\p\\"},
        {"already there without the backslash", "C:\\bin;Z:\\v\\program;D:\\x", "Z:\\v\\program\\",
         "C:\\bin;Z:\\v\\program;D:\\x"},
        {"already there in another case", "z:\\V\\PROGRAM\\", "Z:\\v\\program\\", "z:\\V\\PROGRAM\\"},
        // The trail byte of 乗 (81 5C) is no separator to drop: C:\乗 is C:\乗\, already there.
        // 乤 (81 61, trail 'a') and 乀 (81 41, trail 'A') differ: trail bytes are not letters.
        {"trail byte 0x5C is not a separator", "C:\\\x81\x5C", "C:\\\x81\x5C\\", "C:\\\x81\x5C"},
        {"trail bytes keep their case", "C:\\\x81\x61", "C:\\\x81\x41\\", "C:\\\x81\x61;C:\\\x81\x41\\"},
        {"no folder", "C:\\bin", "", "C:\\bin"},
    };
    for (const auto& c : cases) EXPECT_EQ(app::SearchPathWithFolder(c.pathList, c.folder), c.expected) << c.name;
}

}  // namespace
