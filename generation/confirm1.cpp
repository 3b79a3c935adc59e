#include "generation/confirm1.h"

#include <algorithm>
#include <string_view>

#include "documents/frame.h"
#include "generation/modal_support.h"
#include "lexicon/base/lexicon_fields.h"
#include "win/error_display.h"

namespace generation {

using lexicon::FitToByteLimit;
using lexicon::kDescriptionMaxBytes;
using lexicon::kFileNameMaxBytes;
using lexicon::LexiconFieldsAllowed;

namespace {

// Designed in pixels and shown as designed: not scaled to the screen's density.
const int kLeft = 264, kTop = 155, kClientWidth = 356, kClientHeight = 224;
const DWORD kStyle = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_3DLOOK;
const char* const kFace = "MS Sans Serif";
const char* const kRefusal = "词库描述不能含有引号,文件名不能带盘符、路径及空格等";

win::Font PixelFont(int characterHeight) {
    return win::Font(::CreateFontA(-characterHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                   kFace));
}

int TextWidth(HWND hwnd, HFONT font, const char* text) {
    win::WindowDc dc(hwnd);
    win::Selected selected(dc.get(), font);
    SIZE size{};
    ::GetTextExtentPoint32A(dc.get(), text, static_cast<int>(std::char_traits<char>::length(text)), &size);
    return size.cx;
}

}  // namespace

TConfirm& ConfirmSlot::Renew(documents::Frame& owner) {
    dialog_.reset();
    dialog_ = std::make_unique<TConfirm>(owner);
    return *dialog_;
}

TConfirm::TConfirm(documents::Frame& owner)
    : owner_(owner), labelFont_(PixelFont(17)), editFont_(PixelFont(13)), buttonFont_(PixelFont(17)) {
    CreateBlankDialog(owner.FrameWindow(), kStyle, &TConfirm::DialogProc, reinterpret_cast<LPARAM>(this));
}

TConfirm::~TConfirm() {
    if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

INT_PTR CALLBACK TConfirm::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<TConfirm*>(lParam);
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
        self->FormCreate();
        return FALSE;  // the focus is placed when the dialog is shown
    }
    auto* self = reinterpret_cast<TConfirm*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;
    if (msg == WM_NCDESTROY) {
        // The main window takes its owned dialog with it when it goes.
        self->hwnd_ = nullptr;
        ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        return FALSE;
    }
    return self->HandleMessage(msg, wParam, lParam);
}

void TConfirm::FormCreate() {
    ::SetWindowTextA(hwnd_, "确认");
    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, static_cast<DWORD>(::GetWindowLongA(hwnd_, GWL_EXSTYLE)));
    ::SetWindowPos(hwnd_, nullptr, kLeft, kTop, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);

    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    struct Control {
        int id;
        const char* className;
        const char* text;
        DWORD style;
        DWORD exStyle;
        RECT bounds;  // left, top, width, height
        HFONT font;
    };
    const Control controls[] = {
        {kLabel1, "STATIC", "请加入对该词库的说明", SS_LEFT | SS_NOPREFIX, 0, {28, 19, 160, 20}, labelFont_.get()},
        {kEdit1, "EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, {28, 49, 309, 24}, editFont_.get()},
        {kLabel2, "STATIC", "请输入该词库的文件名", SS_LEFT | SS_NOPREFIX, 0, {28, 90, 160, 20}, labelFont_.get()},
        {kEdit2, "EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, {28, 114, 309, 24}, editFont_.get()},
        {kBevel1, "STATIC", "", SS_SUNKEN, 0, {5, 171, 356, 3}, nullptr},
        {kButton1, "BUTTON", "&O.确认", BS_PUSHBUTTON | WS_TABSTOP, 0, {168, 182, 83, 35}, buttonFont_.get()},
        {kButton2, "BUTTON", "&C.放弃", BS_PUSHBUTTON | WS_TABSTOP, 0, {264, 182, 84, 35}, buttonFont_.get()},
    };
    for (const Control& c : controls) {
        int width = c.bounds.right;
        // Labels grow to their text, as the designed ones do.
        if (c.className == std::string_view("STATIC") && *c.text)
            width = std::max(width, TextWidth(hwnd_, c.font, c.text));
        HWND control = ::CreateWindowExA(c.exStyle, c.className, c.text, WS_CHILD | WS_VISIBLE | c.style, c.bounds.left,
                                         c.bounds.top, width, c.bounds.bottom, hwnd_,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        if (c.font) ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(c.font), FALSE);
    }
    ::SendDlgItemMessageA(hwnd_, kEdit1, EM_LIMITTEXT, kDescriptionMaxBytes, 0);
    ::SendDlgItemMessageA(hwnd_, kEdit2, EM_LIMITTEXT, kFileNameMaxBytes, 0);
}

int TConfirm::ShowModal() {
    modalResult_ = 0;
    ModalScope scope;
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(hwnd_, kEdit1)), TRUE);
    MSG msg;
    while (modalResult_ == 0 && hwnd_) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
            break;
        }
        if (!::IsDialogMessageA(hwnd_, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    // The others first, so that hiding the dialog hands the activation back to them.
    scope.Release();
    if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
    return modalResult_ == kModalOk ? kModalOk : kModalCancel;
}

std::string TConfirm::FieldText(int id) const {
    HWND field = ::GetDlgItem(hwnd_, id);
    int length = ::GetWindowTextLengthA(field);
    std::string text(static_cast<size_t>(length) * 2 + 1, '\0');  // length may count characters
    length = ::GetWindowTextA(field, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(length, 0)));
    return text;
}

std::string TConfirm::Description() const { return hwnd_ ? FieldText(kEdit1) : std::string(); }
std::string TConfirm::FileName() const { return hwnd_ ? FieldText(kEdit2) : std::string(); }

bool TConfirm::FormCloseQuery() {
    if (LexiconFieldsAllowed(Description(), FileName())) return true;
    HWND focus = ::GetFocus();
    win::ShowErrorBox(kRefusal);
    // An ownerless box hands the activation to nobody when it closes: take it back, so
    // the user can go on typing where they were.
    ::SetActiveWindow(hwnd_);
    if (focus && ::IsChild(hwnd_, focus)) ::SetFocus(focus);
    return false;
}

void TConfirm::TryClose(int result) {
    if (FormCloseQuery()) modalResult_ = result;
}

void TConfirm::FieldChanged(int id) {
    if (fitting_) return;
    // The edit control limits characters; the fields' limits are bytes.
    std::string& accepted = id == kEdit1 ? acceptedDescription_ : acceptedFileName_;
    std::string text = FieldText(id);
    auto fitted = FitToByteLimit(accepted, text, id == kEdit1 ? kDescriptionMaxBytes : kFileNameMaxBytes);
    if (!fitted) {
        accepted = std::move(text);
        return;
    }
    fitting_ = true;
    HWND field = ::GetDlgItem(hwnd_, id);
    ::SetWindowTextA(field, fitted->text.c_str());
    ::SendMessageA(field, EM_SETSEL, fitted->caret, fitted->caret);
    fitting_ = false;
    accepted = std::move(fitted->text);
}

INT_PTR TConfirm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kButton1:
            if (HIWORD(wParam) == BN_CLICKED) TryClose(kModalOk);
            return TRUE;
        case kButton2:
            if (HIWORD(wParam) == BN_CLICKED) TryClose(kModalCancel);
            return TRUE;
        case kEdit1:
        case kEdit2:
            if (HIWORD(wParam) == EN_CHANGE) FieldChanged(LOWORD(wParam));
            return TRUE;
        case IDOK:      // Enter with the focus in a field
        case IDCANCEL:  // Esc
            return TRUE;
        }
        break;
    case WM_CLOSE:
        if (::IsWindowVisible(hwnd_)) TryClose(kModalCancel);
        return TRUE;
    case WM_ACTIVATE:
        // The program's active-window-change refresh.
        if (LOWORD(wParam) != WA_INACTIVE) owner_.FormActivated(hwnd_);
        break;
    }
    (void)lParam;
    return FALSE;
}

}  // namespace generation
