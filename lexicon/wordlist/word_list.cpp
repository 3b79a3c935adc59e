#include "lexicon/wordlist/word_list.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define LEXICON_SSE2 1
#endif

#include "lexicon/base/escapes.h"
#include "lexicon/base/gbk.h"
#include "lexicon/base/large_pages.h"
#include "lexicon/base/library_format.h"
#include "lexicon/base/text_encoding.h"
#include "lexicon/base/unicode.h"
#include "lexicon/checks/entry_checks.h"
#include "lexicon/wordlist/entry_worker.h"

namespace lexicon {

namespace {

constexpr bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string hex_bytes(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%s0x%02X", i == 0 ? "" : " ", static_cast<unsigned char>(bytes[i]));
        out += buf;
    }
    return out;
}

// E103 text for the first bad byte of a line, at line[at].
std::string invalid_gbk_text(std::string_view line, std::size_t at) {
    const auto c = static_cast<unsigned char>(line[at]);
    const std::string column = cat("第 ", at + 1, " 列");
    if (c < 0x80) return cat(column, "是控制字符 ", hex_bytes(line.substr(at, 1)), "，词库中不能出现");
    if (gbk::is_lead(c)) {
        if (at + 1 >= line.size())
            return cat(column, "的字节 ", hex_bytes(line.substr(at, 1)), " 是不完整的 GBK 字符（行尾缺少第二个字节）");
        return cat(column, "的字节 ", hex_bytes(line.substr(at, 2)), " 不是合法的 GBK 字符");
    }
    return cat(column, "的字节 ", hex_bytes(line.substr(at, 1)), " 不是合法的 GBK 字符");
}

#if !defined(LEXICON_SSE2)
constexpr std::uint64_t every_byte = 0x0101010101010101ull;
constexpr std::uint64_t high_bits = 0x8080808080808080ull;

std::uint64_t eight_bytes_at(const char* p) {
    std::uint64_t x;
    std::memcpy(&x, p, 8);
    return x;
}
// The high bit of each byte of v that is zero (and perhaps of a byte above one that is).
constexpr std::uint64_t zero_bytes(std::uint64_t v) { return (v - every_byte) & ~v & high_bits; }

// Eight bytes of 0x81-0xFE from a character boundary are four double-byte characters:
// each is a valid lead byte followed by a valid trail byte.
bool plain_double_bytes(const char* p) {
    const std::uint64_t x = eight_bytes_at(p);
    return (x & high_bits) == high_bits && zero_bytes(x ^ high_bits) == 0 && zero_bytes(~x) == 0;
}

// True when none of the eight bytes at p needs a look of its own: each is printable
// ASCII other than blank, '=' and '\\'. The tests may report a byte that is fine (then the
// byte loop takes it) but never miss one that is not.
bool plain_ascii(const char* p) {
    const std::uint64_t x = eight_bytes_at(p);
    const std::uint64_t below = (x - every_byte * 0x21) & ~x & high_bits;           // a byte < 0x21
    const std::uint64_t above = ((x + every_byte * (127 - 0x7E)) | x) & high_bits;  // a byte > 0x7E
    return (below | above | zero_bytes(x ^ (every_byte * '=')) | zero_bytes(x ^ (every_byte * '\\'))) == 0;
}
#else
// How far the 16 bytes at p, from a character boundary, are plain text that stays as it
// is: printable ASCII other than '=' and '\\', blanks, and whole double-byte characters
// of two bytes 0x81-0xFE (the common ones). `length` stops before any other byte and
// before a lead byte whose trail is ASCII, so it ends on a character boundary; `kept` is
// one past the last byte of it that is no blank (0: none).
struct PlainRun {
    unsigned length;
    unsigned kept;
};

inline PlainRun plain_run_16(const char* p) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto mask = [](__m128i v) { return static_cast<unsigned>(_mm_movemask_epi8(v)); };
    const auto equal = [&](char c) { return mask(_mm_cmpeq_epi8(x, _mm_set1_epi8(c))); };
    const unsigned high = mask(x);
    // Signed, every byte from 0x80 on is below 0x20 too: those are taken apart below.
    const unsigned control = mask(_mm_cmplt_epi8(x, _mm_set1_epi8(0x20))) & ~high;
    const unsigned stop = control | equal('\x7F') | equal('=') | equal('\\') | equal('\x80') | equal('\xFF');
    const unsigned length = stop == 0 ? 16 : static_cast<unsigned>(std::countr_zero(stop));
    // Runs of high bytes pair up as lead and trail from their first byte on; a run of
    // odd length ends in a lead byte whose trail is the ASCII byte after it. Adding each
    // run's first bit carries to the bit after its end, where the parity of the two tells.
    const unsigned runs = high & ((1u << length) - 1);
    const unsigned firsts = runs & ~(runs << 1);
    const unsigned odd_ends = (((firsts & 0x5555u) + runs) & ~runs & 0xAAAAu) |
                              (((firsts & 0xAAAAu) + runs) & ~runs & 0x15555u);
    const unsigned plain = odd_ends == 0 ? length : static_cast<unsigned>(std::countr_zero(odd_ends)) - 1;
    const unsigned kept = ~equal(' ') & ((1u << plain) - 1);
    return {plain, kept == 0 ? 0 : static_cast<unsigned>(std::bit_width(kept))};
}
#endif

std::size_t count_byte(std::string_view text, char c) {
    std::size_t n = 0, i = 0;
#if defined(LEXICON_SSE2)
    // Each byte of `counts` counts the matches in its column (0 - -1 per match) for up to
    // 255 rounds; the sums of absolute differences then add the columns up.
    const __m128i wanted = _mm_set1_epi8(c);
    while (i + 16 <= text.size()) {
        __m128i counts = _mm_setzero_si128();
        for (int round = 0; round < 255 && i + 16 <= text.size(); ++round, i += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
            counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(x, wanted));
        }
        const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
        n += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
             static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
#endif
    return n + static_cast<std::size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(), c));
}

std::size_t estimated_lines(std::string_view text) {
    std::size_t lf = count_byte(text, '\n');
    if (lf == 0) lf = count_byte(text, '\r');
    return lf + 1;
}

}  // namespace

std::uint32_t utf8_evidence_line(std::string_view source) {
    const EncodingFinding found = detect_text_encoding(source);
    return found.encoding == TextEncoding::Utf8 ? found.evidence_line : 0;
}

WordList compile_word_list(std::string source, Diagnostics& diagnostics, EntryWork work) {
    WordList list;
    // Read as GBK, a file in another encoding gives garbled texts or errors that do not
    // say why: it is refused with one error that names what it is.
    const EncodingFinding found = detect_text_encoding(source);
    switch (found.encoding) {
    case TextEncoding::Gbk:
        break;
    case TextEncoding::Utf8:
        diagnostics.add(Code::LooksLikeUtf8, 1,
                        found.byte_order_mark
                            ? std::string("文件开头是 UTF-8 的字节顺序标记（EF BB BF），这个文件是 UTF-8 编码；"
                                          "词库源文件必须保存为 GBK 编码（代码页 936）")
                            : cat("文件看来是 UTF-8 编码（第 ", found.evidence_line,
                                  " 行的文字是合法的 UTF-8，却不是合法的 GBK）；"
                                  "词库源文件必须保存为 GBK 编码（代码页 936）"));
        return list;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        diagnostics.add(Code::LooksLikeUtf16, 1,
                        cat("文件开头是 ", encoding_name(found.encoding), " 的字节顺序标记（",
                            found.encoding == TextEncoding::Utf16Le ? "FF FE" : "FE FF", "），这个文件是 ",
                            encoding_name(found.encoding),
                            " 编码（记事本叫“Unicode”）；词库源文件必须保存为 GBK 编码（代码页 936）"));
        return list;
    case TextEncoding::Rtf:
        diagnostics.add(Code::LooksLikeRtf, 1,
                        "文件以“{\\rtf”开头，是 RTF 格式的文档，不是纯文本的词表；"
                        "请把它另存为纯文本（GBK 编码的 .txt）再编译");
        return list;
    }
    list.text_ = std::move(source);
    const std::size_t lines = estimated_lines(list.text_);
    reserve_large(list.entries_, lines);
    reserve_large(list.hashes_, lines);
    reserve_large(list.slots_, format::slots_for(lines));
    list.slots_.assign(format::slots_for(lines), Slot{0, 0});

    // A second thread pays from about a megabyte of source (some 10,000 entries) on.
    constexpr std::size_t worker_from_bytes = std::size_t{1} << 20;
    const bool worker = work == EntryWork::OnSecondThread ||
                        (work == EntryWork::Automatic && list.text_.size() >= worker_from_bytes &&
                         std::thread::hardware_concurrency() > 1);
    std::optional<EntryWorker> entry_worker;
    if (worker) {
        list.entry_worker_ = &entry_worker.emplace(
            diagnostics.max_listed(),
            [&list](const EntryJob& job, Diagnostics& d) {
                list.add_entry(Entry{job.original_offset, job.translation_offset, job.original_length,
                                     job.translation_length, job.line},
                               job.hash, job.placeholders_checked, job.checks_off, job.place(), d);
            },
            [&list](EntryJob& job) { prefetch(&list.slots_[home_slot(job.hash, list.slots_.size())]); });
    }

    const char* const text = list.text_.data();
    const std::size_t size = list.text_.size();
    std::size_t pos = 0;
    std::uint32_t line = 0;
    while (pos < size) {
        ++line;
        pos = list.process_line(pos, line, diagnostics);
        if (pos < size && text[pos] == '\r') ++pos;
        if (pos < size && text[pos] == '\n') ++pos;
    }
    if (entry_worker) {
        entry_worker->finish(diagnostics);
        list.entry_worker_ = nullptr;
    }
    list.slots_ = LargeVector<Slot>();
    if (list.entries_.empty() && list.untranslated_.empty() && diagnostics.errors() == 0) {
        diagnostics.add(Code::NoEntries, 0, "源文件中没有任何条目，生成的词库是空的");
    }
    return list;
}

std::size_t WordList::line_end(std::size_t from) const {
    const char* const text = text_.data();
    const std::size_t size = text_.size();
    while (from < size && text[from] != '\n' && text[from] != '\r') ++from;
    return from;
}

// One pass over the line: it checks the bytes, resolves escapes in place (the output
// never overtakes the input) and finds the first unescaped '='. `kept` is the end of
// the current text without unescaped trailing blanks.
std::size_t WordList::process_line(const std::size_t begin, std::uint32_t line, Diagnostics& diagnostics) {
    char* const base = text_.data();
    const std::size_t size = text_.size();
    std::size_t i = begin;
    while (i < size && is_blank(base[i])) ++i;
    if (i == size || base[i] == '\n' || base[i] == '\r') return i;
    if (base[i] == ';') {
        const std::size_t end = line_end(i);
        std::size_t kept_end = end;
        while (kept_end > i && is_blank(base[kept_end - 1])) --kept_end;
        const std::string_view comment(base + i, kept_end - i);
        // Opt-out comments stack: a run of them directly before an entry applies to it.
        if (comment == placeholder_opt_out) {
            if (check_opt_out_line_ != 0 && check_opt_out_line_ == line - 1) check_opt_out_line_ = line;
            opt_out_line_ = line;
        } else if (comment.substr(0, check_opt_out.size()) == check_opt_out) {
            if (check_opt_out_line_ == 0 || check_opt_out_line_ != line - 1) check_opt_out_.clear();
            std::vector<std::string_view> unknown;
            if (check_opt_out_.read(comment, &unknown)) {
                if (opt_out_line_ != 0 && opt_out_line_ == line - 1) opt_out_line_ = line;
                check_opt_out_line_ = line;
                for (const std::string_view name : unknown) {
                    diagnostics.add(Code::UnknownCheckName, line,
                                    cat("“", check_opt_out, "”后的“", name, "”不是可以关闭的检查；可写的有 ",
                                        entry_check_names(), "，占位符检查用“", placeholder_opt_out, "”一行关闭"));
                }
                if (unknown.empty() && !check_opt_out_.any()) {
                    diagnostics.add(Code::UnknownCheckName, line,
                                    cat("“", check_opt_out, "”后面没有写要关闭的检查，例如“", check_opt_out, " W212”"));
                }
            }
        } else {
            access_key_scope_.read(comment);
        }
        return end;
    }

    const std::size_t original_begin = i;
    std::size_t out = i;
    std::size_t kept = out;
    std::size_t original_end = 0;
    std::size_t translation_begin = 0;
    // Where the translation stands in the line, for messages that name a column.
    std::size_t equals_out = 0;
    std::uint32_t place_extra = 0;
    translation_escapes_.clear();
    bool in_original = true;
    std::uint32_t hash = 0;
    auto column = [&](std::size_t at) { return at - begin + 1; };
    auto raw_line = [&] { return std::string_view(base + begin, line_end(i) - begin); };

    while (i < size) {
        // Runs of plain characters, sixteen bytes at a time where the processor can: while
        // no escape has shifted the output they stay where they are, after one they move.
        for (;;) {
#if defined(LEXICON_SSE2)
            if (i + 16 <= size) {
                const PlainRun run = plain_run_16(base + i);
                if (run.length != 0) {
                    if (out != i) std::memmove(base + out, base + i, run.length);
                    if (run.kept != 0) kept = out + run.kept;
                    i += run.length;
                    out += run.length;
                    continue;
                }
            }
#else
            if (out == i && i + 8 <= size && (plain_ascii(base + i) || plain_double_bytes(base + i))) {
                i += 8;
                out = kept = i;
                continue;
            }
#endif
            if (i == size) break;
            const auto b = static_cast<unsigned char>(base[i]);
            if (b > 0x20 && b < 0x7F && b != '\\' && b != '=') {
                base[out++] = static_cast<char>(b);
                kept = out;
                ++i;
            } else if (b == ' ' || b == '\t') {
                base[out++] = static_cast<char>(b);  // dropped when nothing but blanks follows it
                ++i;
            } else if (gbk::is_lead(b) && i + 1 < size && gbk::is_trail(static_cast<unsigned char>(base[i + 1]))) {
                base[out++] = static_cast<char>(b);
                base[out++] = base[i + 1];
                kept = out;
                i += 2;
            } else {
                break;
            }
        }
        if (i == size) break;
        const auto c = static_cast<unsigned char>(base[i]);
        if (c == '\n' || c == '\r') {
            break;
        } else if (c == '=') {
            if (in_original) {
                in_original = false;
                original_end = kept;
                // Hashed here, where the original was just read, also while a second
                // thread keeps the index: that thread has the checks to run. Without
                // one, the original's slot starts loading now; reading the translation
                // hides most of the wait for it.
                hash = format::hash_text({base + original_begin, original_end - original_begin});
                if (entry_worker_ == nullptr) prefetch(&slots_[home_slot(hash, slots_.size())]);
                equals_out = out;
                const std::size_t equals = i;
                ++i;
                while (i < size && is_blank(base[i])) ++i;
                place_extra += static_cast<std::uint32_t>(i - equals);
                translation_begin = out;
                kept = out;
            } else {
                base[out++] = '=';
                kept = out;
                ++i;
            }
        } else if (c == '\\') {
            if (i + 1 == size || base[i + 1] == '\n' || base[i + 1] == '\r') {
                diagnostics.add(
                    Code::BadEscape, line,
                    cat("第 ", column(i), " 列的反斜杠“\\”在行尾，后面缺少要转义的字符（反斜杠本身写作 \\\\）"));
                return line_end(i);
            }
            if (base[i + 1] == 'x') {
                const int high = i + 2 < size ? hex_digit(base[i + 2]) : -1;
                const int low = high >= 0 && i + 3 < size ? hex_digit(base[i + 3]) : -1;
                const auto value = static_cast<unsigned char>(high * 16 + low);
                if (low < 0 || !needs_hex_escape(value)) {
                    // Only ASCII goes into the quote: a double-byte character stays whole.
                    std::size_t shown_end = i + 2;
                    while (shown_end < i + 4 && shown_end < size && base[shown_end] > 0x20 && base[shown_end] < 0x7F)
                        ++shown_end;
                    diagnostics.add(Code::BadEscape, line,
                                    cat("第 ", column(i), " 列的转义序列“", std::string_view(base + i, shown_end - i),
                                        "”无效；\\x 后面是两位十六进制数，只用于 01～1F 和 7F 中"
                                        "没有字母转义的控制字符（\\x1B、\\x1F 等）"));
                    return line_end(i);
                }
                // "\xHH" is four bytes of the line for one of the text.
                if (in_original) {
                    place_extra += 3;
                } else {
                    translation_escapes_.emplace_back(static_cast<std::uint32_t>(out - translation_begin), 3);
                }
                base[out++] = static_cast<char>(value);
                kept = out;
                i += 4;
                continue;
            }
            const char decoded = unescape(base[i + 1]);
            if (decoded == 0) {
                const std::string_view rest(base + i + 1, size - i - 1);
                if (const std::size_t bad = gbk::find_invalid(rest.substr(0, gbk::char_length(rest, 0)));
                    bad != std::string_view::npos) {
                    diagnostics.add(Code::InvalidGbk, line, invalid_gbk_text(raw_line(), i + 1 - begin));
                } else {
                    diagnostics.add(Code::BadEscape, line,
                                    cat("第 ", column(i), " 列的转义序列“\\", rest.substr(0, gbk::char_length(rest, 0)),
                                        "”无效；可用的转义是 \\= \\\\ \\; \\t \\s \\n \\r \\a \\b \\f \\v \\xHH"));
                }
                return line_end(i);
            }
            // The line spells the escape with one byte more than the text holds.
            if (in_original) {
                ++place_extra;
            } else {
                translation_escapes_.emplace_back(static_cast<std::uint32_t>(out - translation_begin), 1);
            }
            base[out++] = decoded;
            kept = out;
            i += 2;
        } else if (c == 0x80) {
            base[out++] = static_cast<char>(c);  // the euro sign of code page 936
            kept = out;
            ++i;
        } else {
            diagnostics.add(Code::InvalidGbk, line, invalid_gbk_text(raw_line(), i - begin));
            return line_end(i);
        }
    }

    if (in_original) {
        diagnostics.add(
            Code::MissingEquals, line,
            cat("缺少等号“=”，每一行应写作“原文=译文”：“", shown({base + original_begin, out - original_begin}), "”"));
        return i;
    }
    const std::string_view original(base + original_begin, original_end - original_begin);
    const std::string_view translation(base + translation_begin, kept - translation_begin);
    if (original.empty()) {
        diagnostics.add(Code::EmptyOriginal, line, cat("等号前的原文为空：“=", shown(translation), "”"));
        return i;
    }
    bool too_long = false;
    if (original.size() > max_text_bytes) {
        diagnostics.add(
            Code::OriginalTooLong, line,
            cat("原文长 ", original.size(), " 字节，超过了上限 ", max_text_bytes, " 字节：“", shown(original), "”"));
        too_long = true;
    }
    if (translation.size() > max_text_bytes) {
        diagnostics.add(Code::TranslationTooLong, line,
                        cat("译文长 ", translation.size(), " 字节，超过了上限 ", max_text_bytes, " 字节：“",
                            shown(translation), "”"));
        too_long = true;
    }
    if (!too_long) {
        const Entry entry{static_cast<std::uint32_t>(original_begin), static_cast<std::uint32_t>(translation_begin),
                          static_cast<std::uint16_t>(original.size()), static_cast<std::uint16_t>(translation.size()),
                          line};
        const bool placeholders_checked = opt_out_line_ == 0 || opt_out_line_ != line - 1;
        const std::string_view before(base + begin, equals_out - begin);
        if (entry_worker_ != nullptr) {
            entry_worker_->queue(EntryJob{entry.original_offset, entry.translation_offset, entry.original_length,
                                          entry.translation_length, line, hash, placeholders_checked, checks_off(line),
                                          before, place_extra, translation_escapes_, diagnostics.total()});
        } else {
            add_entry(entry, hash, placeholders_checked, checks_off(line),
                      TranslationPlace{line, true, before, place_extra, &translation_escapes_}, diagnostics);
        }
        if (access_key_scope_.open() && !translation.empty()) {
            access_key_scope_.add(translation, line, diagnostics, !checks_off(line).off(Code::AccessKeyTwiceInScope));
        }
    }
    return i;
}

// A slot refers to an entry of the library with its number plus one, and to an
// untranslated entry with its number plus one and the top bit set.
constexpr std::uint32_t untranslated_bit = 0x80000000u;

const Entry& WordList::indexed(std::uint32_t slot_entry) const {
    return (slot_entry & untranslated_bit) != 0 ? untranslated_[(slot_entry & ~untranslated_bit) - 1]
                                                : entries_[slot_entry - 1];
}

CheckOptOut WordList::checks_off(std::uint32_t line) const {
    return check_opt_out_line_ != 0 && check_opt_out_line_ == line - 1 ? check_opt_out_ : CheckOptOut{};
}

void WordList::add_entry(const Entry& entry, std::uint32_t hash, bool placeholders_checked,
                         const CheckOptOut& checks_off, const TranslationPlace& place, Diagnostics& diagnostics) {
    const PlaceholderCheck check = placeholders_checked ? PlaceholderCheck::On : PlaceholderCheck::Off;
    if ((entries_.size() + untranslated_.size() + 1) * 4 > slots_.size() * 3) grow_index();
    const std::string_view key = original(entry);
    std::size_t s = home_slot(hash, slots_.size());
    for (;;) {
        Slot& slot = slots_[s];
        if (slot.entry == 0) break;
        if (slot.hash == hash) {
            const Entry& earlier = indexed(slot.entry);
            if (original(earlier) == key) {
                const std::string_view translation_now = translation(entry);
                if (translation(earlier) == translation_now) {
                    diagnostics.add_composed(Code::DuplicateEntry, entry.line, 0, [&] {
                        return cat("与第 ", earlier.line, " 行的条目完全相同，这一行不会再次写入词库：“", shown(key),
                                   "”");
                    });
                } else {
                    diagnostics.add_composed(Code::ConflictingTranslation, entry.line, 0, [&] {
                        return cat("原文“", shown(key), "”在第 ", earlier.line, " 行译为“", shown(translation(earlier)),
                                   "”，这一行却译为“", shown(translation_now), "”");
                    });
                    check_entry(key, translation_now, entry.line, diagnostics, check, checks_off, &place);
                }
                return;
            }
        }
        if (++s == slots_.size()) s = 0;
    }
    check_entry(key, translation(entry), entry.line, diagnostics, check, checks_off, &place);
    if (entry.translation_length == 0) {
        slots_[s] = Slot{hash, static_cast<std::uint32_t>(untranslated_.size() + 1) | untranslated_bit};
        untranslated_.push_back(entry);
    } else {
        slots_[s] = Slot{hash, static_cast<std::uint32_t>(entries_.size() + 1)};
        entries_.push_back(entry);
        hashes_.push_back(hash);
    }
}

// Only reached when the line count underestimated the entries (it counts the more
// frequent of CR and LF, so a file mixing lone CRs and lone LFs can get past it).
void WordList::grow_index() {
    LargeVector<Slot> bigger(slots_.size() * 2, Slot{0, 0});
    for (const Slot& slot : slots_) {
        if (slot.entry == 0) continue;
        std::size_t s = home_slot(slot.hash, bigger.size());
        while (bigger[s].entry != 0) {
            if (++s == bigger.size()) s = 0;
        }
        bigger[s] = slot;
    }
    slots_ = std::move(bigger);
}

}  // namespace lexicon
