#include "documents/rich_editor.h"

#include <commctrl.h>
#include <commdlg.h>  // FR_ flags of the control's search
#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "documents/document_rules.h"
#include "documents/gbk_text.h"
#include "documents/line_extent.h"
#include "documents/text_encoding.h"
#include "lexicon/base/gbk.h"
#include "win/error_display.h"
#include "win/gbk.h"
#include "win/handles.h"
#include "win/safe_save.h"
#include "win/wait_cursor.h"

namespace documents {

namespace {

const UINT_PTR kControlSubclass = 1;
// Loads raise the control's limit to the loaded length (Wine) or ignore it
// (Windows); the limit is put back afterwards, so typing stops at it again.
const LPARAM kLoadLimit = 0x7FFFFFF0;
const DWORD kEventMask = ENM_SELCHANGE | ENM_CHANGE | ENM_KEYEVENTS;

// Marks a load: the control's change notifications must not set the modified flag.
class LoadingScope {
public:
    explicit LoadingScope(bool& flag) : flag_(flag), old_(std::exchange(flag, true)) {}
    ~LoadingScope() { flag_ = old_; }
    LoadingScope(const LoadingScope&) = delete;
    LoadingScope& operator=(const LoadingScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

// The GBK length of UTF-16 text (code page 936, whatever the system's code page).
int GbkLength(const wchar_t* text, int units) {
    if (units <= 0) return 0;
    return ::WideCharToMultiByte(win::kGbkCodePage, 0, text, units, nullptr, 0, nullptr, nullptr);
}

struct ByteSource {
    std::string_view bytes;
    std::size_t pos = 0;
};

DWORD CALLBACK ReadGbkChunk(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
    auto* source = reinterpret_cast<ByteSource*>(cookie);
    std::size_t end = GbkChunkEnd(source->bytes, source->pos, static_cast<std::size_t>(std::max<LONG>(size, 1)));
    std::size_t n = std::min<std::size_t>(end - source->pos, static_cast<std::size_t>(size));
    std::copy_n(source->bytes.data() + source->pos, n, buffer);
    source->pos += n;
    *read = static_cast<LONG>(n);
    return 0;
}

struct WideSource {
    std::u16string_view units;
    std::size_t pos = 0;
};

DWORD CALLBACK ReadUtf16Chunk(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
    auto* source = reinterpret_cast<WideSource*>(cookie);
    std::size_t maxUnits = static_cast<std::size_t>(size) / 2;
    std::size_t n = 0;
    if (maxUnits > 0) n = Utf16ChunkEnd(source->units, source->pos, maxUnits) - source->pos;
    std::copy_n(reinterpret_cast<const BYTE*>(source->units.data() + source->pos), n * 2, buffer);
    source->pos += n;
    *read = static_cast<LONG>(n * 2);
    return 0;
}

DWORD CALLBACK AppendChunk(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* written) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(size));
    *written = size;
    return 0;
}

// Bytes the clipboard's text would add when pasted.
std::size_t ClipboardTextBytes(HWND owner) {
    if (!::OpenClipboard(owner)) return 0;
    std::size_t bytes = 0;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (auto* text = static_cast<const wchar_t*>(::GlobalLock(data))) {
            bytes = static_cast<std::size_t>(GbkLength(text, static_cast<int>(wcslen(text))));
            ::GlobalUnlock(data);
        }
    } else if (HANDLE ansi = ::GetClipboardData(CF_TEXT)) {
        if (auto* text = static_cast<const char*>(::GlobalLock(ansi))) {
            bytes = strlen(text);
            ::GlobalUnlock(ansi);
        }
    }
    ::CloseClipboard();
    return bytes;
}

}  // namespace

RichEditor::RichEditor(HWND parent, int id) : parent_(parent), id_(id) {
    // Loaded once and kept for the program's life; a failed load is tried again.
    static HMODULE library = nullptr;
    if (!library) library = ::LoadLibraryA("riched32.dll");
    if (!library) throw win::CommandError("Cannot load library riched32.dll");
    CreateControl(RECT{0, 0, 0, 0}, true);
}

RichEditor::~RichEditor() {
    if (::IsWindow(hwnd_)) {
        ::RemoveWindowSubclass(hwnd_, ControlProc, kControlSubclass);
        ::DestroyWindow(hwnd_);
    }
}

void RichEditor::CreateControl(const RECT& bounds, bool visible) {
    ForgetText();
    // No word wrap (horizontal scrolling), both scroll bars, centred text, the
    // selection shown without the focus, not reached with Tab.
    DWORD style = WS_CHILD | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_NOHIDESEL |
                  ES_CENTER | (visible ? WS_VISIBLE : 0);
    hwnd_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, "RICHEDIT", "", style, bounds.left, bounds.top,
                              bounds.right - bounds.left, bounds.bottom - bounds.top, parent_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), ::GetModuleHandleA(nullptr), nullptr);
    if (!hwnd_) throw win::CommandError("Cannot create window RICHEDIT");
    ::SendMessageA(hwnd_, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(kMaxTypedBytes));
    if (font_) ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    // The font is recorded as a change Undo could take back (Wine): a fresh control
    // has nothing to undo.
    ::SendMessageA(hwnd_, EM_EMPTYUNDOBUFFER, 0, 0);
    ::SendMessageA(hwnd_, EM_SETEVENTMASK, 0, kEventMask);
    if (updateLevel_ > 0) ::SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
    ::SetWindowSubclass(hwnd_, ControlProc, kControlSubclass, reinterpret_cast<DWORD_PTR>(this));
}

// Emptying a control that holds a long text takes time quadratic in its lines
// (Wine): a fresh control in its place is empty at once.
void RichEditor::ReplaceControl() {
    setAside_.clear();  // the fresh control has no undo history, nor anything before it
    RECT bounds;
    ::GetWindowRect(hwnd_, &bounds);
    ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&bounds), 2);
    bool visible = (::GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
    bool focused = ::GetFocus() == hwnd_;
    HWND old = hwnd_;
    ::RemoveWindowSubclass(old, ControlProc, kControlSubclass);
    hwnd_ = nullptr;
    ::DestroyWindow(old);
    CreateControl(bounds, visible);
    if (focused) ::SetFocus(hwnd_);
    if (controlReplaced_) controlReplaced_();
}

// Tells the parent about the selection as if the control had changed it: a fresh
// control sends nothing of its own.
void RichEditor::NotifySelectionChange() {
    SELCHANGE change{};
    change.nmhdr.hwndFrom = hwnd_;
    change.nmhdr.idFrom = static_cast<UINT_PTR>(id_);
    change.nmhdr.code = EN_SELCHANGE;
    ::SendMessageA(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&change.chrg));
    change.seltyp = change.chrg.cpMin == change.chrg.cpMax ? SEL_EMPTY : SEL_TEXT;
    ::SendMessageA(parent_, WM_NOTIFY, static_cast<WPARAM>(id_), reinterpret_cast<LPARAM>(&change));
}

void RichEditor::SetFont(HFONT font) {
    font_ = font;
    ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    // Recorded for undo (Wine), though no text changed: an empty text has nothing to undo.
    if (UnitCount() == 0) ::SendMessageA(hwnd_, EM_EMPTYUNDOBUFFER, 0, 0);
}

// ---- positions ----------------------------------------------------------------
// The control counts UTF-16 units: a Chinese character is one, CR and LF one each.
// The text it holds is exactly what was put in, so the GBK bytes of its first n
// units are the first bytes of Text().

int RichEditor::UnitCount() const {
    GETTEXTLENGTHEX query{GTL_DEFAULT, 1200};
    return static_cast<int>(::SendMessageA(hwnd_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

std::wstring RichEditor::WideText(int maxUnits) const {
    int total = UnitCount();
    int units = maxUnits < 0 ? total : std::min(maxUnits, total);
    if (units <= 0) return {};
    // The buffer counts its terminating zero; a shorter buffer gets a shorter prefix.
    std::wstring text(static_cast<size_t>(units) + 1, L'\0');
    GETTEXTEX query{};
    query.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    query.flags = GT_DEFAULT;
    query.codepage = 1200;
    int got = static_cast<int>(
        ::SendMessageA(hwnd_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query), reinterpret_cast<LPARAM>(text.data())));
    if (got <= 0) {
        // A control without EM_GETTEXTEX: stream the whole text out instead.
        std::string raw;
        EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&raw), 0, AppendChunk};
        ::SendMessageA(hwnd_, EM_STREAMOUT, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
        text.assign(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / sizeof(wchar_t));
        got = std::min<int>(units, static_cast<int>(text.size()));
    }
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return text;
}

int RichEditor::UnitsToBytes(int units) const {
    std::wstring prefix = WideText(std::max(units, 0));
    return GbkLength(prefix.data(), static_cast<int>(prefix.size()));
}

namespace {

// The control position of byte offset `bytes` of `gbk` (a text read from the
// control); an offset inside a double-byte character rounds down to its start.
int UnitsBefore(const std::string& gbk, int bytes) {
    int units = 0;
    for (std::size_t b = 0; b < gbk.size(); ++units) {
        std::size_t width = lexicon::gbk::walk_length(gbk, b);
        if (b + width > static_cast<std::size_t>(std::max(bytes, 0))) break;
        b += width;
    }
    return units;
}

}  // namespace

std::string RichEditor::Text() const { return win::WideToGbk(WideText()); }

// ---- reading a stretch ------------------------------------------------------------
// Every message that names a position makes the control walk its paragraphs from the
// first one (Wine): about 0.5 ms at the end of 640 KB, against 0.3 ms for the whole
// work of a caret move. So the caret's line and column are counted from one stretch
// of text around the caret, read with a single message and kept until the text
// changes: moving the caret then reads nothing from the control.
//
// The read is EM_GETTEXTRANGE, which in version 1 cuts its GBK output to as many
// bytes as the range has positions (a Chinese character needs two): asking for twice
// the positions wanted gives room for all of them.

namespace {

const int kStretchMargin = 4096;  // positions read before and after the ones asked for

// The characters of `gbk` as UTF-16, without a double-byte character cut in half at
// the end (where the control's output stopped).
std::wstring WholeCharacters(std::string_view gbk) {
    std::size_t end = 0;
    while (end < gbk.size()) {
        bool lead = lexicon::gbk::is_lead(static_cast<unsigned char>(gbk[end]));
        if (lead && end + 1 == gbk.size()) break;
        end += lead ? 2 : 1;
    }
    return win::GbkToWide(gbk.substr(0, end));
}

}  // namespace

std::wstring RichEditor::ReadUnits(int from, int to, int total) const {
    CHARRANGE range{from, static_cast<LONG>(std::min<long long>(total, from + 2LL * (to - from)))};
    std::string buffer(static_cast<std::size_t>(range.cpMax - range.cpMin) + 1, '\0');
    TEXTRANGEA request{range, buffer.data()};
    ::SendMessageA(hwnd_, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&request));
    buffer.resize(std::strlen(buffer.c_str()));
    std::wstring units = WholeCharacters(buffer);
    if (units.size() > static_cast<std::size_t>(to - from)) units.resize(static_cast<std::size_t>(to - from));
    return units;
}

std::wstring RichEditor::ReadLines(int from, int to) const {
    std::wstring out;
    int line = static_cast<int>(::SendMessageA(hwnd_, EM_EXLINEFROMCHAR, 0, from));
    std::string buffer;
    while (from < to) {
        int lineStart = static_cast<int>(::SendMessageA(hwnd_, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
        if (lineStart < 0 || lineStart > from) break;
        buffer.assign(65535, '\0');
        *reinterpret_cast<WORD*>(buffer.data()) = 65535;  // the buffer's size, in its first word
        int copied = static_cast<int>(
            ::SendMessageA(hwnd_, EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(buffer.data())));
        if (copied <= 0 || copied >= 65535) break;
        std::wstring units = win::GbkToWide(std::string_view(buffer.data(), static_cast<std::size_t>(copied)));
        std::size_t skip = static_cast<std::size_t>(from - lineStart);
        if (skip >= units.size()) break;
        std::size_t take = std::min<std::size_t>(units.size() - skip, static_cast<std::size_t>(to - from));
        out.append(units, skip, take);
        from += static_cast<int>(take);
        ++line;
    }
    return out;
}

// Positions [from, to) of the text, at least up to `needed`. Double-byte text right
// at the end leaves no room to double the range: a few lines of the rest come line by
// line (EM_GETLINE is not cut short, but each line walks the rows from the first);
// more than that, or a line too long for it, make the text be read from its start.
std::wstring RichEditor::ReadStretch(int from, int to, int needed, int total) const {
    const int kByLines = 256;  // positions
    std::wstring units;
    if (from > 0) units = ReadUnits(from, to, total);  // from the start, the prefix read below is one read
    int got = from + static_cast<int>(units.size());
    if (needed > got && needed - got <= kByLines) {
        units += ReadLines(got, needed);
        got = from + static_cast<int>(units.size());
    }
    if (needed > got) {
        units = WideText(needed);
        units.erase(0, std::min(units.size(), static_cast<std::size_t>(from)));
    }
    return units;
}

std::string RichEditor::Characters(int from, int to) const {
    int total = UnitCount();
    from = std::clamp(from, 0, total);
    to = std::clamp(to, from, total);
    if (from == to) return {};
    if (stretchStart_ < 0 || from < stretchStart_ || to > stretchStart_ + static_cast<int>(stretch_.size())) {
        int start = std::max(0, from - kStretchMargin);
        stretch_ = ReadStretch(start, std::min(total, to + kStretchMargin), to, total);
        stretchStart_ = start;
    }
    std::size_t offset = static_cast<std::size_t>(from - stretchStart_);
    std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(to - from),
                                              stretch_.size() - std::min(offset, stretch_.size()));
    return win::WideToGbk(std::wstring_view(stretch_).substr(std::min(offset, stretch_.size()), count));
}

// Messages after which the text is as it was: reads, selection, scrolling, painting,
// focus, and the keys that only move the caret. Everything else may change the text
// (typing, editing keys, pastes, mouse drags, loads), and so does whatever happens
// between EN_SELCHANGE and EN_CHANGE: the control reports the new selection first.
bool RichEditor::KeepsText(UINT msg, WPARAM wParam) {
    switch (msg) {
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case EM_GETTEXTRANGE:
    case EM_GETTEXTEX:
    case EM_GETTEXTLENGTHEX:
    case EM_GETSEL:
    case EM_EXGETSEL:
    case EM_SETSEL:
    case EM_EXSETSEL:
    case EM_HIDESELECTION:
    case EM_LINEINDEX:
    case EM_LINEFROMCHAR:
    case EM_EXLINEFROMCHAR:
    case EM_LINELENGTH:
    case EM_GETLINE:
    case EM_GETLINECOUNT:
    case EM_FINDTEXT:
    case EM_FINDTEXTEX:
    case EM_FINDWORDBREAK:
    case EM_GETMODIFY:
    case EM_SETMODIFY:
    case EM_GETEVENTMASK:
    case EM_SETEVENTMASK:
    case EM_CANUNDO:
    case EM_CANPASTE:
    case EM_EMPTYUNDOBUFFER:
    case EM_EXLIMITTEXT:
    case EM_LIMITTEXT:
    case EM_GETLIMITTEXT:
    case EM_POSFROMCHAR:
    case EM_CHARFROMPOS:
    case EM_GETFIRSTVISIBLELINE:
    case EM_SCROLLCARET:
    case EM_SCROLL:
    case EM_LINESCROLL:
    case EM_STREAMOUT:
    case EM_GETCHARFORMAT:
    case EM_GETPARAFORMAT:
    case EM_GETRECT:
    case EM_GETOPTIONS:
    case EM_SELECTIONTYPE:
    case EM_GETOLEINTERFACE:
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT:
    case WM_TIMER:
    case WM_SETCURSOR:
    case WM_NCHITTEST:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SETREDRAW:
    case WM_SETFONT:
    case WM_GETFONT:
    case WM_SIZE:
    case WM_MOVE:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_NCCALCSIZE:
    case WM_SHOWWINDOW:
    case WM_GETDLGCODE:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
    case WM_COPY:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CAPTURECHANGED:
    case WM_NCMOUSEMOVE:
    case WM_MOUSEACTIVATE:
    case WM_NOTIFY:
    case WM_GETOBJECT:
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
    case WM_NCACTIVATE:
    case WM_ACTIVATE:
    case WM_GETMINMAXINFO:
        return true;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_SHIFT:
        case VK_CONTROL:
        case VK_MENU:
            return true;
        }
        return false;
    }
    return false;
}

int RichEditor::TextLength() const {
    if (knownBytes_ < 0) {
        int units = UnitCount();
        knownBytes_ = byteCount_.Bytes(
            units, [this, units](int from, int to) { return win::WideToGbk(ReadStretch(from, to, to, units)); });
        if (knownBytes_ < 0) knownBytes_ = UnitsToBytes(units);
    }
    return static_cast<int>(knownBytes_);
}

std::string RichEditor::TextRange(int from, int to) const {
    from = std::max(from, 0);
    if (to <= from) return {};
    std::string prefix = win::WideToGbk(WideText(to));
    if (static_cast<std::size_t>(from) >= prefix.size()) return {};
    std::size_t end = std::min<std::size_t>(prefix.size(), static_cast<std::size_t>(to));
    return prefix.substr(static_cast<std::size_t>(from), end - static_cast<std::size_t>(from));
}

ByteRange RichEditor::Selection() const {
    CHARRANGE range{};
    ::SendMessageA(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    // Select-all reaches past the end of the text (v1): the prefix stops at the end.
    std::wstring prefix = WideText(std::max<int>(range.cpMax, range.cpMin));
    int units = static_cast<int>(prefix.size());
    int start = GbkLength(prefix.data(), std::min<int>(range.cpMin, units));
    int end = GbkLength(prefix.data(), std::min<int>(range.cpMax, units));
    return {start, std::max(end - start, 0)};
}

bool RichEditor::HasSelection() const {
    CHARRANGE range{};
    ::SendMessageA(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    int units = UnitCount();
    return std::min<int>(range.cpMax, units) > std::min<int>(range.cpMin, units);
}

void RichEditor::SetSelection(int start, int length) {
    CHARRANGE range{};
    if (start < 0) {
        range.cpMin = range.cpMax = UnitCount();
    } else {
        int end = static_cast<int>(
            std::min<long long>(static_cast<long long>(start) + std::max(length, 0), std::numeric_limits<int>::max()));
        std::string prefix = win::WideToGbk(WideText(end));  // one read for both ends
        range.cpMin = UnitsBefore(prefix, start);
        range.cpMax = UnitsBefore(prefix, end);
    }
    ::SendMessageA(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void RichEditor::ReplaceSelection(std::string_view gbk, bool canUndo) {
    std::string text(gbk);
    ::SendMessageA(hwnd_, EM_REPLACESEL, canUndo ? TRUE : FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

int RichEditor::Find(std::string_view what, int from, int length, bool wholeWord, bool matchCase) const {
    if (what.empty() || length <= 0) return -1;
    from = std::max(from, 0);
    long long end = static_cast<long long>(from) + length;
    // One read of the text serves every conversion between bytes and positions.
    std::wstring wide = WideText();
    std::string gbk = win::WideToGbk(wide);
    if (from >= static_cast<int>(gbk.size())) return -1;
    FINDTEXTEXA query{};
    // A start inside a double-byte character begins the search behind it.
    query.chrg.cpMin = UnitsBefore(gbk, from);
    if (GbkLength(wide.data(), query.chrg.cpMin) < from) ++query.chrg.cpMin;
    query.chrg.cpMax = end >= static_cast<long long>(gbk.size()) ? -1 : UnitsBefore(gbk, static_cast<int>(end));
    std::string needle(what);
    query.lpstrText = needle.c_str();
    WPARAM flags = FR_DOWN | (wholeWord ? FR_WHOLEWORD : 0) | (matchCase ? FR_MATCHCASE : 0);
    auto found = static_cast<LONG>(::SendMessageA(hwnd_, EM_FINDTEXTEX, flags, reinterpret_cast<LPARAM>(&query)));
    if (found < 0) return -1;
    int start = GbkLength(wide.data(), std::min<int>(query.chrgText.cpMin, static_cast<int>(wide.size())));
    // A hit must lie wholly inside the range.
    if (start < from || start + static_cast<long long>(what.size()) > end) return -1;
    return start;
}

void RichEditor::Clear() {
    if (UnitCount() == 0) {
        LoadingScope keeping(keepSetAside_);  // what Undo can bring back stays
        ::SetWindowTextA(hwnd_, "");
        return;
    }
    // The emptied text is a fresh control; the one before is kept, so Undo brings the
    // whole text back.
    OwnedControl before;
    {
        LoadingScope keeping(keepSetAside_);
        before = SetAsideControl();
    }
    SetModified(true);
    KeepForUndo(std::move(before));
    NotifySelectionChange();
}

namespace {

bool SameCharacterFormat(const CHARFORMATA& a, const CHARFORMATA& b) {
    return a.dwMask == b.dwMask && a.dwEffects == b.dwEffects && a.yHeight == b.yHeight && a.yOffset == b.yOffset &&
           a.crTextColor == b.crTextColor && a.bCharSet == b.bCharSet && a.bPitchAndFamily == b.bPitchAndFamily &&
           std::strcmp(a.szFaceName, b.szFaceName) == 0;
}

bool SameParagraphFormat(const PARAFORMAT& a, const PARAFORMAT& b) {
    const DWORD offset = PFM_OFFSETINDENT;  // only says how an indent is set
    return (a.dwMask & ~offset) == (b.dwMask & ~offset) && a.wNumbering == b.wNumbering &&
           a.dxStartIndent == b.dxStartIndent && a.dxRightIndent == b.dxRightIndent && a.dxOffset == b.dxOffset &&
           a.wAlignment == b.wAlignment && a.cTabCount == b.cTabCount &&
           std::equal(a.rgxTabs, a.rgxTabs + std::min<int>(a.cTabCount, MAX_TAB_STOPS), b.rgxTabs);
}

}  // namespace

CHARFORMATA RichEditor::SelectionCharacterFormat() const {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    ::SendMessageA(hwnd_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format;
}

PARAFORMAT RichEditor::SelectionParagraphFormat() const {
    PARAFORMAT format{};
    format.cbSize = sizeof format;
    ::SendMessageA(hwnd_, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
    return format;
}

// A fresh control filled by stream is the cheapest way to a new text: replacing a
// text in place walks every paragraph behind each changed line (Wine), so ten
// thousand changed lines cost minutes, while a fill of the whole text costs what
// opening it does.
void RichEditor::SetWholeText(std::string_view gbk, bool canUndo) {
    CHARFORMATA character{};
    character.cbSize = sizeof character;
    PARAFORMAT paragraph{};
    paragraph.cbSize = sizeof paragraph;
    bool keepFormat = UnitCount() > 0 && HasOneFormat();
    if (keepFormat) {
        ::SendMessageA(hwnd_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&character));
        ::SendMessageA(hwnd_, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paragraph));
        // The format read back says "offset indent" too: set with it, the indent is
        // set and then added once more (Wine), and came back doubled.
        paragraph.dwMask &= ~static_cast<DWORD>(PFM_OFFSETINDENT);
    }
    OwnedControl before;
    {
        LoadingScope loading(loading_);
        LoadingScope keeping(keepSetAside_);
        if (canUndo) {
            before = SetAsideControl();
        } else {
            ReplaceControl();
        }
        ::SendMessageA(hwnd_, EM_EXLIMITTEXT, 0, kLoadLimit);
        if (!gbk.empty()) StreamInPlain(win::GbkToWide(gbk));
        CHARRANGE all{0, -1}, start{0, 0};
        ::SendMessageA(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
        // Setting a format on the whole text lays every paragraph out again (seconds
        // for 20,000 short lines of mixed scripts): only a format the fresh text does
        // not have already is set.
        if (keepFormat && !SameCharacterFormat(character, SelectionCharacterFormat()))
            ::SendMessageA(hwnd_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&character));
        if (keepFormat && !SameParagraphFormat(paragraph, SelectionParagraphFormat()))
            ::SendMessageA(hwnd_, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paragraph));
        ::SendMessageA(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
        ::SendMessageA(hwnd_, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(kMaxTypedBytes));
        ::SendMessageA(hwnd_, EM_EMPTYUNDOBUFFER, 0, 0);
    }
    SetModified(true);
    KeepForUndo(std::move(before));
    NotifySelectionChange();
}

bool RichEditor::HasOneFormat() const {
    // The format reported for a selection keeps the mask bits of what is the same
    // throughout it. The selection is put back; nobody hears of either change.
    DWORD events = static_cast<DWORD>(::SendMessageA(hwnd_, EM_SETEVENTMASK, 0, 0));
    CHARRANGE kept{}, all{0, -1};
    ::SendMessageA(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    ::SendMessageA(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    CHARFORMATA character{};
    character.cbSize = sizeof character;
    ::SendMessageA(hwnd_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&character));
    PARAFORMAT paragraph{};
    paragraph.cbSize = sizeof paragraph;
    ::SendMessageA(hwnd_, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paragraph));
    ::SendMessageA(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    ::SendMessageA(hwnd_, EM_SETEVENTMASK, 0, static_cast<LPARAM>(events));
    const DWORD characterParts = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED | CFM_SIZE |
                                 CFM_COLOR | CFM_FACE | CFM_OFFSET | CFM_CHARSET;
    const DWORD paragraphParts = PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET | PFM_ALIGNMENT | PFM_TABSTOPS |
                                 PFM_NUMBERING;
    return (character.dwMask & characterParts) == characterParts &&
           (paragraph.dwMask & paragraphParts) == paragraphParts;
}

void RichEditor::ReplaceEach(const std::vector<ByteRange>& stretches, std::string_view gbk, bool canUndo) {
    if (stretches.empty()) return;
    // Each replacement is a change the control cannot undo; to make them one step they
    // are made in a copy, and the control as it was is kept.
    OwnedControl before = canUndo ? CopyIntoFreshControl() : OwnedControl();
    if (!before) setAside_.clear();
    LoadingScope keeping(keepSetAside_);
    // Control positions of every stretch, from one read of the text.
    std::string text = Text();
    std::vector<CHARRANGE> ranges;
    ranges.reserve(stretches.size());
    int units = 0;
    std::size_t b = 0;
    for (const ByteRange& stretch : stretches) {
        auto unitAt = [&](std::size_t byte) {
            while (b < byte && b < text.size()) {
                b += lexicon::gbk::walk_length(text, b);
                ++units;
            }
            return units;
        };
        LONG from = unitAt(static_cast<std::size_t>(stretch.start));
        LONG to = unitAt(static_cast<std::size_t>(stretch.start + stretch.length));
        ranges.push_back({from, to});
    }
    std::string with(gbk);
    DWORD events = static_cast<DWORD>(::SendMessageA(hwnd_, EM_SETEVENTMASK, 0, 0));
    BeginUpdate();
    followEdits_ = false;  // no edit is followed one by one: the text is read anew afterwards
    // From the last to the first, so the positions still to come stay as they are.
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        ::SendMessageA(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&*it));
        ::SendMessageA(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(with.c_str()));
    }
    followEdits_ = true;
    EndUpdate();
    ForgetText();
    // The text changed while nobody listened: the window hears of it once, from the
    // first replacement on, and then of the caret behind the last one.
    CHARRANGE first{ranges.front().cpMin, ranges.front().cpMin};
    ::SendMessageA(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&first));
    ::SendMessageA(parent_, WM_COMMAND, MAKEWPARAM(id_, EN_CHANGE), reinterpret_cast<LPARAM>(hwnd_));
    SetModified(true);
    int added = ::MultiByteToWideChar(win::kGbkCodePage, 0, with.data(), static_cast<int>(with.size()), nullptr, 0);
    long long shift = 0;
    for (std::size_t i = 0; i + 1 < ranges.size(); ++i) shift += added - (ranges[i].cpMax - ranges[i].cpMin);
    LONG end = static_cast<LONG>(ranges.back().cpMin + shift + added);
    CHARRANGE caret{end, end};
    ::SendMessageA(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    ::SendMessageA(hwnd_, EM_SETEVENTMASK, 0, static_cast<LPARAM>(events));
    KeepForUndo(std::move(before));
    NotifySelectionChange();
}

// ---- undoing whole-text steps -------------------------------------------------------
// A whole new text cannot be recorded by the control's own undo in reasonable time
// (in place it walks every paragraph behind each changed line, minutes for ten
// thousand lines under Wine). So the new text goes into a fresh control, and the old
// control is kept, hidden, exactly as it was: bringing it back costs nothing, and its
// own undo history goes on from there.

bool RichEditor::EndsUndo(UINT msg, WPARAM wParam) {
    switch (msg) {
    case EM_REPLACESEL:
        return wParam == FALSE;  // the control empties its undo history (Wine)
    case WM_SETTEXT:
    case EM_SETTEXTEX:
    case EM_STREAMIN:
    case EM_EMPTYUNDOBUFFER:
        return true;
    default:
        return false;
    }
}

RichEditor::OwnedControl RichEditor::SetAsideControl() {
    RECT bounds;
    ::GetWindowRect(hwnd_, &bounds);
    ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&bounds), 2);
    bool visible = (::GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
    bool focused = ::GetFocus() == hwnd_;
    OwnedControl before(hwnd_);
    ::RemoveWindowSubclass(hwnd_, ControlProc, kControlSubclass);
    // Hidden it tells its window nothing, and the id finds only the control in use.
    ::SendMessageA(hwnd_, EM_SETEVENTMASK, 0, 0);
    ::SetWindowLongPtrA(hwnd_, GWLP_ID, 0);
    hwnd_ = nullptr;
    CreateControl(bounds, visible);
    ::ShowWindow(before.get(), SW_HIDE);
    if (focused) ::SetFocus(hwnd_);
    if (controlReplaced_) controlReplaced_();
    return before;
}

RichEditor::OwnedControl RichEditor::CopyIntoFreshControl() {
    std::string bytes = SavedBytes();  // RTF in rich text mode: the formats come along
    CHARRANGE selection{};
    ::SendMessageA(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    int units = UnitCount();
    LoadingScope keeping(keepSetAside_);
    OwnedControl before = SetAsideControl();
    bool copied = false;
    {
        LoadingScope loading(loading_);
        ::SendMessageA(hwnd_, EM_EXLIMITTEXT, 0, kLoadLimit);
        copied = mode_ == TextMode::Rich ? StreamInRtf(bytes) : StreamInPlain(win::GbkToWide(bytes));
        ::SendMessageA(hwnd_, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(kMaxTypedBytes));
        ::SendMessageA(hwnd_, EM_EMPTYUNDOBUFFER, 0, 0);
        ::SendMessageA(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    }
    // The caller's positions hold only in the same text.
    if (!copied || UnitCount() != units) {
        BringBack(std::move(before));
        return {};
    }
    return before;
}

void RichEditor::KeepForUndo(OwnedControl before) {
    if (!before) return;
    setAside_.push_back(std::move(before));
    // Each control set aside holds a whole text: of a long one a single copy is kept, so
    // that the memory a long list needs stays within one more text.
    const std::size_t limit = UnitCount() > kLongTextUnits ? 1 : kSetAsideLimit;
    while (setAside_.size() > limit) setAside_.erase(setAside_.begin());
}

void RichEditor::BringBack(OwnedControl before) {
    RECT bounds;
    ::GetWindowRect(hwnd_, &bounds);
    ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&bounds), 2);
    bool visible = (::GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
    bool focused = ::GetFocus() == hwnd_;
    OwnedControl current(hwnd_);
    ::RemoveWindowSubclass(hwnd_, ControlProc, kControlSubclass);
    hwnd_ = before.release();
    ForgetText();
    ::SetWindowLongPtrA(hwnd_, GWLP_ID, id_);
    if (updateLevel_ > 0) ::SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
    ::SetWindowPos(hwnd_, HWND_TOP, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                   SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : 0));
    ::SendMessageA(hwnd_, EM_SETEVENTMASK, 0, kEventMask);
    ::SetWindowSubclass(hwnd_, ControlProc, kControlSubclass, reinterpret_cast<DWORD_PTR>(this));
    if (focused) ::SetFocus(hwnd_);
    current.reset();
    if (controlReplaced_) controlReplaced_();
    NotifySelectionChange();
}

void RichEditor::Undo() {
    if (!setAside_.empty() && ::SendMessageA(hwnd_, EM_CANUNDO, 0, 0) == 0) {
        OwnedControl before = std::move(setAside_.back());
        setAside_.pop_back();
        BringBack(std::move(before));
        return;
    }
    ::SendMessageA(hwnd_, EM_UNDO, 0, 0);
}

bool RichEditor::CanUndo() const { return !setAside_.empty() || ::SendMessageA(hwnd_, EM_CANUNDO, 0, 0) != 0; }

// ---- modified flag --------------------------------------------------------------
// The control sets its flag for typing and pasting, but under Wine cut, clear and
// undo leave it alone while they still send EN_CHANGE. So every EN_CHANGE outside a
// load sets the flag (ParentCommand).

bool RichEditor::IsModified() const { return ::SendMessageA(hwnd_, EM_GETMODIFY, 0, 0) != 0; }
void RichEditor::SetModified(bool modified) {
    ::SendMessageA(hwnd_, EM_SETMODIFY, modified ? TRUE : FALSE, 0);
    // Saved: every text from before differs from the file now.
    if (!modified)
        for (const OwnedControl& before : setAside_) ::SendMessageA(before.get(), EM_SETMODIFY, TRUE, 0);
}

// ---- loading and saving -----------------------------------------------------------

// Every change of the control's client area lays out every paragraph again (Wine):
// a long text went in laid out once, then again for the vertical scroll bar the
// control showed for it, and again for the horizontal one (about 0.3 s each at
// 640 KB). So the bars are put in place before a long text goes in, and it is laid
// out once. The vertical bar is shown when the lines are sure to overflow the
// height (a bar shown for nothing would stay: the control takes it for its own). For
// the horizontal one the control itself is asked: it is given the widest line alone
// (by the widths of the characters), and shows the bar if that line needs it.
void RichEditor::ShowScrollBarsFor(std::wstring_view text) {
    const std::size_t kLongText = 8192;  // positions; a shorter text is laid out again at once
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    if (text.size() < kLongText || client.right <= 0 || client.bottom <= 0) return;
    LineExtent extent;
    TEXTMETRICW metrics{};
    {
        win::WindowDc dc(hwnd_);
        win::Selected selected(dc.get(), font_ ? static_cast<HGDIOBJ>(font_) : ::GetStockObject(SYSTEM_FONT));
        ::GetTextMetricsW(dc.get(), &metrics);
        std::vector<short> widths(65536, -1);
        auto width = [&](char16_t c) {
            short& w = widths[c];
            if (w < 0) {
                SIZE size{};
                wchar_t one = static_cast<wchar_t>(c);
                ::GetTextExtentPoint32W(dc.get(), &one, 1, &size);
                w = static_cast<short>(std::clamp<LONG>(size.cx, 0, 0x7FFF));
            }
            return static_cast<int>(w);
        };
        // The control's default tab stops are half an inch apart.
        extent = MeasureLines(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()), width,
                              ::GetDeviceCaps(dc.get(), LOGPIXELSX) / 2);
    }
    if (static_cast<long long>(extent.lines) * metrics.tmHeight > 2LL * client.bottom)
        ::ShowScrollBar(hwnd_, SB_VERT, TRUE);
    // The text that goes in next takes this line's place.
    StreamInUnits(text.substr(extent.widestStart, extent.widestEnd - extent.widestStart));
}

bool RichEditor::StreamInUnits(std::wstring_view text) {
    WideSource source{std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size())};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadUtf16Chunk};
    ::SendMessageA(hwnd_, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError == 0 && source.pos == text.size();
}

bool RichEditor::StreamInPlain(const std::wstring& text) {
    ShowScrollBarsFor(text);
    // The GBK bytes are turned into characters here, with code page 936, and handed
    // over as UTF-16: the control then holds exactly these characters, whatever the
    // system's code page and whatever the file starts with (the control would read a
    // UTF-8 byte-order mark as UTF-8). Chunks end on whole characters and never
    // between CR and LF, since the control converts each chunk on its own.
    return StreamInUnits(text);
}

bool RichEditor::StreamInRtf(std::string_view rtf) {
    ByteSource source{rtf};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadGbkChunk};
    ::SendMessageA(hwnd_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError == 0;
}

RichEditor::LoadReport RichEditor::LoadFromFile(const std::string& path, const Utf8Question& convertUtf8) {
    // A load is one step for the document: the caret it leaves at the start is
    // reported once, after it, also when the file could not be read.
    try {
        LoadReport report = LoadWhole(win::ReadWholeFile(path), convertUtf8);
        NotifySelectionChange();
        return report;
    } catch (...) {
        NotifySelectionChange();
        throw;
    }
}

RichEditor::LoadReport RichEditor::LoadFromBytes(std::string bytes) {
    try {
        LoadReport report = LoadWhole(std::move(bytes), {});
        NotifySelectionChange();
        return report;
    } catch (...) {
        NotifySelectionChange();
        throw;
    }
}

RichEditor::LoadReport RichEditor::LoadWhole(std::string bytes, const Utf8Question& convertUtf8) {
    const bool rtf = mode_ == TextMode::Rich && bytes.compare(0, 5, "{\\rtf") == 0;
    LoadReport report;
    // Asked before the control changes: the question's box runs a message loop.
    const char* encoding = rtf ? nullptr : ConvertibleEncoding(bytes);
    if (encoding && convertUtf8 && convertUtf8(encoding)) {
        Utf8ToGbkResult converted = ConvertToGbk(bytes, encoding);
        bytes = std::move(converted.gbk);
        report.convertedFromUtf8 = true;
        report.missing = std::move(converted.missing);
    }
    LoadingScope loading(loading_);
    if (UnitCount() > 0) ReplaceControl();
    ::SendMessageA(hwnd_, EM_EXLIMITTEXT, 0, kLoadLimit);
    bool loaded = false;
    // Only data that starts as RTF is offered as RTF: v1 takes anything starting
    // with "{" for RTF and loads garbage, and a failed RTF load erases the control.
    if (rtf) {
        loaded = StreamInRtf(bytes);
        if (!loaded && UnitCount() > 0) ReplaceControl();
    }
    if (!loaded) {
        // Not the system's conversion: it takes the byte after a stray lead byte along,
        // so an ASCII '%' or '=' there would vanish.
        std::u16string decoded = DecodeGbk(bytes);
        std::wstring text(decoded.begin(), decoded.end());
        // The control holds characters; bytes that are not GBK come back as others.
        report.notGbk = FindNonGbk(bytes) != std::string::npos || win::WideToGbk(text) != bytes;
        loaded = StreamInPlain(text);
    }
    if (!loaded && UnitCount() > 0) ReplaceControl();
    ::SendMessageA(hwnd_, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(kMaxTypedBytes));
    ::SendMessageA(hwnd_, EM_EMPTYUNDOBUFFER, 0, 0);
    SetModified(false);  // stream-in sets it
    CHARRANGE start{0, 0};
    ::SendMessageA(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
    if (!loaded) throw win::CommandError(kFailedToLoadStream);
    return report;
}

std::string RichEditor::SavedBytes() const {
    std::string out;
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&out), 0, AppendChunk};
    if (mode_ == TextMode::Rich) {
        ::SendMessageA(hwnd_, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
        if (stream.dwError != 0) throw win::CommandError(kFailedToSaveStream);
        return out;
    }
    // Plain text leaves the control as UTF-16 and becomes GBK here, with code page 936.
    ::SendMessageA(hwnd_, EM_STREAMOUT, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
    if (stream.dwError != 0 || out.size() % 2 != 0) throw win::CommandError(kFailedToSaveStream);
    return win::WideToGbk(std::wstring_view(reinterpret_cast<const wchar_t*>(out.data()), out.size() / 2));
}

namespace {

// Streams the control's text into an open file as it comes, without a copy of the
// whole text: RTF as it is, plain text from UTF-16 to GBK chunk by chunk. A character
// cut between two chunks waits for the rest of it.
struct FileSink {
    HANDLE file;
    bool plain;
    std::string carry;  // bytes of a UTF-16 unit or surrogate pair not yet whole
    bool ok = true;

    bool Put(std::string_view bytes) {
        while (!bytes.empty()) {
            DWORD written = 0;
            DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
            if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return ok = false;
            bytes.remove_prefix(written);
        }
        return true;
    }
    bool PutUtf16(std::string_view bytes) {
        carry.append(bytes);
        std::size_t units = carry.size() / 2;
        if (units > 0) {
            wchar_t last = 0;
            std::memcpy(&last, carry.data() + (units - 1) * 2, 2);
            if (last >= 0xD800 && last < 0xDC00) --units;  // its low half follows
        }
        std::wstring_view wide(reinterpret_cast<const wchar_t*>(carry.data()), units);
        bool put = Put(win::WideToGbk(wide));
        carry.erase(0, units * 2);
        return put;
    }
};

DWORD CALLBACK WriteChunkToFile(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* written) {
    auto* sink = reinterpret_cast<FileSink*>(cookie);
    std::string_view bytes(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(size));
    *written = size;
    return (sink->plain ? sink->PutUtf16(bytes) : sink->Put(bytes)) ? 0 : 1;
}

}  // namespace

bool RichEditor::WriteTo(HANDLE file) const {
    FileSink sink{file, mode_ == TextMode::Plain};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&sink), 0, WriteChunkToFile};
    ::SendMessageA(hwnd_, EM_STREAMOUT, sink.plain ? SF_TEXT | SF_UNICODE : SF_RTF, reinterpret_cast<LPARAM>(&stream));
    if (sink.plain && sink.ok && !sink.carry.empty()) sink.Put("?");  // half a character at the very end
    return sink.ok && stream.dwError == 0;
}

void RichEditor::SaveToFile(const std::string& path) const {
    win::WaitCursor waiting;
    win::WriteFileSafely(path, SavedBytes());
}

// ---- redrawing ------------------------------------------------------------------

void RichEditor::BeginUpdate() {
    if (updateLevel_++ == 0) ::SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
}

void RichEditor::EndUpdate() {
    if (updateLevel_ > 0 && --updateLevel_ == 0) {
        ::SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(hwnd_, nullptr, TRUE);
    }
}

// ---- the length limit for typing and pasting --------------------------------------
// The control counts its limit in characters and lets EM_REPLACESEL and WM_PASTE
// pass it (Wine); the limit is in bytes and holds for typing and pasting alike.

bool RichEditor::AllowsEdit(std::size_t addedBytes) const {
    if (addedBytes == 0) return true;
    // A character is at most two bytes: far from the limit nothing needs counting,
    // and typing in a long text reads none of it.
    int units = UnitCount();
    if (2 * static_cast<std::size_t>(units) + addedBytes <= kMaxTypedBytes) return true;
    // Near the limit the bytes are counted: the text's length is followed from edit
    // to edit, and only the selection is read.
    CHARRANGE selection = SelectionWithin(units);
    std::size_t selected = Characters(selection.cpMin, selection.cpMax).size();
    return EditFits(static_cast<std::size_t>(TextLength()), selected, addedBytes);
}

bool RichEditor::RefusesInput(UINT msg, WPARAM wParam) {
    switch (msg) {
    case WM_CHAR: {
        auto c = static_cast<unsigned char>(wParam & 0xFF);
        if (leadPending_) {  // the trail byte of a double-byte character goes with its lead
            leadPending_ = false;
            return std::exchange(refuseTrail_, false);
        }
        std::size_t added = 0;
        if (lexicon::gbk::is_lead(c)) {
            leadPending_ = true;
            added = 2;
        } else if (c == '\r') {
            added = 2;  // the control inserts CR LF
        } else if ((c >= 0x20 && c != 0x7F) || c == '\t') {
            added = 1;
        }
        bool refused = !AllowsEdit(added);
        if (leadPending_) refuseTrail_ = refused;
        return refused;
    }
    case WM_UNICHAR: {
        if (wParam == UNICODE_NOCHAR || wParam < 0x20) return false;
        wchar_t ch = static_cast<wchar_t>(wParam);
        std::size_t added = wParam < 0x10000 ? static_cast<std::size_t>(GbkLength(&ch, 1)) : 2;
        return !AllowsEdit(added);
    }
    case WM_IME_CHAR:
        return !AllowsEdit((wParam & 0xFF00) ? 2 : 1);
    case WM_PASTE:
    case EM_PASTESPECIAL:
        return !AllowsEdit(ClipboardTextBytes(hwnd_));
    case WM_KEYDOWN: {
        bool ctrl = ::GetKeyState(VK_CONTROL) < 0, shift = ::GetKeyState(VK_SHIFT) < 0,
             alt = ::GetKeyState(VK_MENU) < 0;
        // The control's own paste keys.
        bool paste = (wParam == 'V' && ctrl && !alt) || (wParam == VK_INSERT && shift && !ctrl && !alt);
        return paste && !AllowsEdit(ClipboardTextBytes(hwnd_));
    }
    }
    return false;
}

LRESULT CALLBACK RichEditor::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<RichEditor*>(data);
    if (!self->keepSetAside_ && !self->setAside_.empty() && EndsUndo(msg, wParam)) self->setAside_.clear();
    if (KeepsText(msg, wParam)) return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    if (!self->followEdits_ || msg == WM_DESTROY || msg == WM_NCDESTROY) {
        self->ForgetText();
        LRESULT result = self->ControlMessage(hwnd, msg, wParam, lParam);
        self->ForgetText();
        return result;
    }
    if (self->messageDepth_++ == 0) {
        self->pending_ = self->DescribeEdit(msg, wParam, lParam);
        self->changeSeen_ = false;
    }
    LRESULT result = self->ControlMessage(hwnd, msg, wParam, lParam);
    if (--self->messageDepth_ == 0) self->FinishEdit();
    return result;
}

LRESULT RichEditor::ControlMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CHAR:
    case WM_UNICHAR:
    case WM_IME_CHAR:
    case WM_PASTE:
    case EM_PASTESPECIAL:
    case WM_KEYDOWN: {
        if (RefusesInput(msg, wParam)) {
            ::MessageBeep(MB_OK);
            return 0;
        }
        break;
    }
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(hwnd, ControlProc, kControlSubclass);
        break;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool RichEditor::ParentCommand(UINT code) {
    if (code == EN_CHANGE) {
        changeSeen_ = true;
        if (messageDepth_ > 0) {
            SettleEdit();
        } else {
            ForgetText();  // a change from outside any message we saw
        }
    }
    if (loading_) return false;
    if (code == EN_CHANGE) SetModified(true);
    return true;
}

// A load is one step for the document: no selection reports from its middle.
bool RichEditor::ParentNotify(const NMHDR& header) {
    if (header.code == EN_SELCHANGE && messageDepth_ > 0) SettleEdit();
    return !loading_;
}

// ---- following edits ---------------------------------------------------------------
// Typing, deleting and pasting change the text at the selection. Each message that may
// change the text is looked at before it reaches the control: what it will insert
// (a typed character) or remove (Backspace, Delete, cut). Once the control reports a
// new selection or a change, its length and selection show whether it did exactly
// that; if so the kept stretch of text and the byte length are brought up to date
// without reading the control, whose every read names a position and so walks all
// paragraphs from the first. Anything else (undo, a paste, a load) makes them be
// read again, from the blocks around the edit for the byte length.

void RichEditor::ForgetText() const {
    ForgetReadStretch();
    knownBytes_ = -1;
    byteCount_.Forget();
}

CHARRANGE RichEditor::SelectionWithin(int units) const {
    CHARRANGE range{};
    ::SendMessageA(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    range.cpMin = std::clamp<LONG>(range.cpMin, 0, units);
    range.cpMax = std::clamp<LONG>(range.cpMax, range.cpMin, units);
    return range;
}

RichEditor::PendingEdit RichEditor::DescribeEdit(UINT msg, WPARAM wParam, LPARAM lParam) const {
    using Kind = PendingEdit::Kind;
    PendingEdit edit;
    switch (msg) {
    case WM_CHAR: {
        auto c = static_cast<unsigned char>(wParam & 0xFF);
        edit.kind = Kind::AtSelection;
        if (leadPending_) break;  // the trail of a double-byte character: the control types "?"
        if ((c >= 0x20 && c < 0x7F) || c == '\t') {
            edit.kind = Kind::Inserts;
            edit.inserted.assign(1, static_cast<wchar_t>(c));
        } else if (c == '\r') {
            edit.kind = Kind::Inserts;
            edit.inserted = L"\r\n";  // version 1 keeps CR LF
        }
        break;
    }
    case WM_UNICHAR:
        edit.kind = Kind::AtSelection;
        if ((wParam >= 0x20 && wParam < 0xD800) || (wParam >= 0xE000 && wParam < 0x10000 && wParam != 0xFFFF)) {
            edit.kind = Kind::Inserts;
            edit.inserted.assign(1, static_cast<wchar_t>(wParam));
        }
        break;
    case EM_REPLACESEL:
        edit.kind = Kind::Inserts;
        edit.inserted = lParam ? win::GbkToWide(reinterpret_cast<const char*>(lParam)) : std::wstring();
        break;
    case WM_KEYDOWN: {
        bool ctrl = ::GetKeyState(VK_CONTROL) < 0, alt = ::GetKeyState(VK_MENU) < 0;
        if ((ctrl && (wParam == 'Z' || wParam == 'Y')) || (alt && wParam == VK_BACK)) {
            edit.kind = Kind::Replaces;  // undo and redo change the text wherever it was changed
        } else if (wParam == VK_BACK || wParam == VK_DELETE || (ctrl && wParam == 'X')) {
            edit.kind = Kind::Deletes;
        } else {
            edit.kind = Kind::AtSelection;
        }
        break;
    }
    case WM_CUT:
    case WM_CLEAR:
        edit.kind = Kind::Deletes;
        break;
    case WM_IME_CHAR:
    case WM_IME_COMPOSITION:
    case WM_PASTE:
    case EM_PASTESPECIAL:
        edit.kind = Kind::AtSelection;
        break;
    case WM_SETTEXT:
    case EM_STREAMIN:
    case EM_SETTEXTEX:
    case WM_UNDO:
    case EM_UNDO:
    case EM_REDO:
        edit.kind = Kind::Replaces;
        break;
    default:
        return edit;  // Kind::Other: nothing to look at before
    }
    edit.units = UnitCount();
    edit.selection = SelectionWithin(edit.units);
    return edit;
}

void RichEditor::FollowEdit(int from, int to, const std::wstring& inserted) {
    // The byte length: the bytes of what went, read from the kept stretch.
    int stretchEnd = stretchStart_ + static_cast<int>(stretch_.size());
    bool covered = stretchStart_ >= 0 && from >= stretchStart_ && to <= stretchEnd;
    if (knownBytes_ >= 0) {
        if (from == to) {
            knownBytes_ += GbkLength(inserted.data(), static_cast<int>(inserted.size()));
        } else if (covered) {
            knownBytes_ += GbkLength(inserted.data(), static_cast<int>(inserted.size())) -
                           GbkLength(stretch_.data() + (from - stretchStart_), to - from);
        } else {
            knownBytes_ = -1;
        }
    }
    byteCount_.Changed(from, pending_.units - to);
    if (covered) {
        stretch_.replace(static_cast<std::size_t>(from - stretchStart_), static_cast<std::size_t>(to - from), inserted);
    } else {
        ForgetReadStretch();
    }
}

void RichEditor::SettleEdit() {
    using Kind = PendingEdit::Kind;
    PendingEdit& edit = pending_;
    if (edit.settled) {
        if (!edit.followed) ForgetReadStretch();  // read in the middle of a change
        return;
    }
    if (edit.kind == Kind::Other) {
        if (!changeSeen_) return;
        edit.settled = true;
        ForgetText();
        return;
    }
    int units = UnitCount();
    CHARRANGE now = SelectionWithin(units);
    const CHARRANGE& before = edit.selection;
    if (!changeSeen_ && units == edit.units && now.cpMin == before.cpMin && now.cpMax == before.cpMax)
        return;  // nothing has happened yet
    edit.settled = true;
    edit.unitsAfter = units;
    edit.selectionAfter = now;
    bool caret = now.cpMin == now.cpMax;
    if (edit.kind == Kind::Inserts) {
        int added = static_cast<int>(edit.inserted.size());
        if (caret && units == edit.units - (before.cpMax - before.cpMin) + added && now.cpMin == before.cpMin + added) {
            FollowEdit(before.cpMin, before.cpMax, edit.inserted);
            edit.followed = true;
            return;
        }
    } else if (edit.kind == Kind::Deletes) {
        int removed = edit.units - units;
        if (caret && removed > 0 && now.cpMin <= before.cpMin && now.cpMin + removed >= before.cpMax) {
            FollowEdit(now.cpMin, now.cpMin + removed, std::wstring());
            edit.followed = true;
            return;
        }
    } else if (!changeSeen_ && units == edit.units) {
        edit.settled = false;  // only the selection moved so far
        return;
    }
    // An edit that cannot be followed: what was read is read again when needed; the
    // byte length from the blocks before and behind the edit, where they are known.
    ForgetReadStretch();
    knownBytes_ = -1;
    if (edit.kind == Kind::Replaces) {
        byteCount_.Forget();
    } else {
        byteCount_.Changed(std::min(before.cpMin, now.cpMin), std::min(edit.units - before.cpMax, units - now.cpMax));
    }
}

void RichEditor::FinishEdit() {
    SettleEdit();
    const PendingEdit& edit = pending_;
    if (!edit.settled || !edit.followed) return;
    // The control did nothing more after reporting the edit.
    CHARRANGE now = SelectionWithin(UnitCount());
    if (UnitCount() != edit.unitsAfter || now.cpMin != edit.selectionAfter.cpMin ||
        now.cpMax != edit.selectionAfter.cpMax)
        ForgetText();
}

}  // namespace documents
