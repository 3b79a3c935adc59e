#include "generation/modal_support.h"

namespace generation {

HWND CreateBlankDialog(HWND owner, DWORD style, DLGPROC procedure, LPARAM param) {
    // DLGTEMPLATE, then empty menu, class and title arrays; DWORD-aligned storage.
    DWORD storage[(sizeof(DLGTEMPLATE) + 3 * sizeof(WORD)) / sizeof(DWORD) + 1] = {};
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(storage);
    dialog->style = style;
    dialog->cdit = 0;
    return ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), dialog, owner, procedure, param);
}

namespace {
BOOL CALLBACK CollectEnabled(HWND hwnd, LPARAM param) {
    if (::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}
}  // namespace

ModalScope::ModalScope() : active_(::GetActiveWindow()), focus_(::GetFocus()) {
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&disabled_));
    for (HWND hwnd : disabled_) ::EnableWindow(hwnd, FALSE);
}

void ModalScope::Release() {
    if (released_) return;
    released_ = true;
    for (HWND hwnd : disabled_)
        if (::IsWindow(hwnd)) ::EnableWindow(hwnd, TRUE);
    if (active_ && ::IsWindow(active_)) ::SetActiveWindow(active_);
    if (focus_ && ::IsWindow(focus_)) ::SetFocus(focus_);
}

bool IsUserInput(const MSG& msg) {
    return (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
           (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
           (msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCXBUTTONDBLCLK);
}

}  // namespace generation
