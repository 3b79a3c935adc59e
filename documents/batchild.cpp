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

void LoadRichEdit() {
    static HMODULE module = ::LoadLibraryA("riched32.dll");
    (void)module;
}

}  // namespace

TMdiChild::TMdiChild(app::TMDIForm& owner) : owner_(owner) {}

TMdiChild* TMdiChild::Create(app::TMDIForm& owner) {
    LoadRichEdit();
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

bool TMdiChild::IsModified() const { return ::SendMessageA(editor_, EM_GETMODIFY, 0, 0) != 0; }

bool TMdiChild::HasSelection() const {
    CHARRANGE range{};
    ::SendMessageA(editor_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range.cpMax != range.cpMin;
}

bool TMdiChild::CloseQuery() { return true; }

void TMdiChild::Layout() {
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    ::MoveWindow(editor_, 0, 0, rc.right, rc.bottom, TRUE);
}

LRESULT TMdiChild::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        editor_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, "RICHEDIT", "",
                                    WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE |
                                        ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_NOHIDESEL | ES_CENTER,
                                    0, 0, 0, 0, hwnd(), nullptr, ::GetModuleHandleA(nullptr), nullptr);
        break;
    case WM_SIZE:
        Layout();
        break;  // DefMDIChildProc needs WM_SIZE too
    case WM_SETFOCUS:
        ::SetFocus(editor_);
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
