// The window base under real windows: a failed class registration or creation is an
// error the creator receives, and a failed creation leaves no window behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "win/error_display.h"
#include "win/window.h"

namespace {

// A window whose creation fails at the step it is told.
class Probe : public win::Window {
public:
    enum class Failure { None, ThrowOnCreate, RefuseCreate };
    explicit Probe(Failure failure) : failure_(failure) {}

    static void Register(const char* className) { RegisterClassOnce(className, 0, nullptr); }
    HWND Make(const char* className) {
        return Create(0, className, "probe", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr);
    }
    int destroyed = 0;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CREATE && failure_ == Failure::ThrowOnCreate) throw win::CommandError("parts missing");
        if (msg == WM_CREATE && failure_ == Failure::RefuseCreate) return -1;
        if (msg == WM_DESTROY) ++destroyed;
        return Window::HandleMessage(msg, wParam, lParam);
    }

private:
    Failure failure_;
};

std::string ErrorOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

TEST(WindowCreation, FailuresReachTheCreator) {
    const char* kClass = "VelmoraProbe";
    Probe::Register(kClass);
    struct Case {
        Probe::Failure failure;
        const char* className;
        std::string error;
    } cases[] = {
        {Probe::Failure::ThrowOnCreate, kClass, "parts missing"},  // the handler's own error
        {Probe::Failure::RefuseCreate, kClass, "Cannot create window VelmoraProbe"},
        {Probe::Failure::None, "VelmoraNoSuchClass", "Cannot create window VelmoraNoSuchClass"},
    };
    for (const auto& c : cases) {
        Probe probe(c.failure);
        EXPECT_EQ(ErrorOf([&] { probe.Make(c.className); }), c.error) << c.className;
        EXPECT_EQ(probe.hwnd(), nullptr);
        EXPECT_EQ(::FindWindowA(c.className, "probe"), nullptr) << "a half-built window is left";
    }

    Probe fine(Probe::Failure::None);  // the class still works
    HWND made = fine.Make(kClass);
    EXPECT_NE(made, nullptr);
    EXPECT_EQ(fine.hwnd(), made);
}

TEST(WindowCreation, ClassThatCannotBeRegistered) {
    std::string tooLong(300, 'x');  // class names stop at 255 characters
    EXPECT_EQ(ErrorOf([&] { Probe::Register(tooLong.c_str()); }), "Cannot register window class " + tooLong);
}

}  // namespace
