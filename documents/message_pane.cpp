#include "documents/message_pane.h"

#include <commctrl.h>

namespace documents {

MessagePane::MessagePane(HWND parent, int id) {
    hwnd_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                              WS_CHILD | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                              0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              ::GetModuleHandleA(nullptr), nullptr);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    ::SendMessageA(hwnd_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}

MessagePane::~MessagePane() {
    if (::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

void MessagePane::SetLines(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    ::SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = lines_[i].data();
        ::SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    ::SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
    ::SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void MessagePane::Show() { ::ShowWindow(hwnd_, SW_SHOW); }

}  // namespace documents
