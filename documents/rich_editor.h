#pragma once
// The document's editor: a version-1 rich edit control behind an interface that
// speaks GBK bytes. Every position and length here counts bytes of Text(): GBK, a
// Chinese character two bytes, line breaks as the file had them (CR LF when typed).
//
// The control itself counts positions in characters (a Chinese character is one),
// and under Wine it has traps: a text buffer shorter than twice the length returns
// nothing, stream chunks must not split a character or a CR LF pair, a failed RTF
// load erases the control, cut/clear/undo leave the modified flag alone, and
// emptying a long text takes quadratic time. All of them are handled in this class
// and nowhere else, so the rest of the program sees a plain GBK text.
#include <windows.h>

#include <richedit.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "documents/text_byte_count.h"
#include "win/handles.h"

namespace documents {

enum class TextMode { Plain, Rich };

struct ByteRange {
    int start = 0;   // byte offset into Text()
    int length = 0;  // bytes
};

class RichEditor {
public:
    // Throws win::CommandError when the rich edit library or the control cannot be
    // had ("Cannot load library riched32.dll", "Cannot create window RICHEDIT").
    RichEditor(HWND parent, int id);
    ~RichEditor();
    RichEditor(const RichEditor&) = delete;
    RichEditor& operator=(const RichEditor&) = delete;

    // The control. Loading into a control that holds text, and Clear, replace it by
    // a fresh one (same id, place, font and settings): ask for it each time.
    HWND hwnd() const { return hwnd_; }
    void SetFont(HFONT font);
    // Called once a fresh control has taken the place of the old one: positions
    // learned from the old control no longer hold.
    void OnControlReplaced(std::function<void()> handler) { controlReplaced_ = std::move(handler); }

    // The parent hands the control's notifications to the editor before acting on
    // them: the code of a WM_COMMAND from the control, and a WM_NOTIFY from it. Each
    // returns true when the parent may act on it too (false in the middle of a load,
    // which is one step for the document).
    bool ParentCommand(UINT code);
    bool ParentNotify(const NMHDR& header);

    // The whole text: GBK bytes.
    std::string Text() const;
    // The control's own length and positions, in which a character is one position
    // (CR and LF one each), and the GBK bytes of positions [from, to). Reads near an
    // earlier one come from the stretch of text read then, kept until the text changes.
    int UnitCount() const;
    std::string Characters(int from, int to) const;
    int TextLength() const;  // bytes of Text()
    // Bytes [from, to) of Text(), read up to `to` only.
    std::string TextRange(int from, int to) const;

    ByteRange Selection() const;
    bool HasSelection() const;
    // Selects `length` bytes from `start`; start -1 puts the caret at the end.
    void SetSelection(int start, int length = 0);
    // Replaces the selection (or inserts at the caret); the caret ends behind it.
    void ReplaceSelection(std::string_view gbk, bool canUndo);
    // First occurrence of `what` in [from, from + length), or -1; byte offsets. Whole
    // word and case follow the control's own search.
    int Find(std::string_view what, int from, int length, bool wholeWord, bool matchCase) const;
    // Empties the text in one step (a change: the modified flag is set) that Undo takes back.
    void Clear();
    // Puts `gbk` in place of the whole text in one step (a change: the modified flag is
    // set), the caret at the start. Character and paragraph formats that were the same
    // throughout the text stay so. With `canUndo` Undo brings the text before back,
    // else the step is not recorded for undo.
    void SetWholeText(std::string_view gbk, bool canUndo = false);
    // Whether every character and paragraph has the same format.
    bool HasOneFormat() const;
    // Replaces each of `stretches` (byte ranges of Text(), in text order, not
    // overlapping) by `gbk` in place, each taking the format of the text it replaces.
    // The caret ends behind the last replacement. With `canUndo` one Undo takes all of
    // them back, else they are not recorded for undo.
    void ReplaceEach(const std::vector<ByteRange>& stretches, std::string_view gbk, bool canUndo = false);

    // Undo: the control's own, for the changes it recorded; once it has none left, the
    // last whole-text step made with `canUndo` is taken back: the text, its formats,
    // the selection and the modified flag as they were before it, and the control's
    // undo history from before it.
    void Undo();
    bool CanUndo() const;

    // Set by every change of the text except loading; cleared only by SetModified.
    bool IsModified() const;
    void SetModified(bool modified);

    TextMode Mode() const { return mode_; }
    void SetMode(TextMode mode) { mode_ = mode; }

    struct LoadReport {
        // A plain-text file whose bytes the editor cannot hold as they are (not GBK):
        // the next save writes other bytes.
        bool notGbk = false;
        // A UTF-8 or UTF-16 file taken in converted to GBK, and the characters GBK has
        // no form for (each became '?').
        bool convertedFromUtf8 = false;
        std::vector<char32_t> missing;
    };
    // Asked, before anything is loaded, when a plain-text file is UTF-8 (and not GBK)
    // or UTF-16, with the encoding's name; true converts it to GBK.
    using Utf8Question = std::function<bool(const char* encoding)>;
    // Loads the whole file, whatever its length, in the current mode; an RTF-mode
    // load of a file that is not RTF reads it again as plain text. Afterwards the
    // caret is at the start and the modified flag is clear; the parent hears of the
    // caret once, at the end. Throws win::CommandError ("Cannot open file %s",
    // "Failed to Load Stream"), leaving an empty text.
    // Bytes that are not GBK each become a replacement character on their own.
    LoadReport LoadFromFile(const std::string& path, const Utf8Question& convertUtf8 = {});
    // Saves the whole text in the current mode, replacing the file only once the new
    // contents are safely written. Throws win::CommandError ("Cannot create file %s",
    // "Failed to Save Stream"); the file is then as it was.
    void SaveToFile(const std::string& path) const;
    // The bytes SaveToFile writes.
    std::string SavedBytes() const;
    // Writes the same bytes to an open file, streamed from the control without a copy
    // of the whole text; false when a write fails.
    bool WriteTo(HANDLE file) const;
    // Loads bytes as LoadFromFile loads a file's (no question is asked).
    LoadReport LoadFromBytes(std::string bytes);

    // Nested suspension of redrawing.
    void BeginUpdate();
    void EndUpdate();

private:
    struct ControlTraits {
        static HWND invalid() { return nullptr; }
        static void close(HWND hwnd) {
            if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
        }
    };
    using OwnedControl = win::Unique<HWND, ControlTraits>;

    void CreateControl(const RECT& bounds, bool visible);
    void ReplaceControl();
    // ---- undoing whole-text steps ----
    // Such a step goes into a fresh control; the one before is kept hidden, as it was,
    // and brought back by Undo.
    OwnedControl SetAsideControl();
    // A fresh control holding the same text and formats, the current one set aside; an
    // empty result when the copy is not exact (the current control stays then).
    OwnedControl CopyIntoFreshControl();
    void KeepForUndo(OwnedControl before);
    void BringBack(OwnedControl before);
    // A change the control cannot undo ends what Undo can reach.
    static bool EndsUndo(UINT msg, WPARAM wParam);
    void NotifySelectionChange();
    LoadReport LoadWhole(std::string bytes, const Utf8Question& convertUtf8);
    std::wstring WideText(int maxUnits = -1) const;
    std::wstring ReadUnits(int from, int to, int total) const;
    std::wstring ReadLines(int from, int to) const;
    std::wstring ReadStretch(int from, int to, int needed, int total) const;
    void ForgetReadStretch() const { stretchStart_ = -1; }
    // Nothing read from the text (the stretch, its byte length) holds any more.
    void ForgetText() const;
    static bool KeepsText(UINT msg, WPARAM wParam);

    // ---- edits followed without reading the text again ----
    // What a message about to reach the control does to the text, as far as known.
    struct PendingEdit {
        enum class Kind {
            Other,        // the text stays, unless the control says it changed
            AtSelection,  // changes the text at the selection only
            Inserts,      // puts `inserted` in place of the selection
            Deletes,      // removes the selection, or a stretch ending or starting at the caret
            Replaces,     // the whole text, or a change anywhere (undo)
        };
        Kind kind = Kind::Other;
        std::wstring inserted;
        int units = 0;  // the text's length before
        CHARRANGE selection{};
        bool settled = false;
        bool followed = false;  // settled as a known edit: the kept stretch holds
        int unitsAfter = 0;
        CHARRANGE selectionAfter{};
    };
    PendingEdit DescribeEdit(UINT msg, WPARAM wParam, LPARAM lParam) const;
    CHARRANGE SelectionWithin(int units) const;
    // Called where the text may have changed by now: the control's EN_SELCHANGE and
    // EN_CHANGE, and the end of the message.
    void SettleEdit();
    void FinishEdit();
    void FollowEdit(int from, int to, const std::wstring& inserted);
    int UnitsToBytes(int units) const;
    CHARFORMATA SelectionCharacterFormat() const;
    PARAFORMAT SelectionParagraphFormat() const;
    void ShowScrollBarsFor(std::wstring_view text);
    bool StreamInUnits(std::wstring_view text);
    bool StreamInPlain(const std::wstring& text);
    bool StreamInRtf(std::string_view rtf);
    // Whether replacing the selection by `addedBytes` keeps the text within the limit.
    bool AllowsEdit(std::size_t addedBytes) const;
    // Typing or pasting that would take the text past the limit.
    bool RefusesInput(UINT msg, WPARAM wParam);

    static LRESULT CALLBACK ControlProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT ControlMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND parent_ = nullptr;
    int id_ = 0;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    TextMode mode_ = TextMode::Rich;
    std::function<void()> controlReplaced_;
    int updateLevel_ = 0;
    bool loading_ = false;
    bool leadPending_ = false;  // a lead byte was typed; its trail byte follows
    bool refuseTrail_ = false;  // ... and it was refused, so the trail goes too
    // The stretch of text last read by Characters(): positions from stretchStart_;
    // stretchStart_ -1 once the text may have changed.
    mutable std::wstring stretch_;
    mutable int stretchStart_ = -1;
    // The byte length of the text while it is known (-1 otherwise), and the blocks it
    // is counted in again after an edit that could not be followed.
    mutable long long knownBytes_ = -1;
    mutable TextByteCount byteCount_;
    PendingEdit pending_;
    int messageDepth_ = 0;
    bool changeSeen_ = false;  // EN_CHANGE during the message in hand
    bool followEdits_ = true;  // off while the editor edits in bulk
    // Controls set aside by whole-text steps, the latest last; each holds the text from
    // before the step after it. Few: each holds a whole text.
    std::vector<OwnedControl> setAside_;
    bool keepSetAside_ = false;  // during a step of the editor's own that may be undone
    static constexpr std::size_t kSetAsideLimit = 3;
    static constexpr int kLongTextUnits = 2 * 1024 * 1024;  // from here on, one set aside
};

}  // namespace documents
