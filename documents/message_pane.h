#pragma once
// ErrorList: the message pane under a document's editor. A report-view list view
// with one column and no header, read-only; it lists one compiler message a row.
#include <windows.h>

#include <string>
#include <vector>

namespace documents {

class MessagePane {
public:
    MessagePane(HWND parent, int id);
    ~MessagePane();
    MessagePane(const MessagePane&) = delete;
    MessagePane& operator=(const MessagePane&) = delete;

    HWND hwnd() const { return hwnd_; }
    // Replaces every entry, in one update bracket (one redraw for the whole list).
    void SetLines(std::vector<std::string> lines);
    const std::vector<std::string>& Lines() const { return lines_; }
    void Show();
    bool IsShown() const { return ::IsWindowVisible(hwnd_) != FALSE; }

private:
    HWND hwnd_ = nullptr;
    std::vector<std::string> lines_;
};

}  // namespace documents
