#include <windows.h>

#include <exception>

#include "app/application.h"
#include "win/error_display.h"

// A start-up that fails (a window class, a window, the editor's library or an image
// that cannot be had) is shown on the application's error display and ends the
// program with exit code 1; no half-built main window is ever shown.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    try {
        app::Application application;
        application.Start(showCommand);
        application.StartRecovery();
        application.Run();
    } catch (const std::exception& e) {
        win::ShowApplicationError(e);
        return 1;
    }
    return 0;
}
