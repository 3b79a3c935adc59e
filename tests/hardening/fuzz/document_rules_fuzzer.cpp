// libFuzzer target: the document rules that read paths and filters and the editor's
// byte search. Open's extension rule adds exactly ".TXT" or ".RTF" to a path without a
// full stop; a dialog filter's bars become zero bytes only where they are real bars; a
// search hit starts on a character and lies inside the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "documents/document_rules.h"
#include "lexicon/base/gbk.h"
#include "search/text_search.h"

namespace {
void Check(bool holds) {
    if (!holds) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const int from = data[0] % 48 - 8, length = data[1] % 64 - 8;
    const search::SearchOptions options{(data[2] & 1) != 0, (data[2] & 2) != 0};
    const std::string_view all(reinterpret_cast<const char*>(data + 3), size - 3);
    const std::size_t split = all.find('\x01');
    const std::string_view text = all.substr(0, split);
    const std::string_view what = split == std::string_view::npos ? std::string_view() : all.substr(split + 1);

    for (auto type : {documents::FileType::Text, documents::FileType::Rtf}) {
        const std::string path = documents::PathToOpen(text, type);
        if (text.find('.') != std::string_view::npos) {
            Check(path == text);
        } else {
            Check(path.size() == text.size() + 4 && path.compare(0, text.size(), text) == 0);
            Check(path.substr(text.size()) == (type == documents::FileType::Text ? ".TXT" : ".RTF"));
        }
    }
    (void)documents::NeedsSaveDialog(text);
    (void)documents::CloseQueryPrompt(text);

    const std::string filter = documents::DialogFilter(text);
    Check(filter.size() >= 2 && filter[filter.size() - 1] == '\0' && filter[filter.size() - 2] == '\0');

    if (what.empty()) return 0;
    const int hit = search::FindOccurrence(text, what, from, length, options);
    if (hit >= 0) {
        Check(static_cast<std::size_t>(hit) + what.size() <= text.size());
        std::size_t at = 0;
        while (at < static_cast<std::size_t>(hit)) at += lexicon::gbk::walk_length(text, at);
        Check(at == static_cast<std::size_t>(hit));
    }
    const auto all_replaced = search::ReplaceAll(text, what, "x", options);
    Check(all_replaced.start + all_replaced.oldLength <= text.size());
    if (all_replaced.count == 0) Check(all_replaced.newText.empty());
    (void)search::NotFoundMessage(what);
    return 0;
}
