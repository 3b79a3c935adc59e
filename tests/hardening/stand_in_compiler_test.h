#pragma once
// A generation test whose Mervik.exe is the stand-in compiler: it writes a chosen
// Mervik.ERR or hangs, as the fault tests need; its files are removed afterwards.
#include <windows.h>
#include <gtest/gtest.h>

#include "tests/generation/generation_fixture.h"

namespace faults {

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
