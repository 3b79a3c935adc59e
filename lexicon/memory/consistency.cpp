// The consistency report over a whole memory.
#include <algorithm>
#include <map>

#include "lexicon/memory/memory.h"
#include "lexicon/memory/memory_text.h"

namespace lexicon {

namespace {

struct Row {
    std::u16string key;    // what groups the rows
    std::u16string other;  // what must agree within a group
    std::string_view key_text;
    std::string_view other_text;
    std::string_view source;
    std::size_t order;  // the row's place in the memory: ties go to what comes first
};

// Groups rows by `key` and lists the groups whose rows differ in `other`.
std::vector<ConsistencyItem> differing(std::vector<Row>& rows) {
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        if (a.key != b.key) return a.key < b.key;
        return a.other != b.other ? a.other < b.other : a.order < b.order;
    });
    std::vector<ConsistencyItem> items;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t end = i;
        bool differs = false;
        while (end < rows.size() && rows[end].key == rows[i].key) {
            differs = differs || rows[end].other != rows[i].other;
            ++end;
        }
        if (differs) {
            ConsistencyItem item;
            item.count = end - i;
            std::size_t first_of_best = i, best_count = 0;
            for (std::size_t j = i; j < end;) {
                std::size_t variant_end = j;
                std::map<std::string_view, std::size_t> per_source;
                while (variant_end < end && rows[variant_end].other == rows[j].other) {
                    ++per_source[rows[variant_end].source];
                    ++variant_end;
                }
                // Rows of a variant come in the memory's order: its first row is met first.
                const std::size_t earliest = j;
                if (variant_end - j > best_count ||
                    (variant_end - j == best_count && rows[earliest].order < rows[first_of_best].order)) {
                    best_count = variant_end - j;
                    first_of_best = earliest;
                }
                ConsistencyVariant variant;
                variant.text = std::string(rows[j].other_text);
                variant.first = rows[j].order;
                variant.count = variant_end - j;
                std::vector<std::pair<std::string_view, std::size_t>> sources(per_source.begin(), per_source.end());
                std::stable_sort(sources.begin(), sources.end(),
                                 [](const auto& a, const auto& b) { return a.second > b.second; });
                for (const auto& [name, count] : sources) variant.sources.emplace_back(name);
                item.variants.push_back(std::move(variant));
                j = variant_end;
            }
            // The text the group is known by: the most frequent spelling, first met first.
            item.text = std::string(rows[first_of_best].key_text);
            std::sort(item.variants.begin(), item.variants.end(),
                      [](const ConsistencyVariant& a, const ConsistencyVariant& b) {
                          return a.count != b.count ? a.count > b.count : a.first < b.first;
                      });
            items.push_back(std::move(item));
        }
        i = end;
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const ConsistencyItem& a, const ConsistencyItem& b) { return a.count > b.count; });
    return items;
}

}  // namespace

ConsistencyReport check_consistency(const Memory& memory) {
    std::vector<Row> rows;
    rows.reserve(memory.entries());
    memory.for_each([&](const MemoryRecord& r) {
        Row row;
        memory::normalise_units(r.original, row.key);
        memory::normalise_units(r.translation, row.other);
        row.key_text = r.original;
        row.other_text = r.translation;
        row.source = r.source;
        row.order = rows.size();
        rows.push_back(std::move(row));
    });
    ConsistencyReport report;
    report.translations_differ = differing(rows);
    for (Row& row : rows) {
        std::swap(row.key, row.other);
        std::swap(row.key_text, row.other_text);
    }
    report.originals_share = differing(rows);
    return report;
}

}  // namespace lexicon
