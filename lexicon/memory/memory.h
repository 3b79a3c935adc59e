#pragma once
// The translation memory: every library of a folder, plus word lists and PO files, with
// an index that finds the stored translations of originals like a given one.
//
// The index of each file holds its originals normalised (memory_text.h), grouped by
// equal texts and ordered by length, and for every pair of neighbouring characters the
// texts that contain it (a list, or a bitmap where many texts do). A look-up counts the
// pairs each text of a suitable length shares with the query, which bounds the edit
// distance from below, and computes the real distance only for the texts whose bound can
// still reach the best scores: the result is that of comparing the query with every
// text, at the cost of a few hundred.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/base/diagnostics.h"

namespace lexicon {

// What the memory needs from the file system. Mervik and KORVEX each give one; files
// are opened so that others may read, write and replace them meanwhile.
struct MemoryFileInfo {
    std::string name;  // the file name, without its folder
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // in the system's own unit; only compared for equality
};

class MemoryFiles {
public:
    virtual ~MemoryFiles() = default;
    // The files of `folder` whose names end in ".LIB" (in any case); false with `error`
    // (Chinese, GBK) when the folder cannot be listed.
    virtual bool list_libraries(const std::string& folder, std::vector<MemoryFileInfo>& files, std::string& error) = 0;
    virtual bool file_info(const std::string& path, MemoryFileInfo& info, std::string& error) = 0;
    virtual bool read(const std::string& path, std::string& bytes, std::string& error) = 0;
    // The path of `name` inside `folder`.
    virtual std::string join(const std::string& folder, const std::string& name) = 0;
};

struct MemorySuggestion {
    int score = 0;            // percent of characters, 100 when equal after normalisation
    bool exact = false;       // the stored original is the query byte for byte
    std::string translation;  // fitted to the query's numbers, placeholders and access key
    // As stored; valid until the next refresh().
    std::string_view original;
    std::string_view stored_translation;
    std::string_view source;  // the file name of the first file that holds it
    std::size_t count = 0;    // entries of the memory with this original and translation
};

struct MemoryQuery {
    std::size_t top = 5;
    int min_score = 50;
};

// One entry as the memory holds it, for reports over the whole memory.
struct MemoryRecord {
    std::string_view original;
    std::string_view translation;
    std::string_view source;
};

class Memory {
public:
    explicit Memory(MemoryFiles& files);
    ~Memory();
    Memory(const Memory&) = delete;
    Memory& operator=(const Memory&) = delete;

    // The folder whose libraries are the memory ("" for none).
    void set_folder(std::string folder);
    // A word list (GBK) or, by its extension ".po", a PO file.
    void add_file(std::string path);

    // Reads the files that are new or changed (size or time) since the last refresh and
    // forgets the ones that are gone; unchanged files are not read again. A file that
    // cannot be read keeps what was read of it before and is reported once (W250, E130,
    // E131, W252 for a list with errors), and tried again at the next refresh.
    void refresh(Diagnostics& diagnostics);

    // The best translations for `original`, highest score first; equal translations are
    // given once. Several threads may look up at once, but not while one refreshes.
    std::vector<MemorySuggestion> suggest(std::string_view original, const MemoryQuery& query) const;
    // The same by comparing with every entry, for the benchmark and the tests.
    std::vector<MemorySuggestion> suggest_by_scan(std::string_view original, const MemoryQuery& query) const;

    std::size_t entries() const;
    std::size_t files() const;
    // Every entry, file by file (the folder's libraries by name, then the named files).
    void for_each(const std::function<void(const MemoryRecord&)>& visit) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A memory's originals that have more than one translation, and translations shared by
// more than one original; compared as the memory compares originals (access keys,
// numbers and case aside).
struct ConsistencyVariant {
    std::string text;  // as first met
    std::size_t count = 0;
    std::vector<std::string> sources;  // file names, most entries first
    std::size_t first = 0;             // where the memory first has it
};
struct ConsistencyItem {
    std::string text;  // the original (or the translation) the variants share, as most often spelt
    std::size_t count = 0;
    std::vector<ConsistencyVariant> variants;  // most frequent first
};
struct ConsistencyReport {
    std::vector<ConsistencyItem> translations_differ;  // text = original, variants = translations
    std::vector<ConsistencyItem> originals_share;      // text = translation, variants = originals
};
ConsistencyReport check_consistency(const Memory& memory);

}  // namespace lexicon
