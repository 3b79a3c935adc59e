// Message files no compiler should write, and message files the editor cannot read:
// the pane shows what the line rules give, or stays as it was with the error shown;
// the run ends, the editor is given back, nothing crashes.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <memory>

#include "generation/line_breaks.h"
#include "tests/generation/generation_fixture.h"
#include "tests/hardening/fault_support.h"
#include "tests/hardening/stand_in_compiler_test.h"

namespace {

using Rows = std::vector<std::string>;

class MessageFileFaultTest : public faults::StandInCompilerTest {
protected:
    // One run with the properties dialog answered; the error display, if any, is
    // answered too and its text returned.
    std::string RunAndAnswer(documents::TMdiChild& document, DWORD& took) {
        harness::ModalAnswerer answerer;
        answerer.Then(gentest::ConfirmWith("说明", "abc")).Press(IDOK);
        const DWORD start = ::GetTickCount();
        Generate();
        took = ::GetTickCount() - start;
        EXPECT_TRUE(::IsWindowEnabled(Main().hwnd()));
        EXPECT_TRUE(GenerateButtonEnabled());
        EXPECT_EQ(document.Editor().Mode(), documents::TextMode::Rich);
        return answerer.Seen().size() > 1 ? answerer.Seen()[1].text : std::string();
    }

    std::string Row(HWND list, int index) {
        std::vector<char> buffer(4096);
        LVITEMA item{};
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        int n = static_cast<int>(::SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item)));
        return std::string(buffer.data(), static_cast<std::size_t>(n));
    }
};

// Bytes from a fixed seed, none of them NUL, so that every byte reaches the line rules.
std::string RandomBinary(std::size_t size) {
    std::string bytes(size, '\0');
    unsigned state = 12345;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(1 + (state >> 16) % 255);
    }
    return bytes;
}

std::string ManyMessages(std::size_t approximateBytes) {
    std::string bytes;
    bytes.reserve(approximateBytes + 64);
    for (int line = 1; bytes.size() < approximateBytes; ++line)
        bytes += "temp.trs(" + std::to_string(line) + "): 警告 W201: 重复的条目“文件”\r\n";
    return bytes;
}

const char kNulInFirstLine[] = "第一行\0后面的不显示\r\n第二行\r\n";

TEST_F(MessageFileFaultTest, ThePaneShowsWhatTheLineRulesGiveOfAnyBytes) {
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"50 MB of messages", ManyMessages(50u << 20)},
        {"random binary bytes", RandomBinary(256 << 10)},
        {"NUL in the first line", std::string(kNulInFirstLine, sizeof kNulInFirstLine - 1)},
        {"one line of 2 MB", std::string(2u << 20, 'W')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gentest::WriteFileBytes(InProgramDir("stand-in-reply.ERR"), c.bytes);
        auto& document = NewDocument("文件=File\r\n");
        DWORD took = 0;
        EXPECT_EQ(RunAndAnswer(document, took), "");
        const Rows expected = generation::SplitMessageLines(c.bytes);
        HWND list = document.ErrorList().hwnd();
        ASSERT_EQ(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(expected.size()));
        EXPECT_TRUE(document.ErrorList().IsShown());
        // The rows as the list view gives them (at most its buffer, whole characters).
        const std::size_t step = expected.size() > 2000 ? expected.size() / 1000 : 1;
        std::vector<std::size_t> sampled;
        for (std::size_t i = 0; i < expected.size(); i += step) sampled.push_back(i);
        if (!expected.empty()) sampled.push_back(expected.size() - 1);
        for (std::size_t i : sampled) {
            const std::string row = Row(list, static_cast<int>(i));
            if (expected[i].size() < 4095) {
                ASSERT_EQ(row, expected[i]) << "row " << i;
            } else {
                ASSERT_GE(row.size(), 4094u) << "row " << i;
                ASSERT_EQ(expected[i].compare(0, row.size(), row), 0) << "row " << i;
            }
        }
        ::UpdateWindow(Main().hwnd());
        ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Pump(50);
        std::printf("[ figures  ] %-24s %9zu bytes, %8zu rows: run and pane %lu ms\n", c.name, c.bytes.size(),
                    expected.size(), static_cast<unsigned long>(took));
    }
}

TEST_F(MessageFileFaultTest, AMessageFileThatCannotBeReadLeavesThePaneAsItWas) {
    const std::string messageFile = InProgramDir("Mervik.ERR");
    enum class Fault { Missing, Locked, Huge };
    struct Case {
        const char* name;
        Fault fault;
        std::string message;
    } cases[] = {
        {"missing", Fault::Missing, "Cannot open file " + messageFile + "."},
        {"held open by another program", Fault::Locked, "Cannot open file " + messageFile + "."},
        {"larger than 4 GB", Fault::Huge, "Failed to Load Stream."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gentest::RemoveTree(messageFile);
        std::unique_ptr<faults::HeldFile> holder;
        if (c.fault == Fault::Locked) {
            gentest::WriteFileBytes(messageFile, "上次的消息\r\n");
            holder = std::make_unique<faults::HeldFile>(messageFile);
            ASSERT_TRUE(holder->Held());
        } else if (c.fault == Fault::Huge) {
            // A sparse file: 4 GB and 5 bytes, which a 32-bit size would take for 5.
            HANDLE file = ::CreateFileA(messageFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(file, INVALID_HANDLE_VALUE);
            LARGE_INTEGER size;
            size.QuadPart = (4LL << 30) + 5;
            bool grown = ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
            ::CloseHandle(file);
            if (!grown) {
                std::printf("[ skipped  ] no sparse file of 4 GB here\n");
                continue;
            }
        }
        auto& document = NewDocument("文件=File\r\n");
        document.ErrorList().SetLines({"原有的消息", "原有的第二条"});
        document.ShowErrorList();
        DWORD took = 0;
        EXPECT_EQ(RunAndAnswer(document, took), c.message);
        EXPECT_EQ(PaneRows(document), (Rows{"原有的消息", "原有的第二条"}));
        EXPECT_TRUE(document.ErrorList().IsShown());
        holder.reset();
        gentest::RemoveTree(messageFile);
    }
}

}  // namespace
