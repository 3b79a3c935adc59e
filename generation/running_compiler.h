#pragma once
// The compiler of the generation run in progress, while the run waits for it. Closing
// the program or the run's document window, or the end of the Windows session, must not
// leave it running behind a program without windows: they stop it through here, as
// "终止" does, and the run then ends as stopped.
#include <windows.h>

#include <string>

namespace generation {

class RunningCompiler {
public:
    // Registered as the current one for its lifetime; one run waits at a time, since
    // the program is modal meanwhile.
    RunningCompiler(HANDLE process, HWND document, std::string fileName, std::string programDir);
    ~RunningCompiler();
    RunningCompiler(const RunningCompiler&) = delete;
    RunningCompiler& operator=(const RunningCompiler&) = delete;

    // The run waiting for its compiler now, or null.
    static RunningCompiler* Current();

    HANDLE Process() const { return process_; }
    // The document window the run belongs to.
    HWND Document() const { return document_; }
    bool Stopped() const { return stopped_; }
    // Ends the compiler, waits a moment for it to go, and removes the half-written
    // files it leaves behind. The run's wait then ends as stopped.
    void Stop();

private:
    HANDLE process_;
    HWND document_;
    std::string fileName_;
    std::string programDir_;
    bool stopped_ = false;
};

// What a close asks before it stops the compiler; true for Yes. `wholeProgram` says
// whether the program is to close or only the run's document window. A question
// already showing answers No to a second close.
bool AskToStopCompiler(bool wholeProgram);

}  // namespace generation
