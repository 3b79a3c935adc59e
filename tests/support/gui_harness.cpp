#include "tests/support/gui_harness.h"

#include <algorithm>

namespace harness {

namespace {
thread_local ModalAnswerer* activeAnswerer = nullptr;

// A modal box is a visible, enabled dialog window (the windows it disables are its owners).
BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM param) {
    if (::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd) && ClassName(hwnd) == "#32770")
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}
}  // namespace

void Pump(app::Application& application, int ms) {
    DWORD end = ::GetTickCount() + static_cast<DWORD>(ms);
    do {
        application.PumpPending();
        if (ms > 0) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (ms > 0 && static_cast<int>(end - ::GetTickCount()) > 0);
    application.PumpPending();
}

bool PumpUntil(app::Application& application, const std::function<bool()>& done, int ms) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (static_cast<int>(::GetTickCount() - start) > ms) return false;
        Pump(application, 10);
    }
    return true;
}

namespace {
struct WindowSearch {
    const std::function<bool(HWND)>& match;
    HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (!search->match(hwnd)) return TRUE;
    search->found = hwnd;
    return FALSE;
}
}  // namespace

HWND FindThreadWindow(const std::function<bool(HWND)>& match) {
    WindowSearch search{match};
    ::EnumThreadWindows(::GetCurrentThreadId(), MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND hwnd) {
    int n = ::GetWindowTextLengthA(hwnd);
    // Some controls report characters, not bytes: give room for both.
    std::string text(static_cast<size_t>(n) * 2 + 1, '\0');
    n = ::GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(n));
    return text;
}

std::string ClassName(HWND hwnd) {
    char name[128] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return name;
}

SeenBox ReadBox(HWND box) {
    SeenBox seen;
    seen.caption = WindowText(box);
    if (HWND text = ::GetDlgItem(box, 0xFFFF)) seen.text = WindowText(text);
    if (HWND icon = ::GetDlgItem(box, 0x440); icon && ::IsWindowVisible(icon)) {
        seen.icon = reinterpret_cast<HICON>(::SendMessageA(icon, STM_GETICON, 0, 0));
        seen.hasIcon = seen.icon != nullptr;
    }
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) == "Button" && ::IsWindowVisible(child)) seen.buttons.push_back(WindowText(child));
    }
    return seen;
}

ModalAnswerer::ModalAnswerer() {
    activeAnswerer = this;
    timer_ = ::SetTimer(nullptr, 0, 25, &ModalAnswerer::OnTimer);
}

ModalAnswerer::~ModalAnswerer() {
    ::KillTimer(nullptr, timer_);
    activeAnswerer = nullptr;
    EXPECT_EQ(unexpected_, 0) << "a modal box appeared that the test did not expect";
}

ModalAnswerer& ModalAnswerer::Press(int buttonId) {
    return Then([buttonId](HWND box) {
        HWND button = ::GetDlgItem(box, buttonId);
        if (button)
            ::PostMessageA(button, BM_CLICK, 0, 0);
        else
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
    });
}

ModalAnswerer& ModalAnswerer::Then(Step step) {
    steps_.push_back(std::move(step));
    return *this;
}

void CALLBACK ModalAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (activeAnswerer) activeAnswerer->Poll();
}

void ModalAnswerer::Poll() {
    std::vector<HWND> boxes;
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&boxes));
    for (HWND box : boxes) {
        if (std::find(handled_.begin(), handled_.end(), box) != handled_.end()) continue;
        // Modeless dialogs (find, replace) leave the main window enabled: not ours to answer.
        // A disabled dialog waits for a box of its own (KORVEX's modeless tool windows).
        HWND owner = ::GetWindow(box, GW_OWNER);
        bool modal = (!owner || !::IsWindowEnabled(owner)) && ::IsWindowEnabled(box);
        if (!modal) continue;
        handled_.push_back(box);
        seen_.push_back(ReadBox(box));
        if (!steps_.empty()) {
            Step step = std::move(steps_.front());
            steps_.pop_front();
            step(box);
        } else {
            ++unexpected_;
            ADD_FAILURE() << "unexpected box \"" << seen_.back().caption << "\": " << seen_.back().text;
            ::PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
            ::PostMessageA(box, WM_CLOSE, 0, 0);
        }
    }
}

void SendKeys(UINT vk, bool ctrl, bool shift, bool alt) {
    std::vector<INPUT> inputs;
    auto key = [&](UINT code, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = static_cast<WORD>(code);
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(in);
    };
    if (ctrl) key(VK_CONTROL, false);
    if (shift) key(VK_SHIFT, false);
    if (alt) key(VK_MENU, false);
    key(vk, false);
    key(vk, true);
    if (alt) key(VK_MENU, true);
    if (shift) key(VK_SHIFT, true);
    if (ctrl) key(VK_CONTROL, true);
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void TypeKey(app::Application& application, UINT vk, bool ctrl, bool shift, bool alt) {
    SendKeys(vk, ctrl, shift, alt);
    Pump(application, 60);
}

void MovePointer(app::Application& application, POINT p) {
    // There once and still there 100 ms later: a stale motion event has had its chance.
    DWORD arrived = 0;
    PumpUntil(
        application,
        [&] {
            POINT at{};
            ::GetCursorPos(&at);
            if (at.x != p.x || at.y != p.y) {
                ::SetCursorPos(p.x, p.y);
                arrived = 0;
                return false;
            }
            if (!arrived) arrived = ::GetTickCount();
            return ::GetTickCount() - arrived >= 100;
        },
        5000);
}

void ClickAt(app::Application& application, POINT p) {
    MovePointer(application, p);
    // The press carries its own absolute position, so it lands at p even if the pointer
    // is moved again before the input is read.
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dx = click[1].mi.dx = MulDiv(p.x, 65536, width) + 1;
    click[0].mi.dy = click[1].mi.dy = MulDiv(p.y, 65536, height) + 1;
    click[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
    ::SendInput(2, click, sizeof(INPUT));
}

std::vector<MenuLine> ReadMenuBar(HWND window) {
    std::vector<MenuLine> lines;
    auto read = [&](HMENU menu, int depth, auto&& self) -> void {
        int count = ::GetMenuItemCount(menu);
        for (int i = 0; i < count; ++i) {
            char text[256] = {};
            MENUITEMINFOA info{sizeof info};
            info.fMask = MIIM_STATE | MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = sizeof text;
            ::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
            lines.push_back(
                {depth, text, (info.fState & MFS_DISABLED) == 0, (info.fType & MFT_SEPARATOR) != 0, info.wID});
            if (info.hSubMenu) self(info.hSubMenu, depth + 1, self);
        }
    };
    read(::GetMenu(window), 0, read);
    return lines;
}

void AppTest::SetUp() {
    application_ = std::make_unique<app::Application>();
    application_->Start();
    Pump(50);
}

void AppTest::TearDown() {
    if (application_->MainForm() && ::IsWindow(application_->MainForm()->hwnd())) {
        // No close queries: the test is over, whatever it left unsaved.
        ::DestroyWindow(application_->MainForm()->hwnd());
    }
    Pump();
    application_.reset();
    // Drop the WM_QUIT that the main window posted when it went.
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

HWND AppTest::Button(app::Element e) { return ::GetDlgItem(Main().ToolBar(), app::TMDIForm::ElementId(e)); }

bool AppTest::MenuEnabled(app::Element e) {
    UINT state = ::GetMenuState(::GetMenu(Main().hwnd()), static_cast<UINT>(app::TMDIForm::ElementId(e)), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & (MF_DISABLED | MF_GRAYED)) == 0;
}

}  // namespace harness
