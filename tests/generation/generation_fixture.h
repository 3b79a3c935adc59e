#pragma once
// What the generation tests share: the program folder prepared for a run, the
// compiler installed there as Mervik.exe (a fake one or the real one), answers for
// the properties dialog, and a way to act while a modal loop runs.
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "documents/batchild.h"
#include "tests/support/gui_harness.h"

namespace gentest {

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
void RemoveTree(const std::string& path);

// Presses a key through the system's input queue without pumping: whatever loop is
// running (a dialog's own modal loop) gets it.
void SendKey(UINT vk, bool ctrl = false, bool shift = false, bool alt = false);

// The rows of a list view as the user sees them (asked of the control itself).
std::vector<std::string> ListRows(HWND list);

// Runs steps one after another from this thread's timer, so they act inside whatever
// modal loop is running. A step returns true when it is done; it is polled until then.
// Steps still waiting when the timeline ends are a failure.
class Timeline {
public:
    Timeline();
    ~Timeline();
    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;

    Timeline& Do(std::function<void()> action);
    Timeline& WaitUntil(std::function<bool()> condition);
    Timeline& Wait(int ms);
    bool Finished() const { return steps_.empty(); }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    struct Step {
        std::function<bool()> run;
        bool waits;  // a condition, checked once more at the end: the loop may be gone by then
    };
    std::deque<Step> steps_;
    UINT_PTR timer_ = 0;
    bool busy_ = false;  // a step that runs a modal loop of its own is not entered again
};

// Answers for the properties dialog: fill both fields, then press "&O.确认"; or press
// "&C.放弃".
harness::ModalAnswerer::Step ConfirmWith(std::string description, std::string fileName);
harness::ModalAnswerer::Step GiveUp();

class GenerationTest : public harness::AppTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The program's own folder (the test executable's): the run reads Mervik.ERR here.
    const std::string& ProgramDir() const { return programDir_; }
    std::string InProgramDir(const std::string& name) const { return programDir_ + name; }

    // Copies a compiler into the program folder as Mervik.exe.
    void InstallFakeCompiler();
    void InstallRealCompiler();
    // The fake's answer: Mervik.ERR with these bytes.
    void FakeReplies(const std::string& messageFile);

    // A new document window holding `text` (GBK).
    documents::TMdiChild& NewDocument(const std::string& text);
    // The generation command, as the menu or the tool button gives it.
    void Generate() { Main().Execute(app::Command::Generate); }
    // The document's message pane as the user sees it.
    std::vector<std::string> PaneRows(documents::TMdiChild& document) { return ListRows(document.ErrorList().hwnd()); }
    bool GenerateButtonEnabled() { return ::IsWindowEnabled(Button(app::Element::BeginTransfer)) != FALSE; }

private:
    void Clean();
    std::string programDir_;
};

}  // namespace gentest
