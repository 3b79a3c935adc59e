#include "documents/recovery_record.h"

#include <cstdio>

namespace documents {

namespace {

const std::string_view kMagic = "Velmora recovery copy 1";
const std::string_view kCaption = "caption=";
const std::string_view kFile = "file=";
const std::string_view kFormat = "format=";
const std::string_view kTime = "time=";

std::string OneLine(std::string_view field) {
    std::string line(field);
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    return line;
}

}  // namespace

std::string RecoveryHeaderBytes(const RecoveryHeader& header) {
    std::string out(kMagic);
    out += "\r\n";
    out.append(kCaption).append(OneLine(header.caption)).append("\r\n");
    out.append(kFile).append(OneLine(header.file)).append("\r\n");
    out.append(kFormat).append(header.rich ? "rtf" : "text").append("\r\n");
    out.append(kTime).append(OneLine(header.time)).append("\r\n\r\n");
    return out;
}

std::optional<RecoveryCopy> ReadRecoveryHeader(std::string_view bytes) {
    RecoveryCopy copy;
    bool magic = false, format = false;
    std::size_t at = 0;
    for (;;) {
        std::size_t end = bytes.find("\r\n", at);
        if (end == std::string_view::npos) return std::nullopt;  // cut short
        std::string_view line = bytes.substr(at, end - at);
        at = end + 2;
        if (!magic) {
            if (line != kMagic) return std::nullopt;
            magic = true;
        } else if (line.empty()) {
            break;
        } else if (line.starts_with(kCaption)) {
            copy.header.caption = line.substr(kCaption.size());
        } else if (line.starts_with(kFile)) {
            copy.header.file = line.substr(kFile.size());
        } else if (line.starts_with(kFormat)) {
            std::string_view value = line.substr(kFormat.size());
            if (value != "rtf" && value != "text") return std::nullopt;
            copy.header.rich = value == "rtf";
            format = true;
        } else if (line.starts_with(kTime)) {
            copy.header.time = line.substr(kTime.size());
        }  // a line of a later version is passed over
    }
    if (!format) return std::nullopt;
    copy.textOffset = at;
    return copy;
}

std::string RecoveryTimeText(int year, int month, int day, int hour, int minute, int second) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    return text;
}

}  // namespace documents
