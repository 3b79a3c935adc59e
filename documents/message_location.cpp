#include "documents/message_location.h"

#include "lexicon/base/gbk.h"

namespace documents {

namespace {

// Reads a positive decimal number at `at`; 0 when there is none.
int ReadNumber(std::string_view text, std::size_t& at) {
    int value = 0;
    const std::size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 9) {
        value = value * 10 + (text[at] - '0');
        ++at;
    }
    return at == start ? 0 : value;
}

}  // namespace

std::optional<MessageLocation> ParseMessageLocation(std::string_view message) {
    const std::size_t open = message.find('(');
    if (open == 0 || open == std::string_view::npos) return std::nullopt;
    std::size_t at = open + 1;
    MessageLocation location;
    location.line = ReadNumber(message, at);
    if (location.line == 0) return std::nullopt;
    if (at < message.size() && message[at] == ',') {
        ++at;
        location.column = ReadNumber(message, at);
        if (location.column == 0) return std::nullopt;
    }
    if (message.substr(at, 2) != "):") return std::nullopt;
    return location;
}

int ByteOffsetOf(std::string_view text, const MessageLocation& location) {
    std::size_t at = 0;
    for (int line = 1; line < location.line && at < text.size(); ++line) {
        while (at < text.size() && text[at] != '\r' && text[at] != '\n') ++at;
        if (at < text.size() && text[at] == '\r') ++at;
        if (at < text.size() && text[at] == '\n') ++at;
    }
    if (location.column <= 1) return static_cast<int>(at);
    std::size_t end = at;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    const std::size_t wanted = at + static_cast<std::size_t>(location.column - 1);
    std::size_t i = at;
    while (i < end) {
        const std::size_t next = i + lexicon::gbk::char_length(text, i);
        if (next > wanted) break;
        i = next;
    }
    return static_cast<int>(i);
}

}  // namespace documents
