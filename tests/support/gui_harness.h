#pragma once
// Drives the real program in-process under Wine (or Windows): the application is
// started as Velmora.exe starts it, messages go through its own loop filter, keys
// are typed as input, and modal boxes are found, read and answered by the test.
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/application.h"
#include "app/batadd.h"

namespace harness {

// Handles every message waiting now, then keeps pumping for `ms` milliseconds.
void Pump(app::Application& application, int ms = 0);

// Pumps until `done` holds or `ms` have passed; true when it holds. For what a real
// input event or a timer brings about, which a loaded machine may take a while to do.
bool PumpUntil(app::Application& application, const std::function<bool()>& done, int ms);

// The first window of this thread that `match` accepts, or null.
HWND FindThreadWindow(const std::function<bool(HWND)>& match);

// Text of a window, as GBK bytes.
std::string WindowText(HWND hwnd);
std::string ClassName(HWND hwnd);

// A modal box as the user saw it.
struct SeenBox {
    std::string caption;
    std::string text;  // the message of a message box (static 0xFFFF)
    HICON icon = nullptr;
    bool hasIcon = false;
    std::vector<std::string> buttons;  // captions of the visible push buttons
};

// Answers the modal boxes and dialogs that the code under test opens, one script
// step per box, in order. A box nobody expected is recorded, closed and reported.
class ModalAnswerer {
public:
    using Step = std::function<void(HWND box)>;
    ModalAnswerer();
    ~ModalAnswerer();
    ModalAnswerer(const ModalAnswerer&) = delete;
    ModalAnswerer& operator=(const ModalAnswerer&) = delete;

    // The next box is answered by pressing the button with this id.
    ModalAnswerer& Press(int buttonId);
    ModalAnswerer& Then(Step step);

    const std::vector<SeenBox>& Seen() const { return seen_; }
    std::size_t Unanswered() const { return steps_.size(); }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Poll();

    UINT_PTR timer_ = 0;
    std::deque<Step> steps_;
    std::vector<SeenBox> seen_;
    std::vector<HWND> handled_;
    int unexpected_ = 0;
};

SeenBox ReadBox(HWND box);

// Puts a key press (with its modifiers) into the system's input queue; nothing is pumped,
// so it also works from inside a modal loop.
void SendKeys(UINT vk, bool ctrl = false, bool shift = false, bool alt = false);
// Types a key into the focused window through the system's input queue.
void TypeKey(app::Application& application, UINT vk, bool ctrl = false, bool shift = false, bool alt = false);

// Moves the pointer to a screen point and waits until the system reports it there:
// under Wine a motion event still queued from an earlier move can otherwise put the
// pointer back after SetCursorPos.
void MovePointer(app::Application& application, POINT p);
// A real left click at a screen point, through the system's input queue.
void ClickAt(app::Application& application, POINT p);

// Menu bar as the user sees it.
struct MenuLine {
    int depth;  // 0 on the bar, 1 in a drop-down
    std::string text;
    bool enabled;
    bool separator;
    UINT id;
};
std::vector<MenuLine> ReadMenuBar(HWND window);

// Starts the application for one test and tears it down, whatever is left open.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    app::TMDIForm& Main() { return *application_->MainForm(); }
    app::Application& App() { return *application_; }
    void Pump(int ms = 0) { harness::Pump(*application_, ms); }
    bool PumpUntil(const std::function<bool()>& done, int ms) { return harness::PumpUntil(*application_, done, ms); }
    // The tool button of an element (a child window of the tool bar).
    HWND Button(app::Element e);
    bool MenuEnabled(app::Element e);

private:
    std::unique_ptr<app::Application> application_;
};

}  // namespace harness
