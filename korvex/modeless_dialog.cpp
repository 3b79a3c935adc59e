#include "korvex/modeless_dialog.h"

#include <algorithm>

#include "korvex/korvex_messages.h"

namespace korvex {

ModelessDialog::~ModelessDialog() {
    if (dialog_) {
        // The procedure must not call into a half-destroyed object.
        ::SetWindowLongPtrW(dialog_, DWLP_USER, 0);
        ::DestroyWindow(dialog_);
    }
}

bool ModelessDialog::Translate(MSG* msg) const {
    return dialog_ && ::IsWindowVisible(dialog_) && ::IsDialogMessageW(dialog_, msg);
}

bool ModelessDialog::ShowOver(HWND owner, int templateId) {
    if (!dialog_) {
        ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, Procedure,
                             reinterpret_cast<LPARAM>(this));
        if (!dialog_) {
            ShowMessage(owner, "无法创建窗口。", MB_ICONSTOP);
            return false;
        }
        // First shown centred over the owner, as a dialog is; later where the user left it.
        RECT over{}, own{};
        ::GetWindowRect(owner, &over);
        ::GetWindowRect(dialog_, &own);
        const LONG width = own.right - own.left, height = own.bottom - own.top;
        LONG x = over.left + (over.right - over.left - width) / 2;
        LONG y = over.top + (over.bottom - over.top - height) / 2;
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
            x = std::max<LONG>(monitor.rcWork.left, std::min<LONG>(x, monitor.rcWork.right - width));
            y = std::max<LONG>(monitor.rcWork.top, std::min<LONG>(y, monitor.rcWork.bottom - height));
        }
        ::SetWindowPos(dialog_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::ShowWindow(dialog_, SW_SHOW);
    ::SetForegroundWindow(dialog_);
    ::SetActiveWindow(dialog_);
    return true;
}

void ModelessDialog::Hide() const {
    // The owner takes the focus back before the window goes, as after a modal dialog.
    if (HWND owner = ::GetWindow(dialog_, GW_OWNER)) ::SetActiveWindow(owner);
    ::ShowWindow(dialog_, SW_HIDE);
}

void ModelessDialog::AnchorControl(int id, int anchors) {
    HWND control = ::GetDlgItem(dialog_, id);
    if (!control) return;
    RECT client{}, rect{};
    ::GetClientRect(dialog_, &client);
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&rect), 2);
    anchored_.push_back(
        {control, anchors, {rect.left, rect.top, client.right - rect.right, client.bottom - rect.bottom}});
}

void ModelessDialog::Layout() {
    RECT client{};
    ::GetClientRect(dialog_, &client);
    for (const Anchored& a : anchored_) {
        RECT rect{};
        ::GetWindowRect(a.control, &rect);
        const int width = rect.right - rect.left, height = rect.bottom - rect.top;
        int left = a.margins.left, top = a.margins.top;
        int right = left + width, bottom = top + height;
        if (a.anchors & Right) {
            right = client.right - a.margins.right;
            if (!(a.anchors & Left)) left = right - width;
        }
        if (a.anchors & Bottom) {
            bottom = client.bottom - a.margins.bottom;
            if (!(a.anchors & Top)) top = bottom - height;
        }
        ::MoveWindow(a.control, left, top, std::max(0, right - left), std::max(0, bottom - top), FALSE);
    }
    ::InvalidateRect(dialog_, nullptr, TRUE);
}

INT_PTR CALLBACK ModelessDialog::Procedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<ModelessDialog*>(lParam);
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        self->dialog_ = dialog;
        self->OnInit();
        return TRUE;
    }
    auto* self = reinterpret_cast<ModelessDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    if (msg == WM_NCDESTROY) {
        // Destroyed with its owner: the object outlives the window.
        self->dialog_ = nullptr;
        return FALSE;
    }
    if (msg == WM_SIZE && wParam != SIZE_MINIMIZED) self->Layout();
    if (msg == WM_CLOSE) {
        self->Hide();
        return TRUE;
    }
    INT_PTR result = 0;
    if (self->OnMessage(msg, wParam, lParam, result)) return result;
    if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        self->Hide();
        return TRUE;
    }
    return FALSE;
}

}  // namespace korvex
