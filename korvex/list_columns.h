#pragma once
// The columns of the library editor's list views, added in one call.
#include <windows.h>

#include <initializer_list>

namespace korvex {

struct ListColumn {
    const wchar_t* title;
    int width;
    bool right_aligned = false;  // numbers
};

void AddListColumns(HWND list, std::initializer_list<ListColumn> columns);

}  // namespace korvex
