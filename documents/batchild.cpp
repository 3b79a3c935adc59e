#include "documents/batchild.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <vector>

#include "documents/document_rules.h"
#include "documents/file_commands.h"
#include "documents/message_location.h"
#include "documents/recovery_store.h"
#include "widgets/splitter.h"
#include "win/dpi.h"
#include "win/error_display.h"
#include "win/gbk.h"

namespace documents {

namespace {

const char* const kClassName = "TMdiChild";
const char* const kDesignCaption = "MdiChild";

const int kSplitterId = 1;
const int kEditorId = 2;
const int kErrorListId = 3;

// Posted to the window itself: report the editor's undo state to the frame.
const UINT kUndoStateMessage = WM_APP + 40;

// The recovery copy is written once the text has been left alone this long, never
// while keys arrive; a long text at most this often.
const UINT_PTR kRecoveryTimer = 1;
const UINT kRecoveryIdleMs = 2000;
const DWORD kLongTextRecoveryMs = 30000;
const int kLongTextUnits = 4 * 1024 * 1024;  // about 8 MB of GBK

std::string LocalTimeText() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return RecoveryTimeText(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

// Design sizes, pixels at 120 dpi.
const int kErrorListHeight = 71;
const int kSplitterHeight = 2;
const int kFontHeight = 17;

// The pane's hint. It is never shown as a pop-up: the pane has no tooltips.
[[maybe_unused]] const char* const kErrorListHint =
    "此处显示的是生成库过程中所产生的消息（可以拖动上面的横条使之变大）";

void RepaintNow(HWND hwnd) {
    ::InvalidateRect(hwnd, nullptr, TRUE);
    ::UpdateWindow(hwnd);
}

// The window's own style, not IsWindowVisible: that is false while the parent is hidden.
bool ShownByStyle(HWND hwnd) { return (::GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

CHARRANGE ControlSelection(HWND editor) {
    CHARRANGE range{};
    ::SendMessageA(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

}  // namespace

TMdiChild::TMdiChild(Frame& owner) : owner_(owner) {}

TMdiChild::~TMdiChild() = default;

TMdiChild* TMdiChild::Create(Frame& owner) {
    RegisterClassOnce(kClassName, CS_HREDRAW | CS_VREDRAW, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    auto window = std::unique_ptr<TMdiChild>(new TMdiChild(owner));
    MDICREATESTRUCTA mcs{};
    mcs.szClass = kClassName;
    mcs.szTitle = kDesignCaption;
    mcs.hOwner = ::GetModuleHandleA(nullptr);
    mcs.x = mcs.y = mcs.cx = mcs.cy = CW_USEDEFAULT;  // the windowing system places it
    mcs.style = WS_CLIPCHILDREN;
    mcs.lParam = reinterpret_cast<LPARAM>(window.get());
    auto created = reinterpret_cast<HWND>(
        ::SendMessageA(owner.DocumentArea(), WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
    // A window that could not be made is gone already; its object goes with the error.
    window->CheckCreated(created, kClassName);
    return &owner.OpenWindows().Adopt(std::move(window));
}

HWND TMdiChild::RxSplitter1() const { return splitter_ ? splitter_->hwnd() : nullptr; }

std::string TMdiChild::Caption() const {
    int n = ::GetWindowTextLengthA(hwnd());
    std::string text(static_cast<size_t>(n) * 2 + 1, '\0');
    n = ::GetWindowTextA(hwnd(), text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(n, 0)));
    return text;
}

void TMdiChild::SetCaption(const std::string& caption) { ::SetWindowTextA(hwnd(), caption.c_str()); }

void TMdiChild::SetFilePath(const std::string& path) {
    SetCaption(path);
    neverSaved_ = false;
}

void TMdiChild::BuildComponents() {
    font_ = win::MakeFont({"MS Sans Serif", kFontHeight});
    errorListHeight_ = win::Scale(kErrorListHeight);
    // Created in this order, like the members: the bar, the editor, the pane.
    splitter_ = std::make_unique<widgets::Splitter>(hwnd(), kSplitterId,
                                                    widgets::Splitter::Pane{[this] { return errorListHeight_; },
                                                                            [this](int height) {
                                                                                errorListHeight_ = height;
                                                                                Layout();
                                                                            }},
                                                    [this] { RxSplitter1PosChanged(); });
    editor_ = std::make_unique<RichEditor>(hwnd(), kEditorId);
    editor_->SetFont(font_.get());
    // Loads and Clear put a fresh control in place: the caret is counted anew.
    // Whole-text steps (全部替换 over many lines, Clear, their undo) tell of no change of
    // their own: the recovery copy is due after them too.
    editor_->OnControlReplaced([this] {
        tracker_.TextChanged(0);
        ScheduleRecoveryCopy();
    });
    errorList_ = std::make_unique<MessagePane>(hwnd(), kErrorListId);
    Layout();
}

// From the bottom up: the pane (while shown), the bar directly above it, and the
// editor in the rest of the client area.
void TMdiChild::Layout() {
    if (!editor_) return;
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    int bar = win::Scale(kSplitterHeight);
    int pane = ShownByStyle(errorList_->hwnd()) ? errorListHeight_ : 0;
    int barTop = std::max(0L, rc.bottom - pane - bar);
    ::MoveWindow(editor_->hwnd(), 0, 0, rc.right, barTop, TRUE);
    ::MoveWindow(splitter_->hwnd(), 0, barTop, rc.right, bar, TRUE);
    if (pane) ::MoveWindow(errorList_->hwnd(), 0, barTop + bar, rc.right, pane, TRUE);
}

void TMdiChild::ShowErrorList() {
    errorList_->Show();
    Layout();
    // The pane is two lines tall: its last line, the outcome, is the one to see.
    errorList_->ShowLastLine();
}

bool TMdiChild::CloseQuery() {
    bool canClose = true;
    FormCloseQuery(canClose);
    return canClose;
}

namespace {
// What the window's WM_CLOSE returns when the close query's save failed.
const LRESULT kCloseSaveFailed = 1;
}  // namespace

bool TMdiChild::AskToClose(HWND window) { return ::SendMessageA(window, WM_CLOSE, 0, 0) != kCloseSaveFailed; }

void TMdiChild::FormCloseQuery(bool& canClose) {
    closeSaveFailed_ = false;
    if (!editor_->IsModified()) return;
    std::string prompt = CloseQueryPrompt(Caption());
    // Modal for the whole application, like every box of the program (no owner,
    // task-modal); Yes, No and Cancel, Yes the default, no icon.
    int answer = ::MessageBoxA(nullptr, prompt.c_str(), kCloseQueryCaption, MB_YESNOCANCEL | MB_TASKMODAL);
    switch (answer) {
    case IDYES:
        try {
            // A document never saved has no file yet: the save dialog picks one, as
            // Save does; cancelling the dialog cancels the close. Like a save in place
            // here, it leaves the caption and the modified flag as they are: when a
            // later window cancels the exit, this one must not look saved.
            if (neverSaved_) {
                canClose = SaveDocumentCopy(owner_, *this);
            } else {
                editor_->SaveToFile(Caption());
                canClose = true;
            }
        } catch (const std::exception& e) {
            win::ShowApplicationError(e);
            canClose = false;
            closeSaveFailed_ = true;
        }
        break;
    case IDNO:
        canClose = true;
        break;
    default:
        canClose = false;
        break;
    }
}

// The window is destroyed once the close has been processed; its document goes with it.
void TMdiChild::FormClose() {}

void TMdiChild::FormResize() { RepaintNow(editor_->hwnd()); }

void TMdiChild::RxSplitter1PosChanged() {
    RepaintNow(errorList_->hwnd());
    RepaintNow(editor_->hwnd());
}

// The editor's selection-change and change events: cut and copy follow the
// selection, the status bar shows the caret's line and column, and Undo follows what
// the editor can take back.

void TMdiChild::EditorTextChanged() {
    // Edits happen at the selection: nothing before the earlier of the remembered
    // and the current selection start has changed.
    int now = ControlSelection(editor_->hwnd()).cpMin;
    tracker_.TextChanged(std::min(tracker_.LastSelStart(), now));
}

void TMdiChild::ForgetCaretPlace() { tracker_.TextChanged(0); }

void TMdiChild::EditorSelectionChange() {
    HWND editor = editor_->hwnd();
    CHARRANGE range = ControlSelection(editor);
    owner_.OnEditorSelectionChange(range.cpMax != range.cpMin);

    int length = editor_->UnitCount();  // control positions
    auto place = tracker_.Update(std::min<int>(range.cpMin, length), length,
                                 [this](int from, int to) { return editor_->Characters(from, to); });
    LastSelStart = tracker_.LastSelStart();
    CaretLine = place.line;
    CaretColumn = place.column;
    owner_.SetCaretPositionText(CaretTracker::Display(place));
}

void TMdiChild::ScheduleRecoveryCopy() {
    RecoveryStore* store = owner_.Recovery();
    if (!store || !store->Usable()) return;
    // Every change starts the wait again.
    ::SetTimer(hwnd(), kRecoveryTimer, kRecoveryIdleMs, nullptr);
}

void TMdiChild::WriteRecoveryCopy() {
    RecoveryStore* store = owner_.Recovery();
    if (!store || !store->Usable()) return;
    if (!editor_->IsModified()) {
        ForgetRecoveryCopy();
        return;
    }
    if (editor_->UnitCount() > kLongTextUnits && recoverySlot_ != 0) {
        DWORD since = ::GetTickCount() - lastRecoveryWrite_;
        if (since < kLongTextRecoveryMs) {
            ::SetTimer(hwnd(), kRecoveryTimer, kLongTextRecoveryMs - since, nullptr);
            return;
        }
    }
    if (recoverySlot_ == 0) recoverySlot_ = store->NewSlot();
    RecoveryHeader header;
    header.caption = Caption();
    header.file = neverSaved_ ? std::string() : header.caption;
    header.rich = editor_->Mode() == TextMode::Rich;
    header.time = LocalTimeText();
    lastRecoveryWrite_ = ::GetTickCount();
    if (store->Write(recoverySlot_, header, [this](HANDLE file) { return editor_->WriteTo(file); })) return;
    if (store->FirstFailure())
        win::ShowErrorBox("无法写入恢复副本（" + win::WideToGbk(store->Folder()) +
                          "）。\n编辑器照常工作，但如果它意外退出，未存盘的改动将无法恢复。请及时存盘。");
}

void TMdiChild::ForgetRecoveryCopy() {
    if (hwnd()) ::KillTimer(hwnd(), kRecoveryTimer);
    if (RecoveryStore* store = owner_.Recovery(); store && recoverySlot_ != 0) store->Remove(recoverySlot_);
}

void TMdiChild::GoToMessage(int row) {
    const std::vector<std::string>& lines = errorList_->Lines();
    if (row < 0 || static_cast<std::size_t>(row) >= lines.size()) return;
    const auto location = ParseMessageLocation(lines[static_cast<std::size_t>(row)]);
    if (!location) return;
    editor_->SetSelection(ByteOffsetOf(editor_->Text(), *location));
    ::SendMessageA(editor_->hwnd(), EM_SCROLLCARET, 0, 0);
    ::SetFocus(editor_->hwnd());
}

void TMdiChild::UndoStateMayHaveChanged() {
    if (undoStatePosted_) return;
    undoStatePosted_ = ::PostMessageA(hwnd(), kUndoStateMessage, 0, 0) != FALSE;
}

// The editor's notifications go to the editor first; it holds back those of a load.
// The pane's say when it takes the focus.
LRESULT TMdiChild::OnNotify(const NMHDR& header) {
    if (header.hwndFrom == errorList_->hwnd()) {
        if (header.code == NM_SETFOCUS) paneHadFocus_ = true;
        if (header.code == NM_DBLCLK) GoToMessage(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
        if (header.code == NM_RETURN)
            GoToMessage(static_cast<int>(::SendMessageA(errorList_->hwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                        LVNI_FOCUSED | LVNI_SELECTED)));
        return 0;
    }
    if (header.hwndFrom != editor_->hwnd() || !editor_->ParentNotify(header)) return 0;
    if (header.code == EN_SELCHANGE) {
        EditorSelectionChange();
        UndoStateMayHaveChanged();
    }
    return 0;
}

LRESULT TMdiChild::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        BuildComponents();
        break;
    case WM_COMMAND:
        if (editor_ && reinterpret_cast<HWND>(lParam) == editor_->hwnd()) {
            if (HIWORD(wParam) == EN_SETFOCUS) paneHadFocus_ = false;
            if (!editor_->ParentCommand(HIWORD(wParam))) return 0;
            if (HIWORD(wParam) == EN_CHANGE) {
                EditorTextChanged();
                UndoStateMayHaveChanged();
                ScheduleRecoveryCopy();
            }
        }
        break;
    case WM_TIMER:
        if (wParam == kRecoveryTimer) {
            ::KillTimer(hwnd(), kRecoveryTimer);
            WriteRecoveryCopy();
            return 0;
        }
        break;
    case kUndoStateMessage:
        undoStatePosted_ = false;
        if (editor_ && owner_.ActiveDocument() == this) owner_.OnEditorUndoChanged(editor_->CanUndo());
        return 0;
    case WM_NOTIFY:
        if (editor_) return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        break;
    case WM_SIZE:
        Layout();
        if (editor_) FormResize();
        break;  // DefMDIChildProc needs WM_SIZE too
    case WM_SETFOCUS:
        // Back to the control that had the focus when the window was left: the editor,
        // or the message pane while it is shown.
        if (editor_)
            ::SetFocus(paneHadFocus_ && ShownByStyle(errorList_->hwnd()) ? errorList_->hwnd() : editor_->hwnd());
        return 0;
    case WM_MDIACTIVATE:
        if (reinterpret_cast<HWND>(lParam) == hwnd()) owner_.FormActivated(hwnd());
        break;
    case WM_CLOSE:
        if (!owner_.DocumentMayClose(hwnd())) return 0;
        if (!CloseQuery()) return closeSaveFailed_ ? kCloseSaveFailed : 0;
        FormClose();
        break;  // DefMDIChildProc has the frame destroy the window
    case WM_DESTROY:
        // Closed, saved or given up: nothing of it needs recovering any more.
        ForgetRecoveryCopy();
        // Refresh once the window has left the frame's list.
        owner_.RefreshSoon();
        break;
    }
    return DefaultProc(msg, wParam, lParam);
}

LRESULT TMdiChild::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefMDIChildProcA(hwnd(), msg, wParam, lParam);
}

void TMdiChild::OnFinalDestroy() { owner_.OpenWindows().Release(*this); }

// ---- the frame's document windows ------------------------------------------------

DocumentWindows::DocumentWindows() = default;
DocumentWindows::~DocumentWindows() = default;

TMdiChild& DocumentWindows::Adopt(std::unique_ptr<TMdiChild> window) {
    windows_.push_back(std::move(window));
    return *windows_.back();
}

void DocumentWindows::Release(const TMdiChild& window) {
    auto it = std::find_if(windows_.begin(), windows_.end(), [&](const auto& w) { return w.get() == &window; });
    if (it != windows_.end()) {
        auto gone = std::move(*it);
        windows_.erase(it);
    }  // `gone` dies here
}

TMdiChild* ActiveDocumentIn(HWND documentArea) {
    if (!documentArea) return nullptr;
    HWND active = reinterpret_cast<HWND>(::SendMessageA(documentArea, WM_MDIGETACTIVE, 0, 0));
    return active ? dynamic_cast<TMdiChild*>(win::Window::FromHandle(active)) : nullptr;
}

std::vector<TMdiChild*> DocumentsIn(HWND documentArea) {
    std::vector<TMdiChild*> list;
    if (!documentArea) return list;
    for (HWND h = ::GetWindow(documentArea, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        if (auto* doc = dynamic_cast<TMdiChild*>(win::Window::FromHandle(h))) list.push_back(doc);
    }
    return list;
}

}  // namespace documents
