#include "documents/batchild.h"

#include <richedit.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "app/batadd.h"

namespace documents {

namespace {

const char* const kClassName = "TMdiChild";

// Document windows free themselves when closed: each one owns its object here
// until its window is gone.
std::vector<std::unique_ptr<TMdiChild>>& OpenWindows() {
    static std::vector<std::unique_ptr<TMdiChild>> windows;
    return windows;
}

const int kEditorId = 1;
const int kErrorListId = 2;

}  // namespace

TMdiChild::TMdiChild(app::TMDIForm& owner) : owner_(owner) {}

TMdiChild* TMdiChild::Create(app::TMDIForm& owner) {
    RegisterClassOnce(kClassName, CS_HREDRAW | CS_VREDRAW, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    auto window = std::unique_ptr<TMdiChild>(new TMdiChild(owner));
    TMdiChild* self = window.get();
    OpenWindows().push_back(std::move(window));
    MDICREATESTRUCTA mcs{};
    mcs.szClass = kClassName;
    mcs.szTitle = "MdiChild";
    mcs.hOwner = ::GetModuleHandleA(nullptr);
    mcs.x = mcs.y = mcs.cx = mcs.cy = CW_USEDEFAULT;
    mcs.style = WS_CLIPCHILDREN;
    mcs.lParam = reinterpret_cast<LPARAM>(self);
    ::SendMessageA(owner.DocumentArea(), WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs));
    return self;
}

std::string TMdiChild::Caption() const {
    int n = ::GetWindowTextLengthA(hwnd());
    std::string text(static_cast<size_t>(n) + 1, '\0');
    n = ::GetWindowTextA(hwnd(), text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}

void TMdiChild::SetCaption(const std::string& caption) { ::SetWindowTextA(hwnd(), caption.c_str()); }

bool TMdiChild::CloseQuery() { return true; }

void TMdiChild::ShowErrorList() {
    errorList_->Show();
    Layout();
}

void TMdiChild::Layout() {
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    int paneHeight = errorList_->IsShown() ? 71 : 0;
    ::MoveWindow(editor_->hwnd(), 0, 0, rc.right, rc.bottom - paneHeight, TRUE);
    if (paneHeight) ::MoveWindow(errorList_->hwnd(), 0, rc.bottom - paneHeight, rc.right, paneHeight, TRUE);
}

LRESULT TMdiChild::OnNotify(const NMHDR& header) {
    if (header.hwndFrom == editor_->hwnd() && header.code == EN_SELCHANGE) EditorSelectionChange();
    if (header.hwndFrom == editor_->hwnd() && header.code == EN_MSGFILTER) {
        const auto& filter = reinterpret_cast<const MSGFILTER&>(header);
        if (filter.msg == WM_CHAR) EditorKeyPress();
    }
    return 0;
}

LRESULT TMdiChild::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        editor_ = std::make_unique<RichEditor>(hwnd(), kEditorId);
        errorList_ = std::make_unique<MessagePane>(hwnd(), kErrorListId);
        break;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_SIZE:
        Layout();
        break;  // DefMDIChildProc needs WM_SIZE too
    case WM_SETFOCUS:
        ::SetFocus(editor_->hwnd());
        return 0;
    case WM_MDIACTIVATE:
        if (reinterpret_cast<HWND>(lParam) == hwnd()) owner_.RefreshCommandStates();
        break;
    case WM_CLOSE:
        if (!CloseQuery()) return 0;
        break;
    case WM_DESTROY:
        // Refresh once the window has left the frame's list.
        owner_.RefreshSoon();
        break;
    }
    return DefaultProc(msg, wParam, lParam);
}

LRESULT TMdiChild::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefMDIChildProcA(hwnd(), msg, wParam, lParam);
}

void TMdiChild::OnFinalDestroy() {
    auto& windows = OpenWindows();
    auto it = std::find_if(windows.begin(), windows.end(), [this](const auto& w) { return w.get() == this; });
    if (it != windows.end()) {
        auto self = std::move(*it);
        windows.erase(it);
    }  // `self` dies here: nothing may touch this object afterwards
}

}  // namespace documents
