#include "korvex/list_columns.h"

#include <commctrl.h>

namespace korvex {

void AddListColumns(HWND list, std::initializer_list<ListColumn> columns) {
    int i = 0;
    for (const ListColumn& c : columns) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        column.fmt = c.right_aligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.pszText = const_cast<wchar_t*>(c.title);
        column.cx = c.width;
        column.iSubItem = i;
        ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        ++i;
    }
}

}  // namespace korvex
