#include "app/application.h"

#include <commctrl.h>

#include "app/about.h"
#include "app/batadd.h"
#include "generation/confirm1.h"

namespace app {

Application::Application() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
}

Application::~Application() = default;

void Application::Start(int showCommand) {
    mdiForm_ = std::make_unique<TMDIForm>();
    // The properties dialog and the about box exist, hidden, from start-up on; the
    // generation run and the About command each build their own.
    mdiForm_->Properties().Renew(*mdiForm_);
    aboutBox_ = std::make_unique<TAboutBox>(*mdiForm_);
    aboutBox_->CreateHidden();
    ::ShowWindow(mdiForm_->hwnd(), showCommand);
    ::UpdateWindow(mdiForm_->hwnd());
    ::SetFocus(mdiForm_->ToolBar());
}

void Application::StartRecovery() { mdiForm_->StartRecovery(); }

void Application::Dispatch(MSG& msg) {
    if (mdiForm_ && mdiForm_->hwnd() && mdiForm_->PreTranslateMessage(msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
}

int Application::Run() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
    return 0;
}

bool Application::PumpPending() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return false;
        Dispatch(msg);
    }
    return true;
}

}  // namespace app
