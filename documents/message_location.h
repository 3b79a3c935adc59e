#pragma once
// Where a compiler message points in the document: "temp.trs(12): ..." names a line,
// "temp.trs(12,7): ..." a column of it too (in bytes, as the status bar counts).
#include <optional>
#include <string_view>

namespace documents {

struct MessageLocation {
    int line = 0;    // from 1
    int column = 0;  // from 1; 0 when the message names the line only
    friend bool operator==(const MessageLocation&, const MessageLocation&) = default;
};

std::optional<MessageLocation> ParseMessageLocation(std::string_view message);

// The byte offset of a line and column in a GBK text whose lines end in CR LF, a lone
// CR or a lone LF. A line past the end gives the end; a column past the line's end
// gives the line's end; a column inside a double-byte character gives its start.
int ByteOffsetOf(std::string_view text, const MessageLocation& location);

}  // namespace documents
