#include "korvex/korvex_form.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <map>
#include <vector>

#include "korvex/concordance_window.h"
#include "korvex/consistency_window.h"
#include "korvex/dialog_preview.h"
#include "korvex/entry_dialog.h"
#include "korvex/korvex_messages.h"
#include "korvex/library_file.h"
#include "korvex/library_io.h"
#include "korvex/properties_dialog.h"
#include "korvex/resource_ids.h"
#include "lexicon/base/diagnostics.h"
#include "lexicon/base/escapes.h"
#include "lexicon/base/gbk.h"
#include "lexicon/checks/entry_checks.h"
#include "lexicon/memory/memory_text.h"
#include "lexicon/program/program_extract.h"
#include "lexicon/wordlist/entry_edit.h"
#include "lexicon/wordlist/word_list.h"
#include "win/gbk.h"
#include "win/safe_save.h"

namespace korvex {

namespace {

constexpr int kFilterId = 10;
constexpr int kListId = 11;
constexpr int kStatusId = 12;
constexpr int kSuggestionsId = 13;
constexpr int kSuggestionsHeight = 120;
constexpr std::size_t kMessagesShown = 20;

std::string Quoted(std::string_view text) { return "“" + std::string(lexicon::shown(text)) + "”"; }

std::string MessageLine(const lexicon::Diagnostic& d) {
    return std::string(lexicon::is_warning(d.code) ? "警告 " : "错误 ") + lexicon::code_name(d.code) + ": " + d.text;
}

// A list of the compiler's messages, cut to what a message box can show.
std::string MessageList(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < kMessagesShown; ++i) text += lines[i] + "\r\n";
    if (lines.size() > kMessagesShown) text += lexicon::cat("……另有 ", lines.size() - kMessagesShown, " 条\r\n");
    return text;
}

// What an import reports: its errors when it was refused (and how many warnings there
// are besides), else its warnings; every count said agrees with the lines listed.
std::string ImportMessages(const ImportResult& result) {
    const bool refused = !result.merged;
    const std::size_t total = refused ? result.errors : result.warnings;
    const std::size_t listed = refused ? result.listed_errors : result.messages.size();
    std::string text;
    std::size_t shown = 0;
    for (; shown < listed && shown < kMessagesShown; ++shown) text += result.messages[shown] + "\r\n";
    if (total > shown) text += lexicon::cat("……另有 ", total - shown, refused ? " 个错误" : " 个警告", "没有列出\r\n");
    if (refused && result.warnings > 0) text += lexicon::cat("（另有 ", result.warnings, " 个警告）\r\n");
    return text;
}

// The folder part of a GBK path, without the trailing separator.
std::string FolderOf(const std::string& path) {
    const std::size_t at = lexicon::gbk::find_last_separator(path);
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

// A common file dialog over GBK paths; empty when cancelled.
std::string AskFileName(HWND owner, bool save, const wchar_t* filter, const wchar_t* extension,
                        const std::string& startFolder, const std::string& startName) {
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring initial = win::GbkToWide(startName);
    std::copy(initial.begin(), initial.end(), name.begin());
    const std::wstring folder = win::GbkToWide(startFolder);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrDefExt = extension;
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL ok = save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    if (!ok) return {};
    return win::WideToGbk(name.data());
}

// The "LIB" folder of the current folder, where the editor's generation run writes its
// libraries, when there is one.
std::string LibraryFolder() {
    const DWORD attributes = ::GetFileAttributesW(L"LIB");
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    wchar_t full[MAX_PATH * 2] = {};
    if (!::GetFullPathNameW(L"LIB", MAX_PATH * 2, full, nullptr)) return {};
    return win::WideToGbk(full);
}

const wchar_t* const kLibraryFilter = L"词库文件 (*.LIB)\0*.LIB\0所有文件 (*.*)\0*.*\0";
const wchar_t* const kWordListFilter = L"词表 (*.trs;*.txt)\0*.trs;*.txt\0所有文件 (*.*)\0*.*\0";

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
    list_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0,
                              0, 0, hwnd(), reinterpret_cast<HMENU>(kListId), instance, nullptr);
    status_ = ::CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, hwnd(),
                                reinterpret_cast<HMENU>(kStatusId), instance, nullptr);
    for (HWND control : {filterLabel_, filter_, list_, status_}) {
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    const char* titles[] = {"原文", "译文"};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(titles[i]);
        column.cx = 340;
        column.iSubItem = i;
        ::SendMessageA(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    suggestions_ = std::make_unique<SuggestionPane>(hwnd(), kSuggestionsId, font_, *memory_,
                                                    [this](const std::string& t) { PutSuggestion(t); });
    const int parts[] = {160, 320, -1};
    ::SendMessageA(status_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    ShowTable();
}

void TKorvexForm::OnSize(int width, int height) {
    ::SendMessageA(status_, WM_SIZE, 0, 0);
    RECT statusRect{};
    ::GetWindowRect(status_, &statusRect);
    const int statusHeight = statusRect.bottom - statusRect.top;
    const int margin = 6, rowHeight = 24, labelWidth = 64;
    ::MoveWindow(filterLabel_, margin, margin, labelWidth, rowHeight, TRUE);
    ::MoveWindow(filter_, margin + labelWidth, margin, std::max(40, width - labelWidth - 2 * margin), rowHeight, TRUE);
    const int listTop = margin * 2 + rowHeight;
    const int listWidth = std::max(0, width - 2 * margin);
    const int below = std::max(0, height - listTop - statusHeight - margin);
    const int pane = std::min(kSuggestionsHeight, below / 3);
    ::MoveWindow(list_, margin, listTop, listWidth, std::max(0, below - pane - margin), TRUE);
    suggestions_->Move(margin, listTop + below - pane, listWidth, pane);
    // The two columns share the width.
    const int column = std::max(80, (listWidth - ::GetSystemMetrics(SM_CXVSCROLL) - 4) / 2);
    ListView_SetColumnWidth(list_, 0, column);
    ListView_SetColumnWidth(list_, 1, column);
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
    switch (id) {
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
        // Shown as the dialog edits it: a line break or a tab is seen, not lost.
        cell_ = lexicon::escape_text(info->item.iSubItem == 0 ? entry.original : entry.translation,
                                     lexicon::EscapeFor::Translation);
        info->item.pszText = cell_.data();
        return 0;
    }
    case LVN_COLUMNCLICK: {
        const int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
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

void TKorvexForm::ShowSuggestions() {
    const int item = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (item < 0 || ListView_GetSelectedCount(list_) != 1 || static_cast<std::size_t>(item) >= view_->size()) {
        suggestions_->Clear();
        return;
    }
    suggestedEntry_ = view_->EntryAt(static_cast<std::size_t>(item));
    if (suggestedEntry_ >= table_->size()) return;
    suggestions_->SetFolder(MemoryFolder());
    const TextPair& entry = table_->at(suggestedEntry_);
    suggestions_->Show(entry.original, entry.translation, path_.empty() ? std::string() : FileName());
}

void TKorvexForm::PutSuggestion(const std::string& translation) {
    if (suggestedEntry_ >= table_->size()) return;
    const std::string original(table_->at(suggestedEntry_).original);
    std::size_t conflict = 0;
    const std::size_t entry = suggestedEntry_;
    if (!table_->Change(entry, original, translation, conflict)) return;
    ShowTable();
    SelectEntry(entry);
}

std::string TKorvexForm::MemoryFolder() const {
    if (path_.empty()) return LibraryFolder();
    // A library named on the command line may be a bare name: its folder is the current one.
    wchar_t full[MAX_PATH * 2] = {};
    if (!::GetFullPathNameW(win::GbkToWide(path_).c_str(), MAX_PATH * 2, full, nullptr)) return FolderOf(path_);
    return FolderOf(win::WideToGbk(full));
}

const lexicon::Memory* TKorvexForm::RefreshedMemory(std::string& folder, lexicon::Diagnostics& diagnostics) {
    folder = MemoryFolder();
    return memory_->Refreshed(folder, diagnostics);
}

bool TKorvexForm::TranslateToolMessage(MSG* msg) const {
    return (concordance_ && concordance_->Translate(msg)) || (consistency_ && consistency_->Translate(msg));
}

void TKorvexForm::ConcordanceClick() {
    if (!concordance_) {
        TConcordanceWindow::Host host;
        host.memory = [this](std::string& folder, lexicon::Diagnostics& d) { return RefreshedMemory(folder, d); };
        host.put = [this](const std::string& translation) { return PutIntoSelected(translation); };
        concordance_ = std::make_unique<TConcordanceWindow>(std::move(host));
    }
    concordance_->Show(hwnd());
}

void TKorvexForm::ConsistencyClick() {
    if (!consistency_) {
        TConsistencyWindow::Host host;
        host.memory = [this](std::string& folder, lexicon::Diagnostics& d) { return RefreshedMemory(folder, d); };
        host.open = [this](const std::string& folder, const std::string& name, const std::string& original,
                           const std::string& translation) { OpenMemoryEntry(folder, name, original, translation); };
        consistency_ = std::make_unique<TConsistencyWindow>(std::move(host));
    }
    consistency_->Show(hwnd());
}

bool TKorvexForm::PutIntoSelected(const std::string& translation) {
    if (ListView_GetSelectedCount(list_) != 1) return false;
    const int item = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (item < 0 || static_cast<std::size_t>(item) >= view_->size()) return false;
    const std::size_t entry = view_->EntryAt(static_cast<std::size_t>(item));
    const std::string original(table_->at(entry).original);
    std::size_t conflict = 0;
    if (!table_->Change(entry, original, translation, conflict)) return false;
    ShowTable();
    SelectEntry(entry);
    return true;
}

std::optional<std::size_t> TKorvexForm::FindEntry(const std::string& original, const std::string& translation) const {
    for (std::size_t i = 0; i < table_->size(); ++i) {
        if (table_->at(i).original == original && table_->at(i).translation == translation) return i;
    }
    std::u16string wantOriginal, wantTranslation, units;
    lexicon::memory::normalise_units(original, wantOriginal);
    lexicon::memory::normalise_units(translation, wantTranslation);
    for (std::size_t i = 0; i < table_->size(); ++i) {
        lexicon::memory::normalise_units(table_->at(i).original, units);
        if (units != wantOriginal) continue;
        lexicon::memory::normalise_units(table_->at(i).translation, units);
        if (units == wantTranslation) return i;
    }
    return std::nullopt;
}

void TKorvexForm::OpenMemoryEntry(const std::string& folder, const std::string& name, const std::string& original,
                                  const std::string& translation) {
    const std::string path = memory_->PathOf(folder, name);
    const auto same = [](const std::string& a, const std::string& b) {
        wchar_t fullA[MAX_PATH * 2] = {}, fullB[MAX_PATH * 2] = {};
        if (a.empty() || b.empty()) return false;
        ::GetFullPathNameW(win::GbkToWide(a).c_str(), MAX_PATH * 2, fullA, nullptr);
        ::GetFullPathNameW(win::GbkToWide(b).c_str(), MAX_PATH * 2, fullB, nullptr);
        return ::lstrcmpiW(fullA, fullB) == 0;
    };
    if (!same(path, path_)) {
        if (!MayDiscard() || !OpenFile(path)) return;
    }
    const auto entry = FindEntry(original, translation);
    if (!entry) {
        ShowMessage(
            hwnd(),
            lexicon::cat("词库“", FileName(), "”中没有原文为", Quoted(original), "、译文为", Quoted(translation),
                         "的条目。\n它可能已经修改或删除；一致性检查中的“重新检查”会读取词库的现状。"),
            MB_ICONINFORMATION);
        return;
    }
    // A filter that hides the entry goes: the user asked to see it.
    if (!view_->RowOf(*entry)) ::SetWindowTextW(filter_, L"");
    SelectEntry(*entry);
}

void TKorvexForm::SelectEntry(std::size_t entry) {
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    const auto row = view_->RowOf(entry);
    if (!row) return;
    const int item = static_cast<int>(*row);
    ListView_SetItemState(list_, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list_, item, FALSE);
}

void TKorvexForm::ReplaceTable(std::unique_ptr<EntryTable> table, std::string path) {
    // The view refers to the table: it goes first.
    view_.reset();
    table_ = std::move(table);
    const std::string filter = [&] {
        std::wstring wide(static_cast<std::size_t>(::GetWindowTextLengthW(filter_)) + 1, L'\0');
        wide.resize(static_cast<std::size_t>(::GetWindowTextW(filter_, wide.data(), static_cast<int>(wide.size()))));
        return win::WideToGbk(wide);
    }();
    view_ = std::make_unique<EntryView>(*table_);
    view_->SetFilter(filter);
    path_ = std::move(path);
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ShowTable();
}

bool TKorvexForm::OpenFile(const std::string& path) {
    std::string why;
    auto bytes = ReadFileBytes(path, why);
    std::unique_ptr<EntryTable> table;
    if (bytes) table = OpenLibrary(std::move(*bytes), why);
    if (!table) {
        ShowMessage(hwnd(), FileMessage("无法打开词库", path, why), MB_ICONSTOP);
        return false;
    }
    ReplaceTable(std::move(table), path);
    return true;
}

bool TKorvexForm::MayDiscard() {
    if (!table_->Modified()) return true;
    const int answer = ShowMessage(hwnd(), "词库“" + FileName() + "”已修改。\n要保存修改吗？",
                                   MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES) return SaveClick();
    return answer == IDNO;
}

void TKorvexForm::NewClick() {
    if (!MayDiscard()) return;
    ReplaceTable(std::make_unique<EntryTable>(), {});
}

void TKorvexForm::OpenClick() {
    if (!MayDiscard()) return;
    const std::string folder = path_.empty() ? LibraryFolder() : FolderOf(path_);
    const std::string path = AskFileName(hwnd(), false, kLibraryFilter, L"LIB", folder, {});
    if (!path.empty()) OpenFile(path);
}

bool TKorvexForm::SaveClick() { return path_.empty() ? SaveAsClick() : SaveTo(path_); }

bool TKorvexForm::SaveAsClick() {
    const std::string folder = path_.empty() ? LibraryFolder() : FolderOf(path_);
    const std::string path = AskFileName(hwnd(), true, kLibraryFilter, L"LIB", folder, path_.empty() ? "" : FileName());
    return !path.empty() && SaveTo(path);
}

// Written through the compiler's writer into a temporary file that replaces the old one
// only once it is complete; on any failure the old file and the edits stay.
bool TKorvexForm::SaveTo(const std::string& path) {
    const std::string bytes = LibraryBytes(*table_);
    if (bytes.empty()) {
        ShowMessage(hwnd(), FileMessage("无法保存词库", path, "条目太多，超过了词库格式的 4 GB"), MB_ICONSTOP);
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(win::GbkToWide(path).c_str());
    const char* why = nullptr;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        why = "这是一个文件夹，不是文件";
    } else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        why = "文件是只读的";
    } else {
        try {
            win::WriteFileSafely(path, bytes);
        } catch (const std::exception&) {
            why = "无法写入文件（文件夹不存在、没有写入权限、磁盘已满或文件正被使用），原有的文件保持不变";
        }
    }
    if (why) {
        ShowMessage(hwnd(), FileMessage("无法保存词库", path, why) + "\n修改仍保留在编辑器中。", MB_ICONSTOP);
        return false;
    }
    table_->MarkSaved();
    path_ = path;
    ShowStatus();
    return true;
}

void TKorvexForm::ImportClick() {
    const std::string path = AskFileName(hwnd(), false, kWordListFilter, L"txt", FolderOf(path_), {});
    if (path.empty()) return;
    std::string why;
    auto bytes = ReadFileBytes(path, why);
    if (!bytes) {
        ShowMessage(hwnd(), FileMessage("无法导入词表", path, why), MB_ICONSTOP);
        return;
    }
    const std::size_t at = lexicon::gbk::find_last_separator(path);
    const std::string name = at == std::string::npos ? path : path.substr(at + 1);
    const ImportResult result = ImportWordList(*table_, std::move(*bytes), name);
    ShowTable();
    if (!result.merged) {
        ShowMessage(hwnd(),
                    lexicon::cat("词表“", path, "”有 ", result.errors, " 个错误，没有导入任何条目：\r\n\r\n",
                                 ImportMessages(result)),
                    MB_ICONSTOP);
        return;
    }
    std::string summary = lexicon::cat("已导入词表“", path, "”：\r\n增加了 ", result.counts.added, " 个条目，修改了 ",
                                       result.counts.changed, " 个条目，", result.counts.unchanged,
                                       " 个条目保持不变。");
    if (result.warnings > 0) {
        summary += lexicon::cat("\r\n\r\n编译器有 ", result.warnings, " 个警告：\r\n", ImportMessages(result));
    }
    ShowMessage(hwnd(), summary, MB_ICONINFORMATION);
}

// A program's menus, dialogs and string tables become a new library (the entries that
// already have a translation), and its dialogs open in the preview.
void TKorvexForm::ExtractClick() {
    if (!MayDiscard()) return;
    static const wchar_t filter[] = L"程序 (*.exe;*.dll)\0*.exe;*.dll\0所有文件 (*.*)\0*.*\0";
    const std::string path = AskFileName(hwnd(), false, filter, L"exe", FolderOf(path_), {});
    if (path.empty()) return;
    std::string why;
    auto bytes = ReadFileBytes(path, why);
    if (!bytes) {
        ShowMessage(hwnd(), FileMessage("无法从程序提取", path, why), MB_ICONSTOP);
        return;
    }
    const std::size_t at = lexicon::gbk::find_last_separator(path);
    const std::string name = at == std::string::npos ? path : path.substr(at + 1);
    lexicon::Diagnostics diagnostics;
    lexicon::ProgramExtractor extractor({});
    if (!extractor.add(name, *bytes, diagnostics)) {
        ShowMessage(hwnd(), diagnostics.listed().front().text, MB_ICONSTOP);
        return;
    }
    const std::string list = extractor.word_list();
    ReplaceTable(std::make_unique<EntryTable>(), {});
    const ImportResult result = ImportWordList(*table_, list, name);
    ShowTable();
    if (!result.merged) {
        ShowMessage(hwnd(),
                    lexicon::cat("从“", path, "”提取的词表有 ", result.errors, " 个错误，没有加入任何条目：\r\n\r\n",
                                 ImportMessages(result)),
                    MB_ICONSTOP);
        return;
    }
    std::map<std::string, std::string> words;
    lexicon::Diagnostics ignored;
    const lexicon::WordList compiled = lexicon::compile_word_list(list, ignored);
    for (const lexicon::Entry& e : compiled.entries()) {
        words.emplace(compiled.original(e), compiled.translation(e));
    }
    preview_.reset();
    preview_ = std::make_unique<TDialogPreview>(PreviewDialogs(*bytes, name, words));
    preview_->Create(hwnd());
    ::ShowWindow(preview_->hwnd(), SW_SHOW);
}

void TKorvexForm::ExportClick() {
    std::string name = FileName();
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    const std::string path = AskFileName(hwnd(), true, kWordListFilter, L"txt", FolderOf(path_), name + ".txt");
    if (path.empty()) return;
    try {
        win::WriteFileSafely(path, ExportWordList(*table_));
    } catch (const std::exception&) {
        ShowMessage(hwnd(), FileMessage("无法导出词表", path, "无法写入文件（只读、没有写入权限或磁盘已满）"),
                    MB_ICONSTOP);
    }
}

void TKorvexForm::PropertiesClick() {
    const std::string facts = lexicon::cat("文件：", path_.empty() ? std::string("（尚未保存）") : path_, "\r\n条目：",
                                           table_->size(), " 个");
    TPropertiesDialog dialog(facts, table_->description());
    if (!dialog.ShowModal(hwnd())) return;
    table_->SetDescription(dialog.Description());
    ShowTable();
}

bool TKorvexForm::AcceptEntry(HWND dialog, const std::string& originalField, const std::string& translationField,
                              std::ptrdiff_t editing) {
    lexicon::Diagnostics diagnostics;
    auto checked = lexicon::check_entry_fields(originalField, translationField, diagnostics);
    std::vector<std::string> lines;
    for (const lexicon::Diagnostic& d : diagnostics.listed()) lines.push_back(MessageLine(d));
    // A library has no comment lines to say that a '%' is no placeholder: the user says
    // it here, and the entry is checked again without the placeholder check.
    const auto only_placeholders = [&diagnostics] {
        for (const lexicon::Diagnostic& d : diagnostics.listed()) {
            if (!lexicon::is_warning(d.code) && d.code != lexicon::Code::PlaceholderMismatch) return false;
        }
        return diagnostics.errors() > 0 && diagnostics.unlisted() == 0;
    };
    if (!checked && only_placeholders()) {
        std::vector<std::string> mismatches;
        for (const lexicon::Diagnostic& d : diagnostics.listed()) {
            if (d.code != lexicon::Code::PlaceholderMismatch) continue;
            std::string line = MessageLine(d);
            const std::size_t advice = line.rfind(lexicon::placeholder_opt_out_advice);
            if (advice != std::string::npos) line.erase(advice);
            mismatches.push_back(line);
        }
        if (ShowMessage(dialog,
                        "格式占位符不一致：\r\n\r\n" + MessageList(mismatches) +
                            "\r\n这些 % 不是占位符（例如“%CPU 占用”）时可以仍然接受。仍然接受这一条目吗？",
                        MB_YESNO | MB_ICONWARNING) != IDYES) {
            return false;
        }
        lexicon::Diagnostics confirmed;
        checked = lexicon::check_entry_fields(originalField, translationField, confirmed, true);
        lines.clear();
        for (const lexicon::Diagnostic& d : confirmed.listed()) lines.push_back(MessageLine(d));
    }
    if (!checked) {
        ShowMessage(dialog,
                    "编译器不接受这一条目：\r\n\r\n" + MessageList(lines) + "\r\n（检查的词表行是“" +
                        lexicon::entry_line(originalField, translationField) + "”）",
                    MB_ICONSTOP);
        return false;
    }
    if (!lines.empty() &&
        ShowMessage(dialog, "编译器对这一条目有警告：\r\n\r\n" + MessageList(lines) + "\r\n仍然接受这一条目吗？",
                    MB_YESNO | MB_ICONWARNING) != IDYES) {
        return false;
    }
    std::size_t conflict = 0;
    const bool taken = editing < 0 ? table_->Add(checked->original, checked->translation, conflict)
                                   : table_->Change(static_cast<std::size_t>(editing), checked->original,
                                                    checked->translation, conflict);
    if (!taken) {
        const TextPair& other = table_->at(conflict);
        ShowMessage(dialog,
                    lexicon::cat("原文", Quoted(other.original), "已经在第 ", conflict + 1, " 个条目中（译文",
                                 Quoted(other.translation), "）。\r\n同一原文在词库中只能有一个条目。"),
                    MB_ICONSTOP);
        return false;
    }
    return true;
}

void TKorvexForm::AddClick() {
    TEntryDialog dialog("增加条目", {}, {}, [this](HWND d, const std::string& o, const std::string& t) {
        return AcceptEntry(d, o, t, -1);
    });
    if (!dialog.ShowModal(hwnd())) return;
    ShowTable();
    SelectEntry(table_->size() - 1);
}

void TKorvexForm::ChangeClick() {
    const int row = ListView_GetNextItem(list_, -1, LVNI_FOCUSED | LVNI_SELECTED);
    const int item = row >= 0 ? row : ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (item < 0 || static_cast<std::size_t>(item) >= view_->size()) return;
    const std::size_t entry = view_->EntryAt(static_cast<std::size_t>(item));
    const TextPair& text = table_->at(entry);
    TEntryDialog dialog("修改条目", lexicon::escape_text(text.original, lexicon::EscapeFor::Translation),
                        lexicon::escape_text(text.translation, lexicon::EscapeFor::Translation),
                        [this, entry](HWND d, const std::string& o, const std::string& t) {
                            return AcceptEntry(d, o, t, static_cast<std::ptrdiff_t>(entry));
                        });
    if (!dialog.ShowModal(hwnd())) return;
    ShowTable();
    SelectEntry(entry);
}

void TKorvexForm::DeleteClick() {
    std::vector<std::size_t> entries;
    for (int item = ListView_GetNextItem(list_, -1, LVNI_SELECTED); item >= 0;
         item = ListView_GetNextItem(list_, item, LVNI_SELECTED)) {
        if (static_cast<std::size_t>(item) < view_->size())
            entries.push_back(view_->EntryAt(static_cast<std::size_t>(item)));
    }
    if (entries.empty()) return;
    const std::string question = entries.size() == 1
                                     ? "删除条目" + Quoted(table_->at(entries.front()).original) + "吗？"
                                     : lexicon::cat("删除选定的 ", entries.size(), " 个条目吗？");
    if (ShowMessage(hwnd(), question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    table_->Remove(std::move(entries));
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
    ShowTable();
}

void TKorvexForm::UndoClick() {
    if (!table_->CanUndo()) return;
    table_->Undo();
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
    ShowTable();
}

void TKorvexForm::FindClick() {
    ::SetFocus(filter_);
    ::SendMessageA(filter_, EM_SETSEL, 0, -1);
}

void TKorvexForm::AboutClick() {
    ShowMessage(hwnd(),
                "词库编辑器 1.0.0\r\n\r\n打开、查看、筛选和修改编译好的词库（.LIB），\r\n导入和导出词表。"
                "\r\n条目由与 Mervik 相同的检查和写入程序处理。",
                MB_ICONINFORMATION);
}

}  // namespace korvex
