#include "win/window.h"

#include <string>
#include <utility>

#include "win/error_display.h"

namespace win {

namespace {
const char* const kBindingProperty = "Velmora.Window";
}

Window::~Window() {
    if (hwnd_ && ::IsWindow(hwnd_)) {
        // The object goes first: unbind so late messages fall to the default procedure.
        ::RemovePropA(hwnd_, kBindingProperty);
        HWND h = hwnd_;
        hwnd_ = nullptr;
        ::DestroyWindow(h);
    }
}

Window* Window::FromHandle(HWND hwnd) { return static_cast<Window*>(::GetPropA(hwnd, kBindingProperty)); }

void Window::RegisterClassOnce(const char* className, UINT style, HBRUSH background, HCURSOR cursor, HICON icon) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{sizeof existing};
    if (::GetClassInfoExA(instance, className, &existing)) return;
    WNDCLASSEXA wc{sizeof wc};
    wc.style = style;
    wc.lpfnWndProc = &Window::Procedure;
    wc.hInstance = instance;
    wc.hCursor = cursor ? cursor : ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    wc.hIcon = icon;
    wc.hIconSm = icon;
    if (!::RegisterClassExA(&wc)) throw CommandError(std::string("Cannot register window class ") + className);
}

HWND Window::Create(DWORD exStyle, const char* className, const char* caption, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menuOrId) {
    HWND created = ::CreateWindowExA(exStyle, className, caption, style, x, y, width, height, parent, menuOrId,
                                     ::GetModuleHandleA(nullptr), this);
    CheckCreated(created, className);
    return created;
}

void Window::CheckCreated(HWND created, const char* className) {
    if (std::exception_ptr error = std::exchange(creationError_, nullptr)) {
        if (created && ::IsWindow(created)) ::DestroyWindow(created);
        std::rethrow_exception(error);
    }
    if (!created) throw CommandError(std::string("Cannot create window ") + className);
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return DefaultProc(msg, wParam, lParam); }

LRESULT Window::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* self = FromHandle(hwnd);
    if (!self && msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        void* param = cs->lpCreateParams;
        // MDI children receive their parameter through MDICREATESTRUCT.
        if (cs->dwExStyle & WS_EX_MDICHILD) {
            param = reinterpret_cast<MDICREATESTRUCTA*>(param)->lParam
                        ? reinterpret_cast<void*>(reinterpret_cast<MDICREATESTRUCTA*>(param)->lParam)
                        : nullptr;
        }
        self = static_cast<Window*>(param);
        if (self) {
            self->hwnd_ = hwnd;
            ::SetPropA(hwnd, kBindingProperty, self);
        }
    }
    if (!self) {
        return (::GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD) ? ::DefMDIChildProcA(hwnd, msg, wParam, lParam)
                                                                      : ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        LRESULT result = self->HandleMessage(msg, wParam, lParam);
        ::RemovePropA(hwnd, kBindingProperty);
        self->hwnd_ = nullptr;
        self->OnFinalDestroy();
        return result;
    }
    if (msg == WM_NCCREATE || msg == WM_CREATE) {
        // A failed creation returns FALSE or -1: the system then destroys the window.
        try {
            return self->HandleMessage(msg, wParam, lParam);
        } catch (...) {
            self->creationError_ = std::current_exception();
            return msg == WM_NCCREATE ? FALSE : -1;
        }
    }
    return self->HandleMessage(msg, wParam, lParam);
}

}  // namespace win
