#pragma once
// Start-up and the message loop.
#include <windows.h>

#include <memory>

namespace app {

class TMDIForm;
class TAboutBox;

class Application {
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Creates the main window, then the properties dialog and the about box hidden,
    // and shows the main window.
    void Start(int showCommand = SW_SHOWNORMAL);
    // Keeps recovery copies of unsaved documents from now on, and offers those an
    // editor that died left behind. The program does it at start-up; a test that runs
    // the application in its own process leaves it out.
    void StartRecovery();
    // Runs the message loop until the main window has gone; returns the exit code.
    int Run();
    // Handles the messages waiting now, as the loop would; false once WM_QUIT is seen.
    bool PumpPending();

    TMDIForm* MainForm() const { return mdiForm_.get(); }
    TAboutBox* AboutBox() const { return aboutBox_.get(); }

private:
    void Dispatch(MSG& msg);
    std::unique_ptr<TMDIForm> mdiForm_;
    std::unique_ptr<TAboutBox> aboutBox_;  // never shown; the About command builds its own
};

}  // namespace app
