#pragma once
// The two ways the program reports a failure. Both boxes are modal to the whole
// application: with no owner and MB_TASKMODAL every window of the thread is disabled.
#include <windows.h>

#include <stdexcept>
#include <string>
#include <utility>

namespace win {

// A failure that a command does not handle itself. Its message is GBK text;
// the application's error display shows it with a full stop added, followed by the
// detail (which file, and why) on lines of its own when there is one.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    CommandError(const std::string& message, std::string detail)
        : std::runtime_error(message), detail_(std::move(detail)) {}
    const std::string& Detail() const { return detail_; }

private:
    std::string detail_;
};

// The application title: caption of the error display.
extern const char* const kApplicationTitle;

// The application's error display: title caption, stop icon, OK, message + "." and
// the detail, if any, on the lines below.
void ShowApplicationError(const std::string& message, const std::string& detail = {});
// The same for a caught error: its message, and its detail when it is a CommandError.
void ShowApplicationError(const std::exception& error);

// A failure a command reports itself: caption "错误", OK only, no icon.
void ShowErrorBox(const std::string& text);

// Runs a command, showing any error it raises on the application's error display.
template <typename Fn>
void RunReportingErrors(Fn&& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        ShowApplicationError(e);
    }
}

}  // namespace win
