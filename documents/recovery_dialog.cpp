#include "documents/recovery_dialog.h"

#include <commctrl.h>

#include <string>

#include "win/dpi.h"

namespace documents {

namespace {

const char* const kCaption = "恢复未保存的文档";
const char* const kExplanation = "编辑器上次没有正常退出。下列文档有未存盘的改动，已留下恢复副本：";
const int kListId = 100, kDiscardId = 101;
const int kWidth = 520, kHeight = 280;  // at 120 dpi

struct DialogState {
    const std::vector<FoundCopy>* copies;
    HFONT font;
};

HWND Child(HWND dialog, const char* cls, const char* text, DWORD style, int id, const RECT& r, HFONT font) {
    HWND h = ::CreateWindowExA(cls == std::string(WC_LISTVIEWA) ? WS_EX_CLIENTEDGE : 0, cls, text,
                               WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left, r.bottom - r.top, dialog,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
}

void Build(HWND dialog, const DialogState& state) {
    ::SetWindowTextA(dialog, kCaption);
    RECT frame{0, 0, win::Scale(kWidth), win::Scale(kHeight)};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongA(dialog, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongA(dialog, GWL_EXSTYLE)));
    int w = frame.right - frame.left, h = frame.bottom - frame.top;
    RECT owner{};
    HWND ownerWindow = ::GetWindow(dialog, GW_OWNER);
    if (!ownerWindow || !::GetWindowRect(ownerWindow, &owner))
        owner = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::SetWindowPos(dialog, nullptr, (owner.left + owner.right - w) / 2, (owner.top + owner.bottom - h) / 2, w, h,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    const int m = win::Scale(10), cw = win::Scale(kWidth), ch = win::Scale(kHeight);
    const int bw = win::Scale(90), bh = win::Scale(28), lh = win::Scale(20);
    Child(dialog, "STATIC", kExplanation, SS_LEFT, -1, {m, m, cw - m, m + lh}, state.font);
    HWND list = Child(dialog, WC_LISTVIEWA, "", LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER | WS_TABSTOP, kListId,
                      {m, m + lh + m / 2, cw - m, ch - 2 * m - bh}, state.font);
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    const char* headers[] = {"文档", "文件", "时间"};
    const int widths[] = {140, 220, 130};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(headers[i]);
        column.cx = win::Scale(widths[i]);
        ::SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    int row = 0;
    for (const FoundCopy& copy : *state.copies) {
        const std::string* cells[] = {&copy.header.caption, &copy.header.file, &copy.header.time};
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<char*>(cells[0]->c_str());
        ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        for (int sub = 1; sub < 3; ++sub) {
            std::string shown = sub == 1 && cells[1]->empty() ? std::string("（未曾存盘）") : *cells[sub];
            item.iSubItem = sub;
            item.pszText = shown.data();
            ::SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        }
        ++row;
    }
    Child(dialog, "BUTTON", "恢复", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK,
          {cw - 2 * bw - 2 * m, ch - m - bh, cw - bw - 2 * m, ch - m}, state.font);
    Child(dialog, "BUTTON", "放弃", BS_PUSHBUTTON | WS_TABSTOP, kDiscardId, {cw - bw - m, ch - m - bh, cw - m, ch - m},
          state.font);
    ::SetFocus(::GetDlgItem(dialog, IDOK));
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        Build(dialog, *reinterpret_cast<const DialogState*>(lParam));
        return FALSE;  // the focus is set
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            ::EndDialog(dialog, static_cast<INT_PTR>(RecoveryAnswer::Restore));
            return TRUE;
        case kDiscardId:
            ::EndDialog(dialog, static_cast<INT_PTR>(RecoveryAnswer::Discard));
            return TRUE;
        case IDCANCEL:
            ::EndDialog(dialog, static_cast<INT_PTR>(RecoveryAnswer::Later));
            return TRUE;
        }
        break;
    case WM_CLOSE:
        ::EndDialog(dialog, static_cast<INT_PTR>(RecoveryAnswer::Later));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

RecoveryAnswer AskAboutRecoveryCopies(HWND owner, const std::vector<FoundCopy>& copies) {
    // An empty template (no controls, menu, class or title); the controls are made at
    // WM_INITDIALOG. DWORD-aligned storage.
    DWORD storage[(sizeof(DLGTEMPLATE) + 3 * sizeof(WORD)) / sizeof(DWORD) + 1] = {};
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(storage);
    dialog->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    DialogState state{&copies, static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))};
    INT_PTR answer = ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), dialog, owner, DialogProc,
                                               reinterpret_cast<LPARAM>(&state));
    if (answer == static_cast<INT_PTR>(RecoveryAnswer::Restore)) return RecoveryAnswer::Restore;
    if (answer == static_cast<INT_PTR>(RecoveryAnswer::Discard)) return RecoveryAnswer::Discard;
    return RecoveryAnswer::Later;
}

}  // namespace documents
