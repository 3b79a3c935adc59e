#pragma once
// The messages Mervik reports, and the text of Mervik.ERR.
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace lexicon {

// The codes come from one table, codes.def: their numbers, kinds, documents and titles.
enum class Code : std::uint16_t {
#define LEXICON_CODE(name, number, kind, document, title) name = number,
#include "lexicon/base/codes.def"
#undef LEXICON_CODE
};

// Error and Warning as the number's hundreds say; EntryCheck, a warning about one entry
// that ";@no-check" may turn off.
enum class CodeKind { Error, Warning, EntryCheck };
// The document that explains a code.
enum class CodeDocument { WordList, Po, Extract, Memory };

struct CodeInfo {
    Code code;
    CodeKind kind;
    CodeDocument document;
    std::string_view title;  // as the help's message list heads its topic
};

inline constexpr CodeInfo code_table[] = {
#define LEXICON_CODE(name, number, kind, document, title) {Code::name, CodeKind::kind, CodeDocument::document, title},
#include "lexicon/base/codes.def"
#undef LEXICON_CODE
};

constexpr bool is_warning(Code code) { return static_cast<int>(code) >= 200; }

// The table's kinds agree with the numbers the user reads.
constexpr bool code_kinds_agree() {
    for (const CodeInfo& info : code_table) {
        if (is_warning(info.code) != (info.kind != CodeKind::Error)) return false;
    }
    return true;
}
static_assert(code_kinds_agree(), "codes.def: an error numbered as a warning, or a warning as an error");

constexpr CodeKind code_kind(Code code) {
    for (const CodeInfo& info : code_table) {
        if (info.code == code) return info.kind;
    }
    return is_warning(code) ? CodeKind::Warning : CodeKind::Error;
}

// "E103", "W201".
std::string code_name(Code code);

struct Diagnostic {
    Code code;
    std::uint32_t line;  // 1-based; 0 when the message is not about one line
    std::string text;
    std::uint32_t column = 0;  // 1-based character of the line; 0 when not about one place
};

// Collects the messages of one run. It counts all of them but keeps the texts of the
// first max_listed only: a source full of errors must not produce a message file that
// the editor's list cannot hold.
class Diagnostics {
public:
    static constexpr std::size_t default_max_listed = 1000;

    explicit Diagnostics(std::size_t max_listed = default_max_listed) : max_listed_(max_listed) {}

    void add(Code code, std::uint32_t line, std::string text);
    // A message about one place of a line; a column of 0 is the line as a whole.
    void add_at(Code code, std::uint32_t line, std::uint32_t column, std::string text);
    // The same, with the text composed by `compose()` only when the message gets listed:
    // once the listing is full a message is only counted, and a large list with many
    // warnings would compose thousands of texts for nothing.
    template <typename Compose>
    void add_composed(Code code, std::uint32_t line, std::uint32_t column, Compose compose) {
        if (listed_.size() < max_listed_) {
            add_at(code, line, column, compose());
        } else {
            ++(is_warning(code) ? warnings_ : errors_);
        }
    }

    // Takes the messages of `found`, which were collected apart (on another thread): its
    // n-th listed message goes in as if it had been added when this run had positions[n]
    // messages, after the messages added at the same point before it. Every message of
    // `found` counts, listed or not.
    void merge_found_apart(const Diagnostics& found, const std::vector<std::size_t>& positions);

    std::size_t errors() const { return errors_; }
    std::size_t total() const { return errors_ + warnings_; }
    std::size_t max_listed() const { return max_listed_; }
    std::size_t warnings() const { return warnings_; }
    const std::vector<Diagnostic>& listed() const { return listed_; }
    std::size_t unlisted() const { return errors_ + warnings_ - listed_.size(); }

private:
    std::size_t max_listed_;
    std::size_t errors_ = 0;
    std::size_t warnings_ = 0;
    std::vector<Diagnostic> listed_;
};

// Concatenates strings and integers into one message text.
namespace detail {
inline void append(std::string& out, std::string_view s) { out.append(s); }
inline void append(std::string& out, char c) { out.push_back(c); }
template <typename Int, typename = std::enable_if_t<std::is_integral_v<Int> && !std::is_same_v<Int, char>>>
void append(std::string& out, Int value) {
    out.append(std::to_string(value));
}
}  // namespace detail

template <typename... Parts>
std::string cat(const Parts&... parts) {
    std::string out;
    (detail::append(out, parts), ...);
    return out;
}

// A text from the source as a message shows it: escaped the way the word list writes
// it (so blanks at the ends and tabs are visible) and cut to a readable length.
std::string shown(std::string_view text);
// The same for a message about how a text ends: a long text keeps its end, and the cut
// is said in words ("（前略）") before the quote, never as an ellipsis that could be
// taken for the text's own punctuation.
// Quotes included: “Open...” or （前略）“…the last sixty bytes.”
std::string quoted_ending(std::string_view text);

// One line of Mervik.ERR without its line break:
//   temp.trs(12): 错误 E103: ...    (a message about a line)
//   temp.trs(12,7): 警告 W212: ...  (about one character of a line)
//   temp.trs: 警告 W207: ...        (about the source as a whole)
//   Mervik: 错误 E002: ...          (about the run)
std::string format_message(const Diagnostic& d, std::string_view source_name);

}  // namespace lexicon
