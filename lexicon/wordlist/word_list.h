#pragma once
// The word list: a GBK text of "original=translation" lines, compiled into a table of
// unique entries with a hash index over the originals.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/base/diagnostics.h"
#include "lexicon/base/hash_slots.h"
#include "lexicon/base/large_pages.h"
#include "lexicon/checks/access_key_scope.h"
#include "lexicon/checks/typography_checks.h"

namespace lexicon {

// Longest original or translation, in bytes after escapes are resolved: all that a
// library record's 16-bit lengths hold.
constexpr std::size_t max_text_bytes = 65535;

// One entry; the texts live in the word list's own buffer. 16 bytes, because a
// 200,000-line list keeps 200,000 of them.
struct Entry {
    std::uint32_t original_offset;
    std::uint32_t translation_offset;
    std::uint16_t original_length;
    std::uint16_t translation_length;
    std::uint32_t line;
};

// Where each entry is indexed and checked: on a second thread for a large list, or as its
// line is read. Both give the same entries and the same messages in the same order.
enum class EntryWork { Automatic, WhileReading, OnSecondThread };

class EntryWorker;

class WordList {
public:
    std::string_view original(const Entry& e) const { return {text_.data() + e.original_offset, e.original_length}; }
    std::string_view translation(const Entry& e) const {
        return {text_.data() + e.translation_offset, e.translation_length};
    }
    // The entries that go into the library, in the order of the source.
    const LargeVector<Entry>& entries() const { return entries_; }
    // The hash of each entry's original (format::hash_text), in the order of entries().
    const LargeVector<std::uint32_t>& original_hashes() const { return hashes_; }
    // Entries with an empty translation, in the order of the source: they stay out of the
    // library, so that a look-up finds nothing and the program shows its original.
    const LargeVector<Entry>& untranslated() const { return untranslated_; }

    // Compiles a source. The buffer is taken over and its escapes are resolved in place,
    // so a large list costs no copy of its texts.
    friend WordList compile_word_list(std::string source, Diagnostics& diagnostics, EntryWork work);

private:
    // Reads the line that starts at `begin`; returns where it ends (its CR or LF, or the
    // end of the text).
    std::size_t process_line(std::size_t begin, std::uint32_t line, Diagnostics& diagnostics);
    std::size_t line_end(std::size_t from) const;
    void add_entry(const Entry& entry, std::uint32_t hash, bool placeholders_checked, const CheckOptOut& checks_off,
                   const TranslationPlace& place, Diagnostics& diagnostics);
    const Entry& indexed(std::uint32_t slot_entry) const;
    void grow_index();

    std::string text_;
    // Large buffers: a 200,000-line list fills megabytes of each.
    LargeVector<Entry> entries_;
    LargeVector<std::uint32_t> hashes_;
    LargeVector<Entry> untranslated_;
    std::uint32_t opt_out_line_ = 0;  // the line of the last placeholder opt-out comment
    CheckOptOut checks_off(std::uint32_t line) const;
    CheckOptOut check_opt_out_;             // the checks the last ";@no-check" turned off
    std::uint32_t check_opt_out_line_ = 0;  // its line
    AccessKeyScope access_key_scope_;       // the menu or dialog the entries belong to
    std::vector<std::pair<std::uint32_t, std::uint32_t>> translation_escapes_;  // of the current line
    LargeVector<Slot> slots_;  // finds duplicates; freed once the list is read
    // While a large list is read: the second thread that owns the index and the entries.
    EntryWorker* entry_worker_ = nullptr;
};

WordList compile_word_list(std::string source, Diagnostics& diagnostics, EntryWork work = EntryWork::Automatic);

// The line (1-based) that shows a source to be UTF-8 rather than GBK, or 0: line 1 when
// it starts with the UTF-8 byte-order mark, else, when the whole source is valid UTF-8,
// the line of its first character that is not GBK (detect_text_encoding's rule).
std::uint32_t utf8_evidence_line(std::string_view source);

}  // namespace lexicon
