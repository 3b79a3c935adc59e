#include "korvex/word_list_source.h"

#include <cstring>

#include "korvex/library_io.h"
#include "lexicon/base/diagnostics.h"
#include "lexicon/base/escapes.h"
#include "lexicon/wordlist/entry_edit.h"
#include "lexicon/wordlist/word_list_writer.h"

namespace korvex {

namespace {

constexpr std::string_view kReviewMark = ";@review";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

struct Span {
    std::size_t begin, end, next;
};

// The lines as the compiler counts them: a CR, an LF or a CR LF ends one.
std::vector<Span> SplitLines(const std::string& bytes) {
    std::vector<Span> spans;
    const char* const text = bytes.data();
    const std::size_t size = bytes.size();
    std::size_t pos = 0;
    while (pos < size) {
        const void* lf = std::memchr(text + pos, '\n', size - pos);
        std::size_t end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - text) : size;
        // A lone CR before the LF ends a line of its own.
        if (const void* cr = std::memchr(text + pos, '\r', end - pos)) {
            end = static_cast<std::size_t>(static_cast<const char*>(cr) - text);
        }
        std::size_t next = end;
        if (next < size && text[next] == '\r') ++next;
        if (next < size && text[next] == '\n') ++next;
        spans.push_back(Span{pos, end, next});
        pos = next;
    }
    return spans;
}

// The first byte of a line that is neither blank nor the line's end, or 0.
char FirstByte(const std::string& bytes, const Span& span) {
    std::size_t i = span.begin;
    while (i < span.end && IsBlank(bytes[i])) ++i;
    return i < span.end ? bytes[i] : '\0';
}

}  // namespace

std::string EntryLine(const TextPair& text) { return lexicon::word_list_line(text.original, text.translation); }

std::unique_ptr<EntryTable> OpenWordList(std::string bytes) {
    auto source = std::make_unique<WordListSource>();
    source->bytes = std::move(bytes);
    const std::string& b = source->bytes;
    const std::vector<Span> spans = SplitLines(b);
    source->line_end = "\r\n";
    for (const Span& s : spans) {
        if (s.next > s.end) {
            source->line_end = b.substr(s.end, s.next - s.end);
            break;
        }
    }

    // Every message is wanted: each one counts for its entry.
    lexicon::Diagnostics diagnostics(static_cast<std::size_t>(-1));
    source->compiled = std::make_unique<lexicon::WordList>(lexicon::compile_word_list(b, diagnostics));
    const lexicon::WordList& compiled = *source->compiled;
    std::vector<const lexicon::Entry*> by_line(spans.size() + 2, nullptr);
    for (const lexicon::Entry& e : compiled.entries()) {
        if (e.line < by_line.size()) by_line[e.line] = &e;
    }
    for (const lexicon::Entry& e : compiled.untranslated()) {
        if (e.line < by_line.size()) by_line[e.line] = &e;
    }
    std::vector<std::uint32_t> messages(spans.size() + 2, 0);
    std::vector<char> errors(spans.size() + 2, 0);
    for (const lexicon::Diagnostic& d : diagnostics.listed()) {
        if (d.line == 0 || d.line >= messages.size()) continue;
        ++messages[d.line];
        if (!lexicon::is_warning(d.code)) errors[d.line] = 1;
    }

    std::vector<TextPair> entries;
    std::vector<EntryMark> marks;
    entries.reserve(compiled.entries().size() + compiled.untranslated().size());
    marks.reserve(entries.capacity());
    source->lines.reserve(entries.capacity());
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const Span& span = spans[i];
        const char first = FirstByte(b, span);
        if (first == '\0' || first == ';') continue;
        const auto line = static_cast<std::uint32_t>(i + 1);
        WordListSource::Line entry;
        entry.begin = span.begin;
        entry.end = span.end;
        entry.next = span.next;
        if (i > 0 && FirstByte(b, spans[i - 1]) == ';') {
            std::size_t at = spans[i - 1].begin;
            while (IsBlank(b[at])) ++at;
            if (std::string_view(b).substr(at, kReviewMark.size()) == kReviewMark)
                entry.review_begin = spans[i - 1].begin;
        }
        EntryMark mark;
        mark.messages = messages[line];
        mark.error = errors[line] != 0;
        if (const lexicon::Entry* e = by_line[line]) {
            entry.text = TextPair{compiled.original(*e), compiled.translation(*e)};
        } else {
            // The compiler left the line out (a duplicate original, a placeholder
            // mismatch...): its texts come from compiling it alone.
            mark.error = true;
            lexicon::Diagnostics alone;
            lexicon::WordList& one = source->single.emplace_back(lexicon::compile_word_list(
                b.substr(span.begin, span.end - span.begin), alone, lexicon::EntryWork::WhileReading));
            if (!one.entries().empty()) {
                entry.text = TextPair{one.original(one.entries()[0]), one.translation(one.entries()[0])};
            } else if (!one.untranslated().empty()) {
                entry.text = TextPair{one.original(one.untranslated()[0]), one.translation(one.untranslated()[0])};
            } else {
                entry.text = TextPair{source->raw.emplace_back(b.substr(span.begin, span.end - span.begin)), {}};
            }
        }
        mark.review = entry.review_begin != WordListSource::kNone;
        mark.source = static_cast<std::uint32_t>(source->lines.size());
        entries.push_back(entry.text);
        marks.push_back(mark);
        source->lines.push_back(entry);
    }
    return std::make_unique<EntryTable>(std::move(source), std::move(entries), std::move(marks));
}

std::string WordListBytes(const EntryTable& table) {
    const WordListSource* source = table.source();
    if (!source) return ExportWordList(table);
    const std::string& b = source->bytes;
    constexpr std::size_t kGone = static_cast<std::size_t>(-1);
    std::vector<std::size_t> now(source->lines.size(), kGone);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::uint32_t from = table.mark(i).source;
        if (from != EntryMark::kNoSource) now[from] = i;
    }
    std::string out;
    out.reserve(b.size() + 64);
    std::size_t copied = 0;
    const auto copy_to = [&](std::size_t at) { out.append(b, copied, at - copied); };
    for (std::size_t s = 0; s < source->lines.size(); ++s) {
        const WordListSource::Line& line = source->lines[s];
        const std::size_t entry = now[s];
        const bool reviewed = entry != kGone && table.mark(entry).review;
        if (line.review_begin != WordListSource::kNone && !reviewed) {
            copy_to(line.review_begin);
            copied = line.begin;
        }
        if (entry == kGone) {
            copy_to(line.begin);
            copied = line.next;
            continue;
        }
        const TextPair& text = table.at(entry);
        if (text.original != line.text.original || text.translation != line.text.translation) {
            copy_to(line.begin);
            out += EntryLine(text);
            copied = line.end;
        }
    }
    copy_to(b.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table.mark(i).source != EntryMark::kNoSource) continue;
        if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += source->line_end;
        out += EntryLine(table.at(i));
        out += source->line_end;
    }
    return out;
}

EntryMark CheckedMark(std::string_view original, std::string_view translation, bool review) {
    lexicon::Diagnostics diagnostics;
    const auto checked = lexicon::check_entry_fields(lexicon::escape_text(original, lexicon::EscapeFor::Translation),
                                                     lexicon::escape_text(translation, lexicon::EscapeFor::Translation),
                                                     diagnostics);
    EntryMark mark;
    mark.messages = static_cast<std::uint32_t>(diagnostics.total());
    mark.error = !checked;
    mark.review = review;
    return mark;
}

std::string ResolveEscapes(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto c = static_cast<unsigned char>(field[i]);
        if (c >= 0x81 && c != 0xFF && i + 1 < field.size()) {
            out += field.substr(i, 2);
            ++i;
            continue;
        }
        if (c != '\\' || i + 1 == field.size()) {
            out += static_cast<char>(c);
            continue;
        }
        const char next = field[i + 1];
        if (next == 'x' && i + 3 < field.size() && lexicon::hex_digit(field[i + 2]) >= 0 &&
            lexicon::hex_digit(field[i + 3]) >= 0) {
            out += static_cast<char>(lexicon::hex_digit(field[i + 2]) * 16 + lexicon::hex_digit(field[i + 3]));
            i += 3;
        } else if (const char byte = lexicon::unescape(next)) {
            out += byte;
            ++i;
        } else {
            out += '\\';
        }
    }
    return out;
}

}  // namespace korvex
