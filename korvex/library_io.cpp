#include "korvex/library_io.h"

#include "lexicon/base/byte_sink.h"
#include "lexicon/base/diagnostics.h"
#include "lexicon/base/gbk.h"
#include "lexicon/base/lexicon_fields.h"
#include "lexicon/base/library_format.h"
#include "lexicon/library/library_writer.h"
#include "lexicon/wordlist/word_list.h"
#include "lexicon/wordlist/word_list_writer.h"

namespace korvex {

std::unique_ptr<EntryTable> OpenLibrary(std::string bytes, std::string& why) {
    auto library = lexicon::Library::open(std::move(bytes), why);
    if (!library) return nullptr;
    return std::make_unique<EntryTable>(std::move(*library));
}

std::string LibraryBytes(const EntryTable& table) {
    lexicon::StringSink sink;
    const auto size = lexicon::library_size(table.entries(), table.description());
    if (!size) return {};
    sink.bytes.reserve(static_cast<std::size_t>(*size));
    if (!lexicon::write_library(table.entries(), table.description(), sink)) return {};
    return std::move(sink.bytes);
}

std::string ExportWordList(const EntryTable& table) {
    // The description is not part of a word list; comments keep it for the reader, as
    // Mervik's --dump writes them for the same library.
    std::string out = lexicon::library_list_header(table.description(), table.entries().size());
    for (const TextPair& e : table.entries()) lexicon::append_word_list_line(out, e.original, e.translation);
    return out;
}

ImportResult ImportWordList(EntryTable& table, std::string source, std::string_view source_name) {
    ImportResult result;
    lexicon::Diagnostics diagnostics;
    auto list = std::make_unique<lexicon::WordList>(lexicon::compile_word_list(std::move(source), diagnostics));
    result.errors = diagnostics.errors();
    result.warnings = diagnostics.warnings();
    // Errors first: a list that is refused for them must show them before any warning.
    std::vector<std::string> warnings;
    for (const lexicon::Diagnostic& d : diagnostics.listed()) {
        (lexicon::is_warning(d.code) ? warnings : result.messages).push_back(lexicon::format_message(d, source_name));
    }
    result.listed_errors = result.messages.size();
    result.messages.insert(result.messages.end(), warnings.begin(), warnings.end());
    if (result.errors > 0) return result;
    result.counts = table.Merge(std::move(list));
    result.merged = true;
    return result;
}

std::optional<std::string> DescriptionRefusal(std::string_view description) {
    // What a library holds, as Mervik takes it: a library compiled with a long description
    // must open and save here unchanged.
    if (description.size() > lexicon::format::max_description_bytes) {
        return lexicon::cat("词库说明最多 ", lexicon::format::max_description_bytes,
                            " 个字节（一个汉字两个字节），现在是 ", description.size(), " 个字节");
    }
    if (!lexicon::LexiconFieldsAllowed(description, "")) return std::string("词库说明中不能有双引号“\"”");
    if (lexicon::gbk::find_invalid(description) != std::string_view::npos) {
        return std::string("词库说明中有不能用的字符（控制字符或不合法的 GBK 字符）");
    }
    return std::nullopt;
}

}  // namespace korvex
