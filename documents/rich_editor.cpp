// First cut of the editor wrapper: correct for valid GBK, whole-text based.
// The document work replaces the loading, saving and range fetching.
#include "documents/rich_editor.h"

#include <richedit.h>

#include <fstream>
#include <iterator>

#include "win/error_display.h"

namespace documents {

namespace {

bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Control position (a double-byte character counts one) to byte offset.
int PositionToByte(const std::string& text, int position) {
    int byte = 0;
    for (int p = 0; p < position && byte < static_cast<int>(text.size()); ++p)
        byte += (IsLeadByte(static_cast<unsigned char>(text[byte])) && byte + 1 < static_cast<int>(text.size())) ? 2 : 1;
    return byte;
}

int ByteToPosition(const std::string& text, int byte) {
    int position = 0;
    for (int b = 0; b < byte && b < static_cast<int>(text.size()); ++position)
        b += (IsLeadByte(static_cast<unsigned char>(text[b])) && b + 1 < static_cast<int>(text.size())) ? 2 : 1;
    return position;
}

}  // namespace

RichEditor::RichEditor(HWND parent, int id) {
    static HMODULE module = ::LoadLibraryA("riched32.dll");
    (void)module;
    hwnd_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, "RICHEDIT", "",
                              WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_AUTOHSCROLL |
                                  ES_AUTOVSCROLL | ES_NOHIDESEL | ES_CENTER,
                              0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(hwnd_, EM_EXLIMITTEXT, 0, 655360);
    ::SendMessageA(hwnd_, EM_SETEVENTMASK, 0, ENM_SELCHANGE | ENM_CHANGE | ENM_KEYEVENTS);
}

RichEditor::~RichEditor() {
    if (::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

std::string RichEditor::Text() const {
    int units = ::GetWindowTextLengthA(hwnd_);
    std::string text(static_cast<size_t>(units) * 2 + 1, '\0');  // a short buffer returns nothing
    int n = ::GetWindowTextA(hwnd_, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}

int RichEditor::TextLength() const { return static_cast<int>(Text().size()); }

std::string RichEditor::TextRange(int from, int to) const {
    std::string text = Text();
    if (from < 0) from = 0;
    if (to > static_cast<int>(text.size())) to = static_cast<int>(text.size());
    return from < to ? text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from)) : std::string();
}

ByteRange RichEditor::Selection() const {
    CHARRANGE range{};
    ::SendMessageA(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    std::string text = Text();
    int start = PositionToByte(text, range.cpMin);
    int end = PositionToByte(text, range.cpMax);
    return {start, end - start};
}

void RichEditor::SetSelection(int start, int length) {
    std::string text = Text();
    CHARRANGE range{};
    if (start < 0) {
        range.cpMin = range.cpMax = ByteToPosition(text, static_cast<int>(text.size()));
    } else {
        range.cpMin = ByteToPosition(text, start);
        range.cpMax = ByteToPosition(text, start + length);
    }
    ::SendMessageA(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void RichEditor::ReplaceSelection(std::string_view gbk, bool canUndo) {
    std::string text(gbk);
    ::SendMessageA(hwnd_, EM_REPLACESEL, canUndo ? TRUE : FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

int RichEditor::Find(std::string_view what, int from, int length, bool, bool) const {
    std::string text = Text();
    if (what.empty()) return -1;
    int end = std::min<int>(static_cast<int>(text.size()), from + length);
    for (int i = 0; i + static_cast<int>(what.size()) <= end;) {
        if (i >= from && text.compare(static_cast<size_t>(i), what.size(), what) == 0) return i;
        i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
    return -1;
}

bool RichEditor::IsModified() const { return ::SendMessageA(hwnd_, EM_GETMODIFY, 0, 0) != 0; }
void RichEditor::SetModified(bool modified) { ::SendMessageA(hwnd_, EM_SETMODIFY, modified, 0); }

void RichEditor::LoadFromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw win::CommandError("Cannot open file " + path);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ::SetWindowTextA(hwnd_, bytes.c_str());
}

void RichEditor::SaveToFile(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw win::CommandError("Cannot create file " + path);
    std::string text = Text();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) throw win::CommandError("Failed to Save Stream");
}

void RichEditor::BeginUpdate() {
    if (updateLevel_++ == 0) ::SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
}

void RichEditor::EndUpdate() {
    if (updateLevel_ > 0 && --updateLevel_ == 0) {
        ::SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(hwnd_, nullptr, TRUE);
    }
}

}  // namespace documents
