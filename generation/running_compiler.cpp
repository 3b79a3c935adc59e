#include "generation/running_compiler.h"

#include <utility>

#include "generation/compiler_command_line.h"
#include "win/error_display.h"

namespace generation {

namespace {
RunningCompiler* g_current = nullptr;
// How long a stopped compiler may take to go before the run moves on.
const DWORD kStopGraceMs = 5000;
}  // namespace

RunningCompiler::RunningCompiler(HANDLE process, HWND document, std::string fileName, std::string programDir)
    : process_(process), document_(document), fileName_(std::move(fileName)), programDir_(std::move(programDir)) {
    g_current = this;
}

RunningCompiler::~RunningCompiler() {
    if (g_current == this) g_current = nullptr;
}

RunningCompiler* RunningCompiler::Current() { return g_current; }

void RunningCompiler::Stop() {
    if (stopped_) return;
    stopped_ = true;
    ::TerminateProcess(process_, ERROR_CANCELLED);
    ::WaitForSingleObject(process_, kStopGraceMs);
    // Whatever Mervik.ERR holds now belongs to no finished run, and the half-written
    // files of the stopped compiler are of no use to anyone. Best effort: a file that
    // is already gone or still held is left as it is.
    for (const std::string& path : StoppedCompilerTemporaryFiles(fileName_, programDir_, ::GetProcessId(process_)))
        ::DeleteFileA(path.c_str());
}

bool AskToStopCompiler(bool wholeProgram) {
    static bool asking = false;
    if (asking) return false;
    asking = true;
    const char* text = wholeProgram ? "词库编译器正在运行。\r\n要终止它并退出词库生成系统吗？"
                                    : "词库编译器正在为此文件运行。\r\n要终止它并关闭此窗口吗？";
    // Modal for the whole application, like every box of the program.
    int answer = ::MessageBoxA(nullptr, text, win::kApplicationTitle, MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL);
    asking = false;
    return answer == IDYES;
}

}  // namespace generation
