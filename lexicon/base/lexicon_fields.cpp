#include "lexicon/base/lexicon_fields.h"

#include <vector>

#include "lexicon/base/gbk.h"

namespace lexicon {

namespace {

// Byte offsets where each character starts, and one past the end.
std::vector<std::size_t> CharacterStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    std::size_t i = 0;
    while (i < text.size()) {
        starts.push_back(i);
        i += lexicon::gbk::walk_length(text, i);
    }
    starts.push_back(text.size());
    return starts;
}

std::string_view Character(std::string_view text, const std::vector<std::size_t>& starts, std::size_t n) {
    return text.substr(starts[n], starts[n + 1] - starts[n]);
}

}  // namespace

bool LexiconFieldsAllowed(std::string_view description, std::string_view fileName) {
    bool allowed = true;
    for (char c : description) allowed &= c != '"';
    for (char c : fileName) allowed &= c != '"' && c != ' ' && c != '\\' && c != ':';
    return allowed;
}

std::optional<FittedField> FitToByteLimit(std::string_view before, std::string_view after, std::size_t maxBytes) {
    if (after.size() <= maxBytes) return std::nullopt;
    const auto old = CharacterStarts(before);
    const auto now = CharacterStarts(after);
    const std::size_t oldCount = old.size() - 1, nowCount = now.size() - 1;

    // The edit replaced characters [prefix, oldCount - suffix) of `before` by
    // [prefix, nowCount - suffix) of `after`.
    std::size_t prefix = 0;
    while (prefix < oldCount && prefix < nowCount && Character(before, old, prefix) == Character(after, now, prefix))
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < oldCount - prefix && suffix < nowCount - prefix &&
           Character(before, old, oldCount - 1 - suffix) == Character(after, now, nowCount - 1 - suffix))
        ++suffix;

    const std::size_t keptBytes = now[prefix] + (after.size() - now[nowCount - suffix]);
    const std::size_t room = keptBytes < maxBytes ? maxBytes - keptBytes : 0;
    std::size_t inserted = prefix;
    while (inserted < nowCount - suffix && now[inserted + 1] - now[prefix] <= room) ++inserted;

    FittedField fitted;
    fitted.text.assign(after.substr(0, now[inserted]));
    fitted.text.append(after.substr(now[nowCount - suffix]));
    fitted.caret = inserted;
    // Kept text alone over the limit (it never is after typing): cut from the end.
    if (fitted.text.size() > maxBytes) {
        const auto starts = CharacterStarts(fitted.text);
        std::size_t n = 0;
        while (n + 1 < starts.size() && starts[n + 1] <= maxBytes) ++n;
        fitted.text.resize(starts[n]);
        if (fitted.caret > n) fitted.caret = n;
    }
    return fitted;
}

}  // namespace lexicon
