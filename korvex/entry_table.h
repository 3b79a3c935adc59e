#pragma once
// The entries of one library as the editor holds them: in library order, with the
// description, every change undoable, and the modified state. The texts stay where
// they were read (the library's bytes, an imported word list's buffer); only what the
// user types is copied.
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/library/library_reader.h"
#include "lexicon/library/library_writer.h"
#include "lexicon/wordlist/word_list.h"

namespace korvex {

using lexicon::TextPair;

// What the list says about an entry besides its texts: where a word list had it, whether
// it waits for review, and the compiler's messages about it.
struct EntryMark {
    static constexpr std::uint32_t kNoSource = UINT32_MAX;
    std::uint32_t source = kNoSource;  // the entry of the opened word list it was read from
    std::uint32_t messages = 0;        // the compiler's messages about the entry
    bool review = false;               // a ";@review" line stands before it
    bool error = false;                // the compiler refuses it
    bool operator==(const EntryMark&) const = default;
};

enum class EntryStatus { Untranslated, Review, Translated, Error };

// The status column: an error first, then an empty translation, then a pending review.
EntryStatus StatusOf(const TextPair& text, const EntryMark& mark);
// "未译", "待审", "已译", "错误".
const char* StatusName(EntryStatus status);

struct WordListSource;

struct MergeCounts {
    std::size_t added = 0;
    std::size_t changed = 0;
    std::size_t unchanged = 0;
};

class EntryTable {
public:
    static constexpr std::size_t kUndoLevels = 100;

    EntryTable();
    // Takes over an opened library; its entries are viewed where they lie.
    explicit EntryTable(lexicon::Library library);
    // Takes over an opened word list: its entries, untranslated ones included, with their
    // marks; the source's bytes stay for saving the list back.
    EntryTable(std::unique_ptr<WordListSource> source, std::vector<TextPair> entries, std::vector<EntryMark> marks);
    ~EntryTable();
    EntryTable(const EntryTable&) = delete;
    EntryTable& operator=(const EntryTable&) = delete;

    std::size_t size() const { return entries_.size(); }
    const TextPair& at(std::size_t i) const { return entries_[i]; }
    const EntryMark& mark(std::size_t i) const { return marks_[i]; }
    EntryStatus status(std::size_t i) const { return StatusOf(entries_[i], marks_[i]); }
    // The word list the table was opened from, or null for a library.
    const WordListSource* source() const { return source_.get(); }
    std::span<const TextPair> entries() const { return entries_; }
    const std::string& description() const { return description_; }
    // The entry with this original, by a walk over the table.
    std::optional<std::size_t> Find(std::string_view original) const;

    // Each edit is one undo step. Add and Change refuse an original that another entry
    // has, and name that entry in `conflict`.
    // With a mark, the entry takes its review flag and messages (never its source).
    bool Add(std::string_view original, std::string_view translation, std::size_t& conflict,
             const EntryMark* mark = nullptr);
    bool Change(std::size_t index, std::string_view original, std::string_view translation, std::size_t& conflict,
                const EntryMark* mark = nullptr);
    // Removes the entries at these positions (any order, no repeats).
    void Remove(std::vector<std::size_t> indices);
    void SetDescription(std::string description);
    // New originals go to the end, known ones take the new translation. The list's
    // texts are used where they lie, so the list is kept.
    MergeCounts Merge(std::unique_ptr<lexicon::WordList> list);

    bool CanUndo() const { return !undo_.empty(); }
    void Undo();

    bool Modified() const { return TopSerial() != saved_serial_; }
    void MarkSaved() { saved_serial_ = TopSerial(); }
    // Changes with every edit and undo: a view that remembers it knows when to rebuild.
    std::uint64_t Revision() const { return revision_; }

private:
    struct Placed {
        std::size_t index;
        TextPair text;
        EntryMark mark;
    };
    struct UndoStep {
        std::uint64_t serial = 0;
        std::vector<std::size_t> inserted;  // ascending
        std::vector<Placed> removed;        // ascending by their former position
        std::vector<Placed> changed;        // the texts before the change
        std::optional<std::string> description;
    };

    std::string_view Keep(std::string_view text);
    void Push(UndoStep step);
    // The serial of the newest step, or of the last one dropped off the bottom: after
    // undoing all that is left, the table is still not what it was before those.
    std::uint64_t TopSerial() const { return undo_.empty() ? dropped_serial_ : undo_.back().serial; }
    void EraseSorted(const std::vector<std::size_t>& ascending);
    void InsertSorted(const std::vector<Placed>& ascending);

    std::unique_ptr<lexicon::Library> library_;
    std::vector<std::unique_ptr<lexicon::WordList>> imported_;
    std::deque<std::string> typed_;  // a deque never moves what it holds
    std::unique_ptr<WordListSource> source_;
    std::vector<TextPair> entries_;
    std::vector<EntryMark> marks_;  // one per entry
    std::string description_;
    std::deque<UndoStep> undo_;
    std::uint64_t next_serial_ = 1;
    std::uint64_t dropped_serial_ = 0;
    std::uint64_t saved_serial_ = 0;
    std::uint64_t revision_ = 0;
};

}  // namespace korvex
