#include "documents/message_pane.h"

#include <commctrl.h>

#include <algorithm>

#include "documents/message_find.h"
#include "lexicon/base/gbk.h"
#include "win/dpi.h"
#include "win/gbk.h"

namespace documents {

namespace {

// Room the list view leaves around a row's text, on top of the text itself.
const int kLabelPadding = 12;

// Copies at most size - 1 bytes and never half of a double-byte character.
void CopyText(const std::string& text, char* out, int size) {
    if (!out || size <= 0) return;
    std::size_t limit = static_cast<std::size_t>(size - 1), n = 0;
    while (n < text.size()) {
        std::size_t step = lexicon::gbk::walk_length(text, n);
        if (n + step > limit) break;
        n += step;
    }
    std::copy_n(text.data(), n, out);
    out[n] = '\0';
}

}  // namespace

MessagePane::MessagePane(HWND parent, int id) : parent_(parent), font_(win::MakeFont({"MS Sans Serif", 17})) {
    hwnd_ = ::CreateWindowExA(
        WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
        WS_CHILD | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_OWNERDATA, 0, 0, 0, 0,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    ::SendMessageA(hwnd_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    subclassed_ = ::SetWindowSubclass(parent_, &MessagePane::ParentProc, reinterpret_cast<UINT_PTR>(this),
                                      reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

MessagePane::~MessagePane() {
    Unsubclass();
    if (::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

void MessagePane::Unsubclass() {
    if (!subclassed_) return;
    ::RemoveWindowSubclass(parent_, &MessagePane::ParentProc, reinterpret_cast<UINT_PTR>(this));
    subclassed_ = false;
}

LRESULT CALLBACK MessagePane::ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<MessagePane*>(data);
    if (msg == WM_NOTIFY) {
        auto& header = *reinterpret_cast<NMHDR*>(lParam);
        if (header.hwndFrom == self->hwnd_) {
            if (self->AnswerDisplayInfo(header)) return 0;
            if (LRESULT row = -1; self->AnswerFindItem(header, row)) return row;
        }
    } else if (msg == WM_NCDESTROY) {
        self->Unsubclass();
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool MessagePane::AnswerDisplayInfo(NMHDR& header) {
    if (header.code == LVN_GETDISPINFOA) {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA&>(header).item;
        if ((item.mask & LVIF_TEXT) && item.iItem >= 0 && static_cast<std::size_t>(item.iItem) < lines_.size())
            CopyText(lines_[static_cast<std::size_t>(item.iItem)], item.pszText, item.cchTextMax);
        return true;
    }
    if (header.code == LVN_GETDISPINFOW) {  // a parent that asked for Unicode notifications
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0 && item.iItem >= 0 &&
            static_cast<std::size_t>(item.iItem) < lines_.size()) {
            std::wstring wide = win::GbkToWide(lines_[static_cast<std::size_t>(item.iItem)]);
            std::size_t n = std::min(wide.size(), static_cast<std::size_t>(item.cchTextMax - 1));
            std::copy_n(wide.data(), n, item.pszText);
            item.pszText[n] = L'\0';
        }
        return true;
    }
    return false;
}

bool MessagePane::AnswerFindItem(const NMHDR& header, LRESULT& row) const {
    std::string typed;
    UINT flags = 0;
    int start = 0;
    if (header.code == LVN_ODFINDITEMA) {
        const auto& find = reinterpret_cast<const NMLVFINDITEMA&>(header);
        flags = find.lvfi.flags;
        start = find.iStart;
        if (find.lvfi.psz) typed = find.lvfi.psz;
    } else if (header.code == LVN_ODFINDITEMW) {  // what Wine's list view sends to any parent
        const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
        flags = find.lvfi.flags;
        start = find.iStart;
        if (find.lvfi.psz) typed = win::WideToGbk(find.lvfi.psz);
    } else {
        return false;
    }
    // Only texts are looked for: the rows have no item data and no places to be near.
    // A substring search (0x4, newer lists) means a beginning too.
    const UINT beginning = LVFI_PARTIAL | 0x4;
    row = (flags & (LVFI_STRING | beginning))
              ? FindRow(lines_, {typed, (flags & beginning) != 0, start, (flags & LVFI_WRAP) != 0})
              : -1;
    return true;
}

int MessagePane::WidestLine() const {
    // Measuring every row with GetTextExtentPoint32 costs seconds for 100,000 rows under
    // Wine. The sum of per-character widths (measured once per distinct character)
    // gives the same figure; the widest row is then measured whole to be sure.
    win::WindowDc dc(hwnd_);
    win::Selected selected(dc.get(), font_.get());
    INT single[256] = {};
    ::GetCharWidth32A(dc.get(), 0, 255, single);
    std::vector<int> doubleWidths(65536, -1);
    int widest = 0;
    const std::string* widestLine = nullptr;
    for (const std::string& line : lines_) {
        int width = 0;
        const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
        for (std::size_t i = 0; i < line.size();) {
            if (lexicon::gbk::walk_length(line, i) == 2) {
                int& w = doubleWidths[static_cast<std::size_t>(bytes[i]) << 8 | bytes[i + 1]];
                if (w < 0) {
                    SIZE size{};
                    ::GetTextExtentPoint32A(dc.get(), line.data() + i, 2, &size);
                    w = size.cx;
                }
                width += w;
                i += 2;
            } else {
                width += single[bytes[i]];
                ++i;
            }
        }
        if (width > widest || !widestLine) {
            widest = width;
            widestLine = &line;
        }
    }
    if (widestLine) {
        SIZE size{};
        ::GetTextExtentPoint32A(dc.get(), widestLine->data(), static_cast<int>(widestLine->size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    return widest;
}

void MessagePane::SetLines(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    ::SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0);
    ::SendMessageA(hwnd_, LVM_SETITEMCOUNT, lines_.size(), 0);
    ::SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, 0, WidestLine() + win::Scale(kLabelPadding));
    ::SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void MessagePane::Show() { ::ShowWindow(hwnd_, SW_SHOW); }

void MessagePane::ShowLastLine() {
    if (!lines_.empty()) ::SendMessageA(hwnd_, LVM_ENSUREVISIBLE, lines_.size() - 1, FALSE);
}

}  // namespace documents
