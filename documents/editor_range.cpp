#include "documents/editor_range.h"

#include <richedit.h>

#include <algorithm>
#include <vector>

#include "lexicon/gbk.h"

namespace documents {

std::string EditorCharacters(HWND editor, int from, int to) {
    std::string out;
    // The control keeps a final paragraph mark past the text's end: never read it.
    to = std::min(to, static_cast<int>(::GetWindowTextLengthA(editor)));
    if (from >= to) return out;
    int line = static_cast<int>(::SendMessageA(editor, EM_EXLINEFROMCHAR, 0, from));
    std::vector<char> buffer;
    for (;; ++line) {
        int lineStart = static_cast<int>(::SendMessageA(editor, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
        if (lineStart < 0 || lineStart >= to) break;
        int lineLength = static_cast<int>(::SendMessageA(editor, EM_LINELENGTH, static_cast<WPARAM>(lineStart), 0));
        // Room for the line as double-byte text and its break; EM_GETLINE takes
        // the buffer size in its first word.
        std::size_t size = std::min<std::size_t>(65535, static_cast<std::size_t>(lineLength) * 2 + 8);
        buffer.assign(size, '\0');
        *reinterpret_cast<WORD*>(buffer.data()) = static_cast<WORD>(size);
        int copied = static_cast<int>(
            ::SendMessageA(editor, EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(buffer.data())));
        if (copied <= 0) break;
        // Keep the characters of this line that fall into [from, to).
        int position = lineStart;
        for (int i = 0; i < copied && position < to; ++position) {
            int width = lexicon::gbk::is_lead(static_cast<unsigned char>(buffer[i])) && i + 1 < copied ? 2 : 1;
            if (position >= from) out.append(buffer.data() + i, static_cast<std::size_t>(width));
            i += width;
        }
    }
    return out;
}

}  // namespace documents
