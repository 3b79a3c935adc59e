#pragma once
// A generation test whose Mervik.exe is the stand-in compiler: it writes a chosen
// Mervik.ERR or hangs, as the fault tests need; its files are removed afterwards.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/generation/generation_fixture.h"

namespace faults {

// How many compiler processes run now: after a test, none of them may be left.
inline int CompilerProcesses() {
    int count = 0;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry))
        count += ::lstrcmpiA(entry.szExeFile, "Mervik.exe") == 0;
    ::CloseHandle(snapshot);
    return count;
}

// The temporary files a folder holds (a safe save or a run that was stopped may leave them).
inline std::vector<std::string> TemporaryFilesIn(const std::string& folder) {
    std::vector<std::string> found;
    WIN32_FIND_DATAA data;
    HANDLE search = ::FindFirstFileA((folder + "*.tmp").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do found.push_back(data.cFileName);
    while (::FindNextFileA(search, &data));
    ::FindClose(search);
    return found;
}

class StandInCompilerTest : public gentest::GenerationTest {
protected:
    void SetUp() override {
        gentest::GenerationTest::SetUp();
        ASSERT_TRUE(
            ::CopyFileA(InProgramDir("stand-in\\Mervik.exe").c_str(), InProgramDir("Mervik.exe").c_str(), FALSE));
    }
    void TearDown() override {
        gentest::GenerationTest::TearDown();
        for (const char* name : {"stand-in-reply.ERR", "stand-in-pid.txt", "stand-in-hang"})
            gentest::RemoveTree(InProgramDir(name));
    }
};

}  // namespace faults
