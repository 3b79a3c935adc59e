#pragma once
// ErrorList: the message pane under a document's editor. A report-view list view
// with one column and no header, read-only; it lists one compiler message a row.
// The list is virtual (it asks for each row's text as it draws it), so a refill of
// any length costs one redraw and no per-row work inside the control.
#include <windows.h>

#include <string>
#include <vector>

#include "win/handles.h"

namespace documents {

class MessagePane {
public:
    MessagePane(HWND parent, int id);
    ~MessagePane();
    MessagePane(const MessagePane&) = delete;
    MessagePane& operator=(const MessagePane&) = delete;

    HWND hwnd() const { return hwnd_; }
    // Replaces every entry, in one update bracket (one redraw for the whole list);
    // the column becomes as wide as the widest entry.
    void SetLines(std::vector<std::string> lines);
    const std::vector<std::string>& Lines() const { return lines_; }
    void Show();
    // Scrolls the list so that its last row (the compiler's outcome) shows.
    void ShowLastLine();
    bool IsShown() const { return ::IsWindowVisible(hwnd_) != FALSE; }

private:
    // The rows' texts are asked of the parent window; the pane answers there.
    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    bool AnswerDisplayInfo(NMHDR& header);
    // Typing in the pane: the list asks which row the typed letters lead to. True
    // when the request was this one; `row` is the answer (-1 for none).
    bool AnswerFindItem(const NMHDR& header, LRESULT& row) const;
    int WidestLine() const;
    void Unsubclass();

    HWND hwnd_ = nullptr;
    HWND parent_ = nullptr;
    bool subclassed_ = false;
    std::vector<std::string> lines_;
    win::Font font_;
};

}  // namespace documents
