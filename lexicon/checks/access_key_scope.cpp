#include "lexicon/checks/access_key_scope.h"

#include "lexicon/base/gbk.h"

namespace lexicon {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

std::string access_key_of(std::string_view text) {
    std::string key;
    int keys = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        ++keys;
        key = std::string(text.substr(i + 1, gbk::char_length(text, i + 1)));
        if (key.size() == 1 && key[0] >= 'a' && key[0] <= 'z') key[0] = static_cast<char>(key[0] - 'a' + 'A');
    }
    return keys == 1 ? key : std::string();
}

bool AccessKeyScope::read(std::string_view comment) {
    comment = trimmed(comment);
    if (comment == scope_end) {
        open_ = false;
        keys_.clear();
        return true;
    }
    if (comment.substr(0, scope_start.size()) != scope_start) return false;
    const std::string_view rest = comment.substr(scope_start.size());
    if (!rest.empty() && !is_blank(rest[0])) return false;
    open_ = true;
    name_ = std::string(trimmed(rest));
    keys_.clear();
    return true;
}

void AccessKeyScope::add(std::string_view translation, std::uint32_t line, Diagnostics& diagnostics, bool warn) {
    if (!open_) return;
    std::string key = access_key_of(translation);
    if (key.empty()) return;
    for (const Key& earlier : keys_) {
        if (earlier.key != key) continue;
        if (warn) {
            diagnostics.add(
                Code::AccessKeyTwiceInScope, line,
                cat("快捷键“&", key, "”在", name_.empty() ? std::string("同一菜单或对话框") : cat("“", name_, "”"),
                    "中已由第 ", earlier.line, " 行的“", shown(earlier.translation),
                    "”使用；同一处的两项用同一个快捷键时，按键只能选中其中一项"));
        }
        return;
    }
    keys_.push_back({std::move(key), line, std::string(translation)});
}

}  // namespace lexicon
