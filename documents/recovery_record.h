#pragma once
// A recovery copy of a document with unsaved changes: a few header lines (GBK), an
// empty line, then the document's bytes exactly as a save would write them (GBK
// text or RTF). Window-free: the store writes the header, the editor streams the text.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace documents {

struct RecoveryHeader {
    std::string caption;  // the window's caption: a file's path, or NONAME0 for a new document
    std::string file;     // where Save writes; empty for a document never saved
    bool rich = false;    // RTF, else plain GBK text
    std::string time;     // when the copy was written, "2026-12-11 13:40:05"
};

// The header's bytes, ending with the empty line. A line break inside a field (no
// caption or path holds one) becomes a blank, so the header stays readable.
std::string RecoveryHeaderBytes(const RecoveryHeader& header);

struct RecoveryCopy {
    RecoveryHeader header;
    std::size_t textOffset = 0;  // where the document's bytes start
};
// Reads a copy's header; nothing when the bytes are no recovery copy (another file,
// or one cut short before its text began).
std::optional<RecoveryCopy> ReadRecoveryHeader(std::string_view bytes);

// "2026-12-11 13:40:05".
std::string RecoveryTimeText(int year, int month, int day, int hour, int minute, int second);

}  // namespace documents
