#include "win/detached_exec.h"

#include <memory>
#include <utility>

#include "win/handles.h"
#include "win/system_error_text.h"

namespace win {

namespace {

struct Launch {
    std::vector<std::string> commandLines;
    UINT showFlag;
    HWND notify;
    UINT failedMessage;
};

DWORD WINAPI RunLaunch(void* param) {
    std::unique_ptr<Launch> launch(static_cast<Launch*>(param));
    UINT result = 0;
    for (const std::string& commandLine : launch->commandLines) {
        result = ::WinExec(commandLine.c_str(), launch->showFlag);
        if (result > 31) return 0;
    }
    if (launch->notify && launch->failedMessage) ::PostMessageA(launch->notify, launch->failedMessage, result, 0);
    return 0;
}

}  // namespace

bool WinExecDetached(std::vector<std::string> commandLines, UINT showFlag, HWND notify, UINT failedMessage) {
    auto launch = std::make_unique<Launch>(Launch{std::move(commandLines), showFlag, notify, failedMessage});
    KernelHandle thread(::CreateThread(nullptr, 0, RunLaunch, launch.get(), 0, nullptr));
    if (!thread) return false;
    launch.release();  // the thread owns it now
    return true;
}

std::string WinExecFailureText(UINT result) {
    switch (result) {
    case 0:
        return "系统内存或资源不足";
    case ERROR_BAD_FORMAT:
        return "程序文件无效，或不是本系统能运行的程序";
    default:
        // The other results below 32 are the system's error codes.
        return SystemErrorText(result);
    }
}

}  // namespace win
