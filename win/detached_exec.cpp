#include "win/detached_exec.h"

#include <memory>
#include <string>

#include "win/handles.h"

namespace win {

namespace {

struct Launch {
    std::string commandLine;
    UINT showFlag;
};

DWORD WINAPI RunLaunch(void* param) {
    std::unique_ptr<Launch> launch(static_cast<Launch*>(param));
    ::WinExec(launch->commandLine.c_str(), launch->showFlag);
    return 0;
}

}  // namespace

bool WinExecDetached(const char* commandLine, UINT showFlag) {
    auto launch = std::make_unique<Launch>(Launch{commandLine, showFlag});
    KernelHandle thread(::CreateThread(nullptr, 0, RunLaunch, launch.get(), 0, nullptr));
    if (!thread) return false;
    launch.release();  // the thread owns it now
    return true;
}

}  // namespace win
