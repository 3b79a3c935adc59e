#include <windows.h>

#include <exception>

#include "app/application.h"
#include "win/error_display.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    try {
        app::Application application;
        application.Start(showCommand);
        application.Run();
    } catch (const std::exception& e) {
        win::ShowApplicationError(e.what());
    }
    return 0;
}
