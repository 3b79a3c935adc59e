#pragma once
// Start-up and the message loop.
#include <windows.h>

#include <memory>

namespace app {

class TMDIForm;

class Application {
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Creates the main window (and the hidden dialogs) and shows it.
    void Start(int showCommand = SW_SHOWNORMAL);
    // Runs the message loop until the main window has gone; returns the exit code.
    int Run();
    // Handles the messages waiting now, as the loop would; false once WM_QUIT is seen.
    bool PumpPending();

    TMDIForm* MainForm() const { return mdiForm_.get(); }

private:
    void Dispatch(MSG& msg);
    std::unique_ptr<TMDIForm> mdiForm_;
};

}  // namespace app
