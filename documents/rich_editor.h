#pragma once
// The document's editor: a version-1 rich edit control behind an interface that
// speaks GBK bytes with CR LF line breaks. The control itself counts positions in
// characters (a Chinese character is one), and under Wine it has traps (short
// buffers return nothing, stream chunks must not split a character, a failed RTF
// load erases it, cut/clear/undo leave the modified flag alone); they are all
// handled here, so the rest of the program sees a plain GBK text.
#include <windows.h>

#include <string>
#include <string_view>

namespace documents {

enum class TextMode { Plain, Rich };

struct ByteRange {
    int start = 0;   // byte offset into Text()
    int length = 0;  // bytes
};

class RichEditor {
public:
    RichEditor(HWND parent, int id);
    ~RichEditor();
    RichEditor(const RichEditor&) = delete;
    RichEditor& operator=(const RichEditor&) = delete;

    HWND hwnd() const { return hwnd_; }

    // The whole text: GBK bytes, line breaks as CR LF.
    std::string Text() const;
    int TextLength() const;  // bytes of Text()
    // Bytes [from, to) of Text(), fetched without copying the whole document.
    std::string TextRange(int from, int to) const;

    ByteRange Selection() const;
    // Selects `length` bytes from `start`; start -1 puts the caret at the end.
    void SetSelection(int start, int length = 0);
    // Replaces the selection (or inserts at the caret); the caret ends behind it.
    void ReplaceSelection(std::string_view gbk, bool canUndo);
    // First occurrence of `what` in [from, from + length), or -1; byte offsets.
    int Find(std::string_view what, int from, int length, bool wholeWord, bool matchCase) const;

    bool IsModified() const;
    void SetModified(bool modified);

    TextMode Mode() const { return mode_; }
    void SetMode(TextMode mode) { mode_ = mode; }

    // Loads the whole file in the current mode (an RTF-mode load of a file that is
    // not RTF reads it again as plain text). Throws win::CommandError on failure.
    void LoadFromFile(const std::string& path);
    // Saves the whole text in the current mode, replacing the file only once the
    // new contents are safely written. Throws win::CommandError on failure.
    void SaveToFile(const std::string& path) const;

    // Nested suspension of redrawing.
    void BeginUpdate();
    void EndUpdate();

private:
    HWND hwnd_ = nullptr;
    TextMode mode_ = TextMode::Rich;
    int updateLevel_ = 0;
};

}  // namespace documents
