#include "korvex/entry_table.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "korvex/word_list_source.h"

namespace korvex {

EntryStatus StatusOf(const TextPair& text, const EntryMark& mark) {
    if (mark.error) return EntryStatus::Error;
    if (text.translation.empty()) return EntryStatus::Untranslated;
    return mark.review ? EntryStatus::Review : EntryStatus::Translated;
}

const char* StatusName(EntryStatus status) {
    switch (status) {
    case EntryStatus::Untranslated:
        return "未译";
    case EntryStatus::Review:
        return "待审";
    case EntryStatus::Translated:
        return "已译";
    case EntryStatus::Error:
        return "错误";
    }
    return "";
}

EntryTable::EntryTable(lexicon::Library library)
    : library_(std::make_unique<lexicon::Library>(std::move(library))), description_(library_->description()) {
    entries_.reserve(library_->size());
    for (const lexicon::LibraryEntry e : *library_) entries_.push_back(TextPair{e.original, e.translation});
    marks_.resize(entries_.size());
}

EntryTable::EntryTable(std::unique_ptr<WordListSource> source, std::vector<TextPair> entries,
                       std::vector<EntryMark> marks)
    : source_(std::move(source)), entries_(std::move(entries)), marks_(std::move(marks)) {
    marks_.resize(entries_.size());
}

EntryTable::EntryTable() = default;
EntryTable::~EntryTable() = default;

std::optional<std::size_t> EntryTable::Find(std::string_view original) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].original == original) return i;
    }
    return std::nullopt;
}

std::string_view EntryTable::Keep(std::string_view text) {
    if (text.empty()) return {};
    return typed_.emplace_back(text);
}

void EntryTable::Push(UndoStep step) {
    step.serial = next_serial_++;
    undo_.push_back(std::move(step));
    if (undo_.size() > kUndoLevels) {
        dropped_serial_ = undo_.front().serial;
        undo_.pop_front();
    }
    ++revision_;
}

bool EntryTable::Add(std::string_view original, std::string_view translation, std::size_t& conflict,
                     const EntryMark* mark) {
    if (const auto found = Find(original)) {
        conflict = *found;
        return false;
    }
    entries_.push_back(TextPair{Keep(original), Keep(translation)});
    EntryMark added = mark ? *mark : EntryMark{};
    added.source = EntryMark::kNoSource;
    marks_.push_back(added);
    UndoStep step;
    step.inserted.push_back(entries_.size() - 1);
    Push(std::move(step));
    return true;
}

bool EntryTable::Change(std::size_t index, std::string_view original, std::string_view translation,
                        std::size_t& conflict, const EntryMark* mark) {
    if (const auto found = Find(original); found && *found != index) {
        conflict = *found;
        return false;
    }
    TextPair& entry = entries_[index];
    EntryMark changed = mark ? *mark : marks_[index];
    changed.source = marks_[index].source;
    if (entry.original == original && entry.translation == translation && changed == marks_[index]) return true;
    UndoStep step;
    step.changed.push_back(Placed{index, entry, marks_[index]});
    marks_[index] = changed;
    entry = TextPair{entry.original == original ? entry.original : Keep(original),
                     entry.translation == translation ? entry.translation : Keep(translation)};
    Push(std::move(step));
    return true;
}

void EntryTable::Remove(std::vector<std::size_t> indices) {
    if (indices.empty()) return;
    std::sort(indices.begin(), indices.end());
    UndoStep step;
    step.removed.reserve(indices.size());
    for (const std::size_t i : indices) step.removed.push_back(Placed{i, entries_[i], marks_[i]});
    EraseSorted(indices);
    Push(std::move(step));
}

void EntryTable::SetDescription(std::string description) {
    if (description == description_) return;
    UndoStep step;
    step.description = std::exchange(description_, std::move(description));
    Push(std::move(step));
}

MergeCounts EntryTable::Merge(std::unique_ptr<lexicon::WordList> list) {
    MergeCounts counts;
    std::unordered_map<std::string_view, std::size_t> known;
    known.reserve(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i) known.emplace(entries_[i].original, i);

    UndoStep step;
    for (const lexicon::Entry& e : list->entries()) {
        const std::string_view original = list->original(e);
        const std::string_view translation = list->translation(e);
        const auto found = known.find(original);
        if (found == known.end()) {
            step.inserted.push_back(entries_.size());
            entries_.push_back(TextPair{original, translation});
            marks_.emplace_back();
            ++counts.added;
        } else if (entries_[found->second].translation != translation) {
            step.changed.push_back(Placed{found->second, entries_[found->second], marks_[found->second]});
            entries_[found->second].translation = translation;
            ++counts.changed;
        } else {
            ++counts.unchanged;
        }
    }
    if (counts.added + counts.changed > 0) {
        imported_.push_back(std::move(list));
        Push(std::move(step));
    }
    return counts;
}

void EntryTable::Undo() {
    if (undo_.empty()) return;
    UndoStep step = std::move(undo_.back());
    undo_.pop_back();
    EraseSorted(step.inserted);
    InsertSorted(step.removed);
    for (auto it = step.changed.rbegin(); it != step.changed.rend(); ++it) {
        entries_[it->index] = it->text;
        marks_[it->index] = it->mark;
    }
    if (step.description) description_ = std::move(*step.description);
    ++revision_;
}

// One pass over the table, however many entries go.
void EntryTable::EraseSorted(const std::vector<std::size_t>& ascending) {
    if (ascending.empty()) return;
    std::size_t out = ascending.front();
    std::size_t next = 0;
    for (std::size_t i = ascending.front(); i < entries_.size(); ++i) {
        if (next < ascending.size() && ascending[next] == i) {
            ++next;
            continue;
        }
        marks_[out] = marks_[i];
        entries_[out++] = entries_[i];
    }
    entries_.resize(out);
    marks_.resize(out);
}

// The inverse of EraseSorted: each entry goes back to the position it had.
void EntryTable::InsertSorted(const std::vector<Placed>& ascending) {
    if (ascending.empty()) return;
    std::vector<TextPair> merged;
    std::vector<EntryMark> marks;
    merged.reserve(entries_.size() + ascending.size());
    marks.reserve(entries_.size() + ascending.size());
    std::size_t from = 0;
    for (const Placed& p : ascending) {
        while (merged.size() < p.index) {
            marks.push_back(marks_[from]);
            merged.push_back(entries_[from++]);
        }
        merged.push_back(p.text);
        marks.push_back(p.mark);
    }
    while (from < entries_.size()) {
        marks.push_back(marks_[from]);
        merged.push_back(entries_[from++]);
    }
    entries_ = std::move(merged);
    marks_ = std::move(marks);
}

}  // namespace korvex
