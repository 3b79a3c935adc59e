#include "app/about.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "app/batadd.h"
#include "app/resource_ids.h"
#include "widgets/secret_panel.h"
#include "win/dpi.h"

namespace app {

namespace {

// Design sizes, pixels at 120 dpi.
const int kClientWidth = 363, kClientHeight = 258;
const RECT kCreditsBounds{6, 5, 6 + 352, 5 + 196};
const RECT kButtonBounds{142, 217, 142 + 78, 217 + 32};
const int kLogoWidth = 300, kLogoHeight = 50;

RECT Scaled(const RECT& r) {
    return {win::Scale(r.left), win::Scale(r.top), win::Scale(r.right), win::Scale(r.bottom)};
}

// The product logo: a band with the program's name on the dialog's face colour,
// whose bottom-left pixel is the transparent colour.
win::Bitmap MakeLogo() {
    win::WindowDc screen(nullptr);
    win::MemoryDc dc(::CreateCompatibleDC(screen.get()));
    win::Bitmap bitmap(::CreateCompatibleBitmap(screen.get(), kLogoWidth, kLogoHeight));
    win::Selected selected(dc.get(), bitmap.get());
    RECT all{0, 0, kLogoWidth, kLogoHeight};
    ::FillRect(dc.get(), &all, ::GetSysColorBrush(COLOR_BTNFACE));
    for (int x = 4; x < kLogoWidth - 4; ++x) {
        int shade = 96 + (x * 120) / kLogoWidth;
        win::Pen pen(::CreatePen(PS_SOLID, 1, RGB(0, shade / 3, shade)));
        win::Selected selectedPen(dc.get(), pen.get());
        ::MoveToEx(dc.get(), x, 4, nullptr);
        ::LineTo(dc.get(), x, kLogoHeight - 4);
    }
    win::Font title(::CreateFontA(-30, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, FF_SWISS, "Arial"));
    win::Selected selectedFont(dc.get(), title.get());
    ::SetBkMode(dc.get(), TRANSPARENT);
    ::SetTextColor(dc.get(), RGB(255, 220, 64));
    RECT text{0, 0, kLogoWidth, kLogoHeight};
    ::DrawTextA(dc.get(), "Velmora 词库", -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    return bitmap;
}

const std::vector<std::string>& CreditLines() {
    static const std::vector<std::string> lines = {
        "",
        "",
        "",
        "",
        "",
        "",
        "词库生成管理系统",
        "",
        "Velmora 开发组 设计与编写",
        "词库编译器 Mervik",
        "感谢每一位译者的耐心与细致",
    };
    return lines;
}

}  // namespace

TAboutBox::TAboutBox(TMDIForm& form)
    : form_(form),
      font_(win::MakeFont({"MS Sans Serif", 13})),
      buttonFont_(win::MakeFont({"MS Sans Serif", 17})),
      creditsFont_(win::MakeFont({"System", 15})),
      logo_(MakeLogo()) {}

TAboutBox::~TAboutBox() {
    // The hidden instance may outlive its owner, which took it along when it went.
    if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

INT_PTR TAboutBox::ShowModal() {
    modal_ = true;
    INT_PTR result = ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), form_.hwnd(),
                                       &TAboutBox::DialogProc, reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
    return result;
}

void TAboutBox::CreateHidden() {
    modal_ = false;
    hwnd_ = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), form_.hwnd(),
                                 &TAboutBox::DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd_) throw std::runtime_error("Cannot create the about box");
}

void TAboutBox::OnInitDialog(HWND dialog) {
    ::SetWindowTextA(dialog, "Velmora—词库生成系统");
    ::SendMessageA(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    RECT frame{0, 0, win::Scale(kClientWidth), win::Scale(kClientHeight)};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongA(dialog, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongA(dialog, GWL_EXSTYLE)));
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    ::SetWindowPos(dialog, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER);

    HWND button = ::GetDlgItem(dialog, IDOK);
    RECT b = Scaled(kButtonBounds);
    ::MoveWindow(button, b.left, b.top, b.right - b.left, b.bottom - b.top, FALSE);
    ::SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont_.get()), FALSE);
    ::SetWindowTextA(button, "关  闭");

    credits_ = std::make_unique<widgets::SecretPanel>(dialog, Scaled(kCreditsBounds), logo_.get(), CreditLines(),
                                                      creditsFont_.get(), RGB(128, 64, 0));
    // Focusing a control of a hidden box would activate it.
    if (modal_) ::SetFocus(button);
}

INT_PTR CALLBACK TAboutBox::DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: {
        auto* self = reinterpret_cast<TAboutBox*>(lParam);
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        self->hwnd_ = dialog;
        self->OnInitDialog(dialog);
        return FALSE;  // the focus is set
    }
    case WM_ACTIVATE:
        // The program's own dialog taking the focus refreshes the command states.
        if (LOWORD(wParam) != WA_INACTIVE) {
            if (auto* self = reinterpret_cast<TAboutBox*>(::GetWindowLongPtrA(dialog, DWLP_USER)))
                self->form_.FormActivated(dialog);
        }
        break;
    case WM_COMMAND:
        // Escape (IDCANCEL) closes it too, as it closes any dialog; nothing is lost by it.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, IDOK);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace app
