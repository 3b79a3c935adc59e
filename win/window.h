#pragma once
// The window base: binds the C++ object to its HWND at creation and forwards every
// message to the virtual HandleMessage; the binding is dropped at WM_NCDESTROY.
#include <windows.h>

#include <exception>

namespace win {

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return hwnd_; }

    // The object bound to hwnd, or null for windows that are not ours.
    static Window* FromHandle(HWND hwnd);

protected:
    // Registers a class whose procedure forwards to HandleMessage; once per name.
    // Throws win::CommandError ("Cannot register window class %s") when it cannot.
    static void RegisterClassOnce(const char* className, UINT style, HBRUSH background, HCURSOR cursor = nullptr,
                                  HICON icon = nullptr);
    // Creates the window; `this` is bound before WM_NCCREATE returns. A window that
    // could not be made throws: the error its WM_CREATE raised, or win::CommandError
    // ("Cannot create window %s"); no half-built window is left behind.
    HWND Create(DWORD exStyle, const char* className, const char* caption, DWORD style, int x, int y, int width,
                int height, HWND parent, HMENU menuOrId);
    // The same check for a window created another way (an MDI child): `created` is
    // what the creation returned.
    void CheckCreated(HWND created, const char* className);

    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // What unhandled messages go to: DefWindowProc, DefFrameProc or DefMDIChildProc.
    virtual LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone and unbound.
    virtual void OnFinalDestroy() {}

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    HWND hwnd_ = nullptr;
    // An error raised while the window was being created: it fails the creation and
    // is thrown again to the creator, never through the system's frames.
    std::exception_ptr creationError_;
};

}  // namespace win
