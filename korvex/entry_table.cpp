#include "korvex/entry_table.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace korvex {

EntryTable::EntryTable(lexicon::Library library)
    : library_(std::make_unique<lexicon::Library>(std::move(library))), description_(library_->description()) {
    entries_.reserve(library_->size());
    for (const lexicon::LibraryEntry e : *library_) entries_.push_back(TextPair{e.original, e.translation});
}

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

bool EntryTable::Add(std::string_view original, std::string_view translation, std::size_t& conflict) {
    if (const auto found = Find(original)) {
        conflict = *found;
        return false;
    }
    entries_.push_back(TextPair{Keep(original), Keep(translation)});
    UndoStep step;
    step.inserted.push_back(entries_.size() - 1);
    Push(std::move(step));
    return true;
}

bool EntryTable::Change(std::size_t index, std::string_view original, std::string_view translation,
                        std::size_t& conflict) {
    if (const auto found = Find(original); found && *found != index) {
        conflict = *found;
        return false;
    }
    TextPair& entry = entries_[index];
    if (entry.original == original && entry.translation == translation) return true;
    UndoStep step;
    step.changed.push_back(Placed{index, entry});
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
    for (const std::size_t i : indices) step.removed.push_back(Placed{i, entries_[i]});
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
            ++counts.added;
        } else if (entries_[found->second].translation != translation) {
            step.changed.push_back(Placed{found->second, entries_[found->second]});
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
    for (auto it = step.changed.rbegin(); it != step.changed.rend(); ++it) entries_[it->index] = it->text;
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
        entries_[out++] = entries_[i];
    }
    entries_.resize(out);
}

// The inverse of EraseSorted: each entry goes back to the position it had.
void EntryTable::InsertSorted(const std::vector<Placed>& ascending) {
    if (ascending.empty()) return;
    std::vector<TextPair> merged;
    merged.reserve(entries_.size() + ascending.size());
    std::size_t from = 0;
    for (const Placed& p : ascending) {
        while (merged.size() < p.index) merged.push_back(entries_[from++]);
        merged.push_back(p.text);
    }
    while (from < entries_.size()) merged.push_back(entries_[from++]);
    entries_ = std::move(merged);
}

}  // namespace korvex
