#include "documents/document_rules.h"

#include "documents/gbk_text.h"
#include "documents/text_encoding.h"
#include "lexicon/base/gbk.h"

namespace documents {

const char* const kCloseQueryCaption = "文件尚未存盘";
const char* const kOpenFilter = "文本文件(*.txt)|*.txt|RTF文件(*.rtf)|*.rtf";
const char* const kNotGbkCaption = "词库生成系统";

std::string NonameCaption(std::size_t openDocuments) {
    return std::string(kNoname) + std::to_string(openDocuments > 0 ? openDocuments - 1 : 0);
}

bool NeedsSaveDialog(std::string_view caption) { return caption.find(kNoname) != std::string_view::npos; }

std::string CloseQueryPrompt(std::string_view caption) {
    return "文件：" + std::string(caption) + "尚未存盘，要保存吗？";
}

std::string DialogFilter(std::string_view barSeparated) {
    std::string out;
    for (std::size_t i = 0; i < barSeparated.size(); ++i) {
        auto c = static_cast<unsigned char>(barSeparated[i]);
        if (lexicon::gbk::walk_length(barSeparated, i) == 2) {
            out += barSeparated.substr(i, 2);
            ++i;
        } else {
            out += c == '|' ? '\0' : static_cast<char>(c);
        }
    }
    out += '\0';
    out += '\0';
    return out;
}

std::string PathToOpen(std::string_view chosen, FileType type) {
    std::string path(chosen);
    // Byte by byte from the first byte: a full stop in a folder name counts too. A
    // GBK trail byte is never a full stop (trail bytes start at 0x40).
    if (path.find('.') == std::string::npos) path += type == FileType::Text ? ".TXT" : ".RTF";
    return path;
}

std::string NotGbkWarning(std::string_view path) {
    return "文件" + std::string(path) + "中有不是GBK编码的字节。\r\n如果存盘，这些字节将被改变。";
}

std::string ConversionQuestion(std::string_view path, std::string_view encoding) {
    return "文件" + std::string(path) + "是" + std::string(encoding) +
           "编码的，不是GBK编码。\r\n要把它转换为GBK吗？\r\n\r\n选“否”则按GBK读入：不是GBK编码的字节显示为替换字符，"
           "存盘时这些字节将被改变。";
}

std::string MissingCharactersMessage(const std::vector<char32_t>& missing) {
    return "以下字符在GBK中没有，已换成“?”：\r\n" + CodePointList(missing, kMissingListed) +
           "\r\n存盘前请检查这些位置。";
}

bool EditFits(std::size_t textBytes, std::size_t removedBytes, std::size_t addedBytes) {
    if (addedBytes <= removedBytes) return true;
    std::size_t kept = textBytes > removedBytes ? textBytes - removedBytes : 0;
    return kept + addedBytes <= kMaxTypedBytes;
}

}  // namespace documents
