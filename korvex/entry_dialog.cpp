#include "korvex/entry_dialog.h"

#include "korvex/korvex_messages.h"
#include "korvex/resource_ids.h"
#include "win/gbk.h"

namespace korvex {

bool ReadGbkField(HWND dialog, int id, const char* name, std::string& text) {
    HWND field = ::GetDlgItem(dialog, id);
    std::wstring wide(static_cast<std::size_t>(::GetWindowTextLengthW(field)) + 1, L'\0');
    wide.resize(static_cast<std::size_t>(::GetWindowTextW(field, wide.data(), static_cast<int>(wide.size()))));
    bool lossy = false;
    text = win::WideToGbk(wide, &lossy);
    if (lossy) {
        ShowMessage(dialog, std::string(name) + "中有不能用 GBK 编码表示的字符，词库只能保存 GBK 文字。", MB_ICONSTOP);
        ::SetFocus(field);
        return false;
    }
    return true;
}

void SetGbkField(HWND dialog, int id, const std::string& text) {
    ::SetDlgItemTextW(dialog, id, win::GbkToWide(text).c_str());
}

TEntryDialog::TEntryDialog(std::string caption, std::string original, std::string translation, Accept accept)
    : caption_(std::move(caption)),
      original_(std::move(original)),
      translation_(std::move(translation)),
      accept_(std::move(accept)) {}

bool TEntryDialog::ShowModal(HWND owner) { return Run(owner, IDD_ENTRY); }

void TEntryDialog::OnInit(HWND dialog) {
    ::SetWindowTextW(dialog, win::GbkToWide(caption_).c_str());
    SetGbkField(dialog, IDC_ORIGINAL, original_);
    SetGbkField(dialog, IDC_TRANSLATION, translation_);
}

void TEntryDialog::OnOk(HWND dialog) {
    std::string original, translation;
    if (!ReadGbkField(dialog, IDC_ORIGINAL, "原文", original)) return;
    if (!ReadGbkField(dialog, IDC_TRANSLATION, "译文", translation)) return;
    if (accept_(dialog, original, translation)) ::EndDialog(dialog, IDOK);
}

}  // namespace korvex
