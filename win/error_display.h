#pragma once
// The two ways the program reports a failure. Both boxes are modal to the whole
// application: with no owner and MB_TASKMODAL every window of the thread is disabled.
#include <windows.h>

#include <stdexcept>
#include <string>

namespace win {

// A failure that a command does not handle itself. Its message is GBK text;
// the application's error display shows it with a full stop added.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The application title: caption of the error display.
extern const char* const kApplicationTitle;

// The application's error display: title caption, stop icon, OK, message + ".".
void ShowApplicationError(const std::string& message);

// A failure a command reports itself: caption "错误", OK only, no icon.
void ShowErrorBox(const std::string& text);

// Runs a command, showing any error it raises on the application's error display.
template <typename Fn>
void RunReportingErrors(Fn&& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        ShowApplicationError(e.what());
    }
}

}  // namespace win
