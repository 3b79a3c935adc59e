#include "korvex/korvex_form.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "korvex/concordance_window.h"
#include "korvex/consistency_window.h"
#include "korvex/dialog_preview.h"
#include "korvex/korvex_messages.h"
#include "korvex/resource_ids.h"
#include "lexicon/base/escapes.h"
#include "lexicon/base/gbk.h"
#include "velmora_version.h"
#include "win/gbk.h"

namespace korvex {

namespace {

constexpr int kFilterId = 10;
constexpr int kListId = 11;
constexpr int kStatusId = 12;
constexpr int kSuggestionsId = 13;
constexpr int kSuggestionsHeight = 150;
constexpr int kStatusFilterId = 14;
constexpr int kPaneFirstId = 20;  // .. 24
constexpr int kColumns = 4;

}  // namespace

TKorvexForm::TKorvexForm()
    : table_(std::make_unique<EntryTable>()),
      view_(std::make_unique<EntryView>(*table_)),
      memory_(std::make_unique<MemorySource>()) {}

TKorvexForm::~TKorvexForm() {
    if (font_) ::DeleteObject(font_);
}

void TKorvexForm::Create() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    HICON icon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_KORVEX));
    RegisterClassOnce(kClassName, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr, icon);
    HMENU menu = ::LoadMenuA(instance, MAKEINTRESOURCEA(IDR_KORVEX_MENU));
    if (!win::Window::Create(WS_EX_ACCEPTFILES, kClassName, kProgramTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                             CW_USEDEFAULT, CW_USEDEFAULT, 760, 520, nullptr, menu)) {
        if (menu) ::DestroyMenu(menu);
        throw std::runtime_error("无法创建词库编辑器的窗口");
    }
}

LRESULT TKorvexForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_SETFOCUS:
        ::SetFocus(list_);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_NOTIFYFORMAT:
        // The suggestion pane is a Unicode list that hands out its texts in wide
        // notifications; the entry list keeps the narrow ones it is built on.
        if (lParam == NF_QUERY && ::GetDlgCtrlID(reinterpret_cast<HWND>(wParam)) == kSuggestionsId) return NFR_UNICODE;
        break;
    case WM_ENABLE:
        // A modal box or dialog of the main window stops the tool windows too: a row chosen
        // in them meanwhile would change the library under the question.
        for (const ModelessDialog* tool :
             {static_cast<ModelessDialog*>(concordance_.get()), static_cast<ModelessDialog*>(consistency_.get())}) {
            if (tool && tool->hwnd()) ::EnableWindow(tool->hwnd(), wParam != 0);
        }
        return 0;
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_CLOSE:
        if (MayDiscard()) ::DestroyWindow(hwnd());
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return win::Window::HandleMessage(msg, wParam, lParam);
}

void TKorvexForm::OnCreate() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    font_ = ::CreateFontIndirectA(&metrics.lfMessageFont);

    filterLabel_ = ::CreateWindowExA(0, "STATIC", "筛选(&L):", WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE, 0, 0, 0, 0,
                                     hwnd(), nullptr, instance, nullptr);
    // A Unicode edit: Chinese typed into an ANSI one arrives as question marks on Wine.
    filter_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0,
                                0, 0, 0, hwnd(), reinterpret_cast<HMENU>(kFilterId), instance, nullptr);
    statusLabel_ = ::CreateWindowExA(0, "STATIC", "状态(&T):", WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE, 0, 0, 0, 0,
                                     hwnd(), nullptr, instance, nullptr);
    statusFilter_ = ::CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 0, 0, 0,
                                      200, hwnd(), reinterpret_cast<HMENU>(kStatusFilterId), instance, nullptr);
    for (const char* name : {"全部", "未译", "待审", "已译", "错误"}) {
        ::SendMessageA(statusFilter_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    ::SendMessageA(statusFilter_, CB_SETCURSEL, 0, 0);
    list_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0,
                              0, 0, hwnd(), reinterpret_cast<HMENU>(kListId), instance, nullptr);
    status_ = ::CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, hwnd(),
                                reinterpret_cast<HMENU>(kStatusId), instance, nullptr);
    for (HWND control : {filterLabel_, filter_, statusLabel_, statusFilter_, list_, status_}) {
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    const char* titles[kColumns] = {"原文", "译文", "状态", "消息"};
    for (int i = 0; i < kColumns; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(titles[i]);
        column.cx = i < 2 ? 300 : 48;
        column.iSubItem = i;
        ::SendMessageA(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    suggestions_ = std::make_unique<SuggestionPane>(hwnd(), kSuggestionsId, font_, *memory_,
                                                    [this](const std::string& t) { PutSuggestion(t); });
    pane_ = std::make_unique<TranslationPane>(hwnd(), kPaneFirstId, font_);
    const int parts[] = {160, 320, -1};
    ::SendMessageA(status_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    ShowTable();
}

void TKorvexForm::OnSize(int width, int height) {
    ::SendMessageA(status_, WM_SIZE, 0, 0);
    RECT statusRect{};
    ::GetWindowRect(status_, &statusRect);
    const int statusHeight = statusRect.bottom - statusRect.top;
    const int margin = 6, rowHeight = 24, labelWidth = 64, statusWidth = 90;
    const int filterWidth = std::max(40, width - 2 * labelWidth - statusWidth - 3 * margin);
    ::MoveWindow(filterLabel_, margin, margin, labelWidth, rowHeight, TRUE);
    ::MoveWindow(filter_, margin + labelWidth, margin, filterWidth, rowHeight, TRUE);
    const int statusLeft = 2 * margin + labelWidth + filterWidth;
    ::MoveWindow(statusLabel_, statusLeft, margin, labelWidth, rowHeight, TRUE);
    ::MoveWindow(statusFilter_, statusLeft + labelWidth, margin, statusWidth, 200, TRUE);
    const int listTop = margin * 2 + rowHeight;
    const int listWidth = std::max(0, width - 2 * margin);
    const int below = std::max(0, height - listTop - statusHeight - margin);
    const int pane = std::min(kSuggestionsHeight, below / 2);
    ::MoveWindow(list_, margin, listTop, listWidth, std::max(0, below - pane - margin), TRUE);
    // The edit pane and the suggestions side by side under the list.
    const int half = (listWidth - margin) / 2;
    pane_->Move(margin, listTop + below - pane, half, pane);
    suggestions_->Move(2 * margin + half, listTop + below - pane, listWidth - half - margin, pane);
    // The two text columns share what the status columns leave.
    const int status = 48;
    const int column = std::max(80, (listWidth - ::GetSystemMetrics(SM_CXVSCROLL) - 4 - 2 * status) / 2);
    ListView_SetColumnWidth(list_, 0, column);
    ListView_SetColumnWidth(list_, 1, column);
    ListView_SetColumnWidth(list_, 2, status);
    ListView_SetColumnWidth(list_, 3, status);
}

void TKorvexForm::OnCommand(int id, int code, HWND control) {
    if (control == filter_) {
        if (code == EN_CHANGE) {
            std::string text;
            const int n = ::GetWindowTextLengthW(filter_);
            std::wstring wide(static_cast<std::size_t>(n) + 1, L'\0');
            wide.resize(static_cast<std::size_t>(::GetWindowTextW(filter_, wide.data(), n + 1)));
            view_->SetFilter(win::WideToGbk(wide));
            ShowTable();
        }
        return;
    }
    if (control == statusFilter_) {
        if (code == CBN_SELCHANGE) {
            const auto chosen = ::SendMessageA(statusFilter_, CB_GETCURSEL, 0, 0);
            static const EntryStatus kStatuses[] = {EntryStatus::Untranslated, EntryStatus::Review,
                                                    EntryStatus::Translated, EntryStatus::Error};
            CommitPane(false);
            view_->SetStatusFilter(chosen >= 1 && chosen <= 4 ? std::optional(kStatuses[chosen - 1]) : std::nullopt);
            ShowTable();
        }
        return;
    }
    if (control && control == pane_->TranslationBox()) {
        if (code == EN_CHANGE) ShowPaneChecks();
        return;
    }
    switch (id) {
    case IDM_ACCEPT:
        AcceptClick();
        break;
    case IDM_NEXT_PENDING:
        NextPendingClick(true);
        break;
    case IDM_PREVIOUS_PENDING:
        NextPendingClick(false);
        break;
    case IDM_SUGGESTION_1:
    case IDM_SUGGESTION_2:
    case IDM_SUGGESTION_3:
    case IDM_SUGGESTION_4:
    case IDM_SUGGESTION_5:
        TakeSuggestion(static_cast<std::size_t>(id - IDM_SUGGESTION_1));
        break;
    // Enter in the list, as the window's dialog navigation reports it.
    case IDOK:
        if (::GetFocus() == list_) ChangeClick();
        if (::GetFocus() == suggestions_->List()) suggestions_->ApplySelected();
        break;
    case IDM_NEW:
        NewClick();
        break;
    case IDM_OPEN:
        OpenClick();
        break;
    case IDM_SAVE:
        SaveClick();
        break;
    case IDM_SAVE_AS:
        SaveAsClick();
        break;
    case IDM_EXTRACT:
        ExtractClick();
        break;
    case IDM_IMPORT:
        ImportClick();
        break;
    case IDM_EXPORT:
        ExportClick();
        break;
    case IDM_PROPERTIES:
        PropertiesClick();
        break;
    case IDM_EXIT:
        ::PostMessageA(hwnd(), WM_CLOSE, 0, 0);
        break;
    case IDM_ADD:
        AddClick();
        break;
    case IDM_CHANGE:
        ChangeClick();
        break;
    case IDM_DELETE:
        DeleteClick();
        break;
    case IDM_UNDO:
        UndoClick();
        break;
    case IDM_FIND:
        FindClick();
        break;
    case IDM_ABOUT:
        AboutClick();
        break;
    case IDM_CONCORDANCE:
        ConcordanceClick();
        break;
    case IDM_CONSISTENCY:
        ConsistencyClick();
        break;
    }
}

LRESULT TKorvexForm::OnNotify(NMHDR* header) {
    if (suggestions_ && suggestions_->OnNotify(header)) return 0;
    if (header->hwndFrom != list_) return 0;
    switch (header->code) {
    case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) {
            // A move is a deselection and a selection: the pane's edit goes into its entry
            // at the first, and the pane is filled at the second only.
            if (!committing_) {
                CommitPane(false);
                if (change->uNewState & LVIS_SELECTED) ShowPane();
            }
            ShowSuggestions();
        }
        return 0;
    }
    case LVN_GETDISPINFOA: {
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
        if (!(info->item.mask & LVIF_TEXT) || info->item.iItem < 0 ||
            static_cast<std::size_t>(info->item.iItem) >= view_->size())
            return 0;
        // Rows are rebuilt right after every change; until then a row may name an entry
        // that an edit removed.
        const std::size_t index = view_->EntryAt(static_cast<std::size_t>(info->item.iItem));
        if (index >= table_->size()) return 0;
        const TextPair& entry = table_->at(index);
        if (info->item.iSubItem == 2) {
            cell_ = StatusName(table_->status(index));
        } else if (info->item.iSubItem == 3) {
            const std::uint32_t messages = table_->mark(index).messages;
            cell_ = messages ? std::to_string(messages) : std::string();
        } else {
            // Shown as the dialog edits it: a line break or a tab is seen, not lost.
            cell_ = lexicon::escape_text(info->item.iSubItem == 0 ? entry.original : entry.translation,
                                         lexicon::EscapeFor::Translation);
        }
        info->item.pszText = cell_.data();
        return 0;
    }
    case LVN_COLUMNCLICK: {
        const int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
        if (column > 1) return 0;
        view_->ClickColumn(column == 0 ? SortColumn::Original : SortColumn::Translation);
        ShowTable();
        return 0;
    }
    case NM_DBLCLK:
    case NM_RETURN:
        ChangeClick();
        return 0;
    case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
        if (key == VK_DELETE) DeleteClick();
        if (key == VK_INSERT) AddClick();
        if (key == 'A' && ::GetKeyState(VK_CONTROL) < 0) ListView_SetItemState(list_, -1, LVIS_SELECTED, LVIS_SELECTED);
        return 0;
    }
    }
    return 0;
}

// 修改 and 删除 need a selected entry, 撤销 a step to undo.
void TKorvexForm::OnInitMenuPopup(HMENU menu) {
    const bool selected = ListView_GetSelectedCount(list_) > 0;
    auto enable = [menu](UINT id, bool on) {
        ::EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    enable(IDM_CHANGE, selected);
    enable(IDM_DELETE, selected);
    enable(IDM_UNDO, table_->CanUndo());
}

void TKorvexForm::OnDropFiles(HDROP drop) {
    std::wstring name;
    if (::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
        name.resize(::DragQueryFileW(drop, 0, nullptr, 0) + 1);
        name.resize(::DragQueryFileW(drop, 0, name.data(), static_cast<UINT>(name.size())));
    }
    ::DragFinish(drop);
    if (!name.empty() && MayDiscard()) OpenFile(win::WideToGbk(name));
}

std::string TKorvexForm::FileName() const {
    if (path_.empty()) return "未命名";
    const std::size_t at = lexicon::gbk::find_last_separator(path_);
    return at == std::string::npos ? path_ : path_.substr(at + 1);
}

void TKorvexForm::ShowTable() {
    view_->Refresh();
    ::SendMessageA(list_, LVM_SETITEMCOUNT, view_->size(), LVSICF_NOSCROLL);
    ::InvalidateRect(list_, nullptr, FALSE);
    ShowStatus();
}

void TKorvexForm::ShowStatus() {
    const std::string caption = std::string(kProgramTitle) + " - " + FileName() + (table_->Modified() ? " *" : "");
    ::SetWindowTextA(hwnd(), caption.c_str());
    const std::string total = lexicon::cat("共 ", table_->size(), " 个条目");
    const std::string shown = view_->Filter().empty() ? lexicon::cat("显示全部 ", view_->size(), " 个")
                                                      : lexicon::cat("筛选后显示 ", view_->size(), " 个");
    ::SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(total.c_str()));
    ::SendMessageA(status_, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(shown.c_str()));
    ::SendMessageA(status_, SB_SETTEXTA, 2, reinterpret_cast<LPARAM>(table_->Modified() ? "已修改" : ""));
}

void TKorvexForm::SelectEntry(std::size_t entry) {
    // Only the selected rows are cleared: clearing every row of a virtual list is a walk
    // over all of them in Wine's list, a third of a second for 200,000 rows.
    for (int item = ListView_GetNextItem(list_, -1, LVNI_SELECTED); item >= 0;
         item = ListView_GetNextItem(list_, item, LVNI_SELECTED)) {
        ListView_SetItemState(list_, item, 0, LVIS_SELECTED);
    }
    const auto row = view_->RowOf(entry);
    if (!row) return;
    const int item = static_cast<int>(*row);
    ListView_SetItemState(list_, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list_, item, FALSE);
}

void TKorvexForm::FindClick() {
    ::SetFocus(filter_);
    ::SendMessageA(filter_, EM_SETSEL, 0, -1);
}

void TKorvexForm::AboutClick() {
    ShowMessage(hwnd(),
                "词库编辑器 " VELMORA_VERSION_TEXT
                "\r\n\r\n打开、查看、筛选和修改编译好的词库（.LIB），\r\n导入和导出词表。"
                "\r\n条目由与 Mervik 相同的检查和写入程序处理。",
                MB_ICONINFORMATION);
}

}  // namespace korvex
