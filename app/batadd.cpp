#include "app/batadd.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "app/about.h"
#include "app/program_dir.h"
#include "app/resource_ids.h"
#include "documents/batchild.h"
#include "documents/editing_commands.h"
#include "documents/file_commands.h"
#include "documents/recovery_dialog.h"
#include "generation/generation_run.h"
#include "generation/running_compiler.h"
#include "search/find_replace.h"
#include "widgets/clock.h"
#include "widgets/panel.h"
#include "widgets/shadow_hint.h"
#include "widgets/speed_button.h"
#include "win/detached_exec.h"
#include "win/dpi.h"
#include "win/error_display.h"
#include "win/gbk.h"

namespace app {

namespace {

const char* const kClassName = "TMDIForm";
// Also the task-bar button's text: a plain Win32 program has no hidden application
// window whose title the button could show instead.
const char* const kCaption = "Velmora—词库生成系统";
const UINT kFirstMdiChildId = 0xFF00;

// Design sizes, pixels at 120 dpi.
const int kWidth = 573, kHeight = 447;
const int kToolBarHeight = 48, kButtonTop = 2, kButtonHeight = 44;
const int kStatusAreaHeight = 25;
const int kStatusPanelWidths[] = {100, 80, 50};
const RECT kClockBounds{11, 6, 11 + 70, 6 + 16};

int GlyphResource(Element e) {
    switch (e) {
    case Element::fileNew:
        return IDB_GLYPH_NEW;
    case Element::fileOpen:
        return IDB_GLYPH_OPEN;
    case Element::fileSave:
        return IDB_GLYPH_SAVE;
    case Element::cutBtn:
        return IDB_GLYPH_CUT;
    case Element::copyBtn:
        return IDB_GLYPH_COPY;
    case Element::pasteBtn:
        return IDB_GLYPH_PASTE;
    case Element::findBtn:
        return IDB_GLYPH_FIND;
    case Element::Replace:
        return IDB_GLYPH_REPLACE;
    case Element::BeginTransfer:
        return IDB_GLYPH_GENERATE;
    case Element::LibMan:
        return IDB_GLYPH_LIBMAN;
    default:
        return IDB_GLYPH_ADJLIB;
    }
}

std::string ModulePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);  // long paths are never cut
    }
}

// The document area's grey background.
LRESULT CALLBACK DocumentAreaProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR brush) {
    if (msg == WM_ERASEBKGND) {
        RECT rc;
        ::GetClientRect(hwnd, &rc);
        ::FillRect(reinterpret_cast<HDC>(wParam), &rc, reinterpret_cast<HBRUSH>(brush));
        return 1;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

// The status bar's own window text is the text of its first part; that part is
// owner-drawn and holds no text. Read from outside (a screen reader, an automation tool)
// the bar answers with what it shows: the caret position panel.
LRESULT CALLBACK StatusBarTextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg != WM_GETTEXTLENGTH && msg != WM_GETTEXT) return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    // The control may be a Unicode window whatever class name created it: the messages
    // come in its own character set.
    const bool wide = ::IsWindowUnicode(hwnd) != FALSE;
    const std::size_t length = LOWORD(::SendMessageW(hwnd, wide ? SB_GETTEXTLENGTHW : SB_GETTEXTLENGTHA, 1, 0));
    if (msg == WM_GETTEXTLENGTH) return static_cast<LRESULT>(length);
    if (wParam == 0 || lParam == 0) return 0;
    const std::size_t fits = std::min<std::size_t>(length, wParam - 1);
    if (wide) {
        std::wstring text(length + 1, L'\0');
        ::SendMessageW(hwnd, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text.data()));
        std::memcpy(reinterpret_cast<wchar_t*>(lParam), text.data(), fits * sizeof(wchar_t));
        reinterpret_cast<wchar_t*>(lParam)[fits] = L'\0';
    } else {
        std::string text(length + 1, '\0');
        ::SendMessageA(hwnd, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text.data()));
        std::memcpy(reinterpret_cast<char*>(lParam), text.data(), fits);
        reinterpret_cast<char*>(lParam)[fits] = '\0';
    }
    return static_cast<LRESULT>(fits);
}

}  // namespace

TMDIForm::TMDIForm() : background_(::CreateSolidBrush(RGB(128, 128, 128))) {
    HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELMORA));
    RegisterClassOnce(kClassName, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr, icon);
    int width = win::Scale(kWidth), height = win::Scale(kHeight);
    int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    Create(0, kClassName, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, width, height, nullptr, nullptr);
}

TMDIForm::~TMDIForm() {
    // The windows go before the members they use (the find dialogs, fonts, glyphs).
    if (hwnd()) ::DestroyWindow(hwnd());
}

HWND TMDIForm::ToolBar() const { return panel1_ ? panel1_->hwnd() : nullptr; }

void TMDIForm::FormCreate() {
    programDir_ = ProgramDirFromPath(ModulePath());
    refreshAttached_ = true;
}

void TMDIForm::BuildMenu() {
    menuBar_.reset(::CreateMenu());
    HMENU popup = nullptr;
    for (const MenuEntry& e : MenuTable()) {
        if (e.hidden) continue;  // hidden items never show
        UINT id = static_cast<UINT>(ElementId(e.element));
        switch (e.kind) {
        case MenuKind::Popup:
            popup = ::CreatePopupMenu();
            ::AppendMenuA(menuBar_.get(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), e.caption);
            break;
        case MenuKind::BarCommand:
            ::AppendMenuA(menuBar_.get(), MF_STRING, id, e.caption);
            popup = nullptr;
            break;
        case MenuKind::Separator:
            ::AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
            break;
        case MenuKind::Item: {
            std::string text = e.caption;
            std::string shortcut = ShortcutText(e.shortcut);
            if (!shortcut.empty()) text += "\t" + shortcut;
            ::AppendMenuA(popup, MF_STRING, id, text.c_str());
            break;
        }
        }
    }
    ::SetMenu(hwnd(), menuBar_.get());
}

void TMDIForm::BuildToolBar() {
    panel1_ = std::make_unique<widgets::Panel>(hwnd(), "Panel1", widgets::Bevel::Raised, widgets::Bevel::Lowered);
    panel1_->AddLeftLine({win::Scale(130), win::Scale(1), win::Scale(46)});
    panel1_->AddLeftLine({win::Scale(343), win::Scale(3), win::Scale(42)});
    formFont_ = win::MakeFont({"MS Sans Serif", 17});
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    for (const ToolButtonEntry& b : ToolButtonTable()) {
        HBITMAP glyph = static_cast<HBITMAP>(
            ::LoadImageA(instance, MAKEINTRESOURCEA(GlyphResource(b.element)), IMAGE_BITMAP, 0, 0, 0));
        if (!glyph) throw win::CommandError(std::string("Cannot load image ") + b.name);
        glyphs_.emplace_back(glyph);
        RECT bounds{win::Scale(b.x), win::Scale(kButtonTop), win::Scale(b.x + b.width),
                    win::Scale(kButtonTop + kButtonHeight)};
        auto button = std::make_unique<widgets::SpeedButton>(panel1_->hwnd(), ElementId(b.element), b.caption, glyph,
                                                             formFont_.get(), bounds, !b.hidden);
        button->SetEnabled(b.initiallyEnabled);
        buttons_.push_back(std::move(button));
    }
    // The balloon shows the part of each hint before the bar.
    shadowHint1_ = std::make_unique<widgets::ShadowHint>(hwnd(), widgets::HintDirection::hdDownRight);
    for (const ToolButtonEntry& b : ToolButtonTable())
        if (!b.hidden)
            shadowHint1_->AddHint(::GetDlgItem(panel1_->hwnd(), ElementId(b.element)), std::string(ShortHint(b.hint)));
}

void TMDIForm::BuildStatusArea() {
    panel2_ = std::make_unique<widgets::Panel>(hwnd(), "Panel2", widgets::Bevel::Lowered, widgets::Bevel::None);
    statusFont_ = win::MakeFont({"MS Sans Serif", 12});
    statusBar_ = ::CreateWindowExA(
        0, STATUSCLASSNAMEA, "StatusBar1",
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, 0, 0, 0, 0,
        panel2_->hwnd(), nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!statusBar_) throw win::CommandError("Cannot create window StatusBar1");
    ::SendMessageA(statusBar_, WM_SETFONT, reinterpret_cast<WPARAM>(statusFont_.get()), FALSE);
    int edges[3];
    int right = 0;
    for (int i = 0; i < 3; ++i) edges[i] = right += win::Scale(kStatusPanelWidths[i]);
    ::SendMessageA(statusBar_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    // The first panel is owner-drawn and nothing draws on it: the clock lies over it. Its
    // data is no text: the control keeps it where a part's text goes, and reading the
    // bar's window text would then read that pointer as a wide string, past its end.
    ::SendMessageA(statusBar_, SB_SETTEXTA, 0 | SBT_OWNERDRAW, 0);
    ::SetWindowSubclass(statusBar_, StatusBarTextProc, 1, 0);
    clockFont_ = win::MakeFont({"MS Sans Serif", 12});
    RECT clockBounds{win::Scale(kClockBounds.left), win::Scale(kClockBounds.top), win::Scale(kClockBounds.right),
                     win::Scale(kClockBounds.bottom)};
    clock_ = std::make_unique<widgets::Clock>(panel2_->hwnd(), clockBounds, clockFont_.get());
    ::SetWindowPos(clock_->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TMDIForm::Layout() {
    if (!client_) return;
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    int toolBar = win::Scale(kToolBarHeight), statusArea = win::Scale(kStatusAreaHeight);
    ::MoveWindow(panel1_->hwnd(), 0, 0, rc.right, toolBar, TRUE);
    ::MoveWindow(panel2_->hwnd(), 0, rc.bottom - statusArea, rc.right, statusArea, TRUE);
    int border = panel2_->BorderWidth();
    ::MoveWindow(statusBar_, border, border, rc.right - 2 * border, statusArea - 2 * border, TRUE);
    int middle = std::max(0L, rc.bottom - toolBar - statusArea);
    ::MoveWindow(client_, 0, toolBar, rc.right, middle, TRUE);
}

documents::TMdiChild* TMDIForm::ActiveDocument() const { return documents::ActiveDocumentIn(client_); }

std::vector<documents::TMdiChild*> TMDIForm::Documents() const { return documents::DocumentsIn(client_); }

void TMDIForm::RefreshCommandStates() {
    if (!refreshAttached_) return;
    ActiveDocumentFacts facts;
    if (auto* doc = ActiveDocument()) {
        facts.present = true;
        facts.modified = doc->IsModified();
        facts.hasSelection = doc->HasSelection();
        facts.canUndo = doc->Editor().CanUndo();
    }
    states_.Refresh(facts);
    ApplyStates();
}

HWND TMDIForm::ActiveForm() const {
    auto* doc = ActiveDocument();
    return doc ? doc->hwnd() : hwnd();
}

void TMDIForm::FormActivated(HWND form) {
    if (form == activeForm_) return;
    activeForm_ = form;
    RefreshCommandStates();
}

void TMDIForm::OnEditorSelectionChange(bool selectionNotEmpty) {
    states_.SelectionChanged(selectionNotEmpty);
    ApplyStates();
}

void TMDIForm::SetElementEnabled(Element e, bool enabled) {
    states_.set(e, enabled);
    ApplyStates();
}

void TMDIForm::OnEditorUndoChanged(bool canUndo) {
    states_.UndoChanged(canUndo);
    ApplyStates();
}

void TMDIForm::SetCaretPositionText(const std::string& text) {
    ::SendMessageA(statusBar_, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(text.c_str()));
}

void TMDIForm::ApplyStates() {
    bool barChanged = false;
    for (std::size_t i = 0; i < kElementCount; ++i) {
        auto e = static_cast<Element>(i);
        bool on = states_.enabled(e);
        if (on == applied_.enabled(e)) continue;
        if (IsToolButton(e)) {
            for (auto& button : buttons_)
                if (::GetDlgCtrlID(button->hwnd()) == ElementId(e)) button->SetEnabled(on);
        } else if (const MenuEntry* entry = FindMenuEntry(e);
                   entry && !entry->hidden && entry->kind != MenuKind::Popup) {
            ::EnableMenuItem(menuBar_.get(), ElementId(e), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
            barChanged |= entry->kind == MenuKind::BarCommand;
        }
        applied_.set(e, on);
    }
    if (barChanged) ::DrawMenuBar(hwnd());
}

bool TMDIForm::TranslateShortcut(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (msg.hwnd != hwnd() && !::IsChild(hwnd(), msg.hwnd)) return false;
    Shortcut pressed{static_cast<unsigned>(msg.wParam), ::GetKeyState(VK_CONTROL) < 0, ::GetKeyState(VK_SHIFT) < 0,
                     msg.message == WM_SYSKEYDOWN || ::GetKeyState(VK_MENU) < 0};
    const MenuEntry* item = FindShortcutOwner(pressed);
    if (!item) return false;
    // The key is used up either way; a disabled item (or menu) swallows it.
    const MenuEntry* popup = ParentPopup(*item);
    if (states_.enabled(item->element) && (!popup || states_.enabled(popup->element))) Execute(item->command);
    return true;
}

bool TMDIForm::PreTranslateMessage(MSG& msg) {
    if (shadowHint1_) shadowHint1_->RelayMessage(msg);
    if (findReplace_ && findReplace_->TranslateDialogMessage(msg)) return true;
    if (TranslateShortcut(msg)) return true;
    return client_ && ::TranslateMDISysAccel(client_, &msg);
}

void TMDIForm::Execute(Command command) {
    win::RunReportingErrors([&] {
        switch (command) {
        case Command::None:
            break;
        case Command::New:
            New1Click();
            break;
        case Command::Open:
            Open1Click();
            break;
        case Command::Save:
            Save1Click();
            break;
        case Command::SaveAs:
            SaveAs1Click();
            break;
        case Command::Exit:
            Exit1Click();
            break;
        case Command::Undo:
            Undo1Click();
            break;
        case Command::Cut:
            Cut1Click();
            break;
        case Command::Copy:
            Copy1Click();
            break;
        case Command::Paste:
            Paste1Click();
            break;
        case Command::Find:
            findBtnClick();
            break;
        case Command::Replace:
            ReplaceClick();
            break;
        case Command::Clear:
            l1Click();
            break;
        case Command::SelectAll:
            A2Click();
            break;
        case Command::LexiconEditor:
            N6Click();
            break;
        case Command::Cascade:
            Cascade1Click();
            break;
        case Command::TileHorizontal:
            TileHClick();
            break;
        case Command::TileVertical:
            TileVClick();
            break;
        case Command::ArrangeIcons:
            ArrangeClick();
            break;
        case Command::CloseAll:
            CloseAllClick();
            break;
        case Command::MinimizeAll:
            MinAllClick();
            break;
        case Command::RestoreAll:
            RestoreAllClick();
            break;
        case Command::Generate:
            B1Click();
            break;
        case Command::HelpContents:
            Contents1Click();
            break;
        case Command::About:
            About1Click();
            break;
        }
    });
}

// ---- commands ---------------------------------------------------------------

void TMDIForm::New1Click() { documents::NewDocument(*this); }
void TMDIForm::Open1Click() { documents::OpenDocument(*this); }
void TMDIForm::Save1Click() { documents::SaveDocument(*this); }
void TMDIForm::SaveAs1Click() { documents::SaveDocumentAs(*this); }

void TMDIForm::Exit1Click() { ::SendMessageA(hwnd(), WM_CLOSE, 0, 0); }

void TMDIForm::Undo1Click() { documents::UndoEdit(*this); }
void TMDIForm::Cut1Click() { documents::CutSelection(*this); }
void TMDIForm::Copy1Click() { documents::CopySelection(*this); }
void TMDIForm::Paste1Click() { documents::PasteClipboard(*this); }
void TMDIForm::findBtnClick() { findReplace_->ShowFind(); }
void TMDIForm::ReplaceClick() { findReplace_->ShowReplace(); }
void TMDIForm::l1Click() { documents::ClearText(*this); }
void TMDIForm::A2Click() { documents::SelectAllText(*this); }

// Started off the editor's thread, as the help is: a start call that waits for the
// new program would freeze the editor while that program shows a box.
void TMDIForm::N6Click() { win::WinExecDetached({"KORVEX.EXE"}, SW_SHOW, hwnd(), kLibraryEditorFailedMessage); }

void TMDIForm::Cascade1Click() { ::SendMessageA(client_, WM_MDICASCADE, 0, 0); }
void TMDIForm::TileHClick() { ::SendMessageA(client_, WM_MDITILE, MDITILE_HORIZONTAL, 0); }
void TMDIForm::TileVClick() { ::SendMessageA(client_, WM_MDITILE, MDITILE_VERTICAL, 0); }
void TMDIForm::ArrangeClick() { ::SendMessageA(client_, WM_MDIICONARRANGE, 0, 0); }
void TMDIForm::CloseAllClick() {
    // Each window open now is asked once, most recent first; windows that go away
    // meanwhile must not make the walk skip one, so walk a copy of the handles. A
    // refusal leaves that window open and goes on; a failed save ends the command.
    std::vector<HWND> windows;
    for (auto* doc : Documents()) windows.push_back(doc->hwnd());
    for (HWND h : windows)
        if (::IsWindow(h) && !documents::TMdiChild::AskToClose(h)) break;
}

void TMDIForm::MinAllClick() {
    // Least recently activated first, over a copy: minimising reorders the list.
    auto docs = Documents();
    std::vector<HWND> windows;
    for (auto* doc : docs) windows.push_back(doc->hwnd());
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (::IsWindow(*it) && !::IsIconic(*it)) ::ShowWindow(*it, SW_MINIMIZE);
}

void TMDIForm::RestoreAllClick() {
    std::vector<HWND> windows;
    for (auto* doc : Documents()) windows.push_back(doc->hwnd());
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (::IsWindow(*it) && (::IsIconic(*it) || ::IsZoomed(*it))) ::ShowWindow(*it, SW_RESTORE);
}
void TMDIForm::B1Click() {
    // The close that stopped the compiler is carried out once the run has let go of
    // its windows, however it ends.
    struct CloseAfterRun {
        TMDIForm& form;
        ~CloseAfterRun() {
            if (std::exchange(form.closeAfterRun_, false)) ::PostMessageA(form.hwnd(), WM_CLOSE, 0, 0);
            HWND document = std::exchange(form.closeDocumentAfterRun_, nullptr);
            if (document && ::IsWindow(document)) ::PostMessageA(document, WM_CLOSE, 0, 0);
        }
    } closeAfterRun{*this};
    generation::RunGeneration(*this, properties_);
}

void TMDIForm::Contents1Click() {
    // The viewer looks for a bare file name in its own folder, the current folder, the
    // system folders and then PATH; Saffel.hlp stands beside Velmora.exe, so PATH
    // (inherited by the viewer) gets the program folder, after everything else.
    std::string path(32767, '\0');
    path.resize(::GetEnvironmentVariableA("PATH", path.data(), static_cast<DWORD>(path.size())));
    ::SetEnvironmentVariableA("PATH", SearchPathWithFolder(path, ProgramDir()).c_str());
    // The viewer may open a box before it is idle; the editor must not wait for it. A
    // 64-bit system may have only the 32-bit-named viewer winhlp32 (a 64-bit Wine prefix
    // has no Winhelp at all); when neither starts, the frame says why.
    win::WinExecDetached({"Winhelp Saffel.hlp", "winhlp32 Saffel.hlp"}, SW_SHOWNORMAL, hwnd(),
                         kHelpViewerFailedMessage);
}

void TMDIForm::About1Click() {
    TAboutBox box(*this);  // fresh every time: the credits start from the top
    box.ShowModal();
}

// ---- recovery copies ------------------------------------------------------------

void TMDIForm::StartRecovery() {
    recovery_ = std::make_unique<documents::RecoveryStore>(documents::RecoveryStore::DefaultRoot());
    if (!recovery_->Usable()) {
        recovery_->FirstFailure();  // told now, never again
        win::ShowErrorBox("无法建立恢复副本的文件夹（" + win::WideToGbk(documents::RecoveryStore::DefaultRoot()) +
                          "）。\n编辑器照常工作，但如果它意外退出，未存盘的改动将无法恢复。请及时存盘。");
        return;
    }
    std::vector<documents::FoundCopy> copies = recovery_->AdoptOrphans();
    if (copies.empty()) return;
    switch (documents::AskAboutRecoveryCopies(hwnd(), copies)) {
    case documents::RecoveryAnswer::Restore:
        for (const documents::FoundCopy& copy : copies)
            win::RunReportingErrors([&] { documents::RestoreDocument(*this, copy); });
        recovery_->RemoveAdopted();
        break;
    case documents::RecoveryAnswer::Discard:
        recovery_->RemoveAdopted();
        break;
    case documents::RecoveryAnswer::Later:
        recovery_->ReleaseAdopted();
        break;
    }
}

// ---- close path -------------------------------------------------------------

bool TMDIForm::StopCompilerFor(HWND document) {
    generation::RunningCompiler* compiler = generation::RunningCompiler::Current();
    if (!compiler->Stopped() && !generation::AskToStopCompiler(document == nullptr)) return false;
    compiler->Stop();
    return true;
}

void TMDIForm::GiveUpProperties() {
    if (generation::TConfirm* dialog = properties_.Current(); dialog && dialog->hwnd())
        ::PostMessageA(::GetDlgItem(dialog->hwnd(), generation::TConfirm::kButton2), BM_CLICK, 0, 0);
}

bool TMDIForm::DocumentMayClose(HWND document) {
    if (!generationRunning_ || document != runDocument_) return true;
    // The run uses its document window to its end: the window closes after it.
    if (generation::RunningCompiler::Current()) {
        if (StopCompilerFor(document)) closeDocumentAfterRun_ = document;
    } else {
        GiveUpProperties();
        closeDocumentAfterRun_ = document;
    }
    return false;
}

bool TMDIForm::CloseQueryAll() {
    // Most recently activated first; the first refusal cancels the whole close.
    for (auto* doc : Documents())
        if (!doc->CloseQuery()) return false;
    return true;
}

void TMDIForm::FormClose() { refreshAttached_ = false; }

// ---- messages ---------------------------------------------------------------

LRESULT TMDIForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (findReplace_ && findReplace_->HandleMessage(msg, wParam, lParam)) return 0;
    switch (msg) {
    case WM_CREATE: {
        FormCreate();
        findReplace_ = std::make_unique<search::FindReplace>(*this, FindBeforeReplace);
        BuildMenu();
        BuildToolBar();
        BuildStatusArea();
        CLIENTCREATESTRUCT ccs{nullptr, kFirstMdiChildId};
        client_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                    WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0, 0, 0,
                                    hwnd(), nullptr, ::GetModuleHandleA(nullptr), &ccs);
        if (!client_) throw win::CommandError("Cannot create window MDICLIENT");
        ::SetWindowSubclass(client_, DocumentAreaProc, 1, reinterpret_cast<DWORD_PTR>(background_.get()));
        Layout();
        return 0;
    }
    case WM_SIZE:
        Layout();
        return 0;
    case WM_ACTIVATE:
        // Back from the find dialog, a message box or another program the same window
        // is active as before, and nothing is refreshed.
        if (LOWORD(wParam) != WA_INACTIVE) FormActivated(ActiveForm());
        break;
    case WM_ACTIVATEAPP:
        if (!wParam && shadowHint1_) shadowHint1_->Cancel();
        break;
    case WM_SETTINGCHANGE:
        // Only top-level windows hear of it; the clock follows the system's time format.
        if (clock_) ::SendMessageA(clock_->hwnd(), msg, wParam, lParam);
        break;
    case kHelpViewerFailedMessage:
        win::ShowApplicationError("无法启动帮助查看程序 Winhelp", win::WinExecFailureText(static_cast<UINT>(wParam)));
        return 0;
    case kLibraryEditorFailedMessage:
        win::ShowApplicationError("无法启动词库编辑器 KORVEX.EXE", win::WinExecFailureText(static_cast<UINT>(wParam)));
        return 0;
    case kRefreshMessage:
        // A document window has gone and left the frame's list.
        activeForm_ = ActiveForm();
        RefreshCommandStates();
        return 0;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id >= kFirstElementId && id < kFirstElementId + static_cast<int>(kElementCount)) {
            auto e = static_cast<Element>(id - kFirstElementId);
            if (const ToolButtonEntry* b = FindToolButton(e)) {
                Execute(b->command);
            } else if (const MenuEntry* m = FindMenuEntry(e)) {
                // Menu clicks on a disabled item never arrive; shortcuts are checked above.
                Execute(m->command);
            }
            return 0;
        }
        break;
    }
    case WM_DRAWITEM:
        return TRUE;  // the owner-drawn status panel shows nothing
    case WM_CLOSE:
        // Never a program without windows waiting for its compiler: the close asks to
        // stop it, and goes on once the run has ended.
        if (generation::RunningCompiler::Current()) {
            if (StopCompilerFor(nullptr)) closeAfterRun_ = true;
            return 0;
        }
        if (generationRunning_) {
            // The properties dialog is up: the close gives the run up as "放弃" does, and
            // goes on once the run has let go of its document window.
            closeAfterRun_ = true;
            GiveUpProperties();
            return 0;
        }
        if (!CloseQueryAll()) return 0;
        FormClose();
        ::DestroyWindow(hwnd());
        return 0;
    case WM_QUERYENDSESSION:
        // Windows is ending: a running compiler is stopped, with the user's leave, before
        // the session may end; No keeps the session.
        if (generation::RunningCompiler::Current() && !StopCompilerFor(nullptr)) return FALSE;
        break;
    case WM_ENDSESSION:
        // The process ends after this: a compiler still running (a forced end, which asks
        // nothing) is stopped and its files are removed.
        if (wParam)
            if (generation::RunningCompiler* compiler = generation::RunningCompiler::Current()) compiler->Stop();
        break;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return DefaultProc(msg, wParam, lParam);
}

LRESULT TMDIForm::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefFrameProcA(hwnd(), client_, msg, wParam, lParam);
}

}  // namespace app
