#include "lexicon/memory.h"

#include <algorithm>
#include <numeric>
#include <optional>

#include "lexicon/gbk.h"
#include "lexicon/library_reader.h"
#include "lexicon/memory_text.h"
#include "lexicon/po_reader.h"
#include "lexicon/word_list.h"

namespace lexicon {

using memory::Unit;

namespace {

constexpr Unit start_unit = 3;  // before the first character, so that one-character texts have pairs
constexpr Unit end_unit = 4;

using Gram = std::uint32_t;

constexpr std::size_t max_fuzzy_units = 2000;

// The distinct pairs of neighbouring units of a text, with a start and an end mark.
void grams_of(std::u16string_view units, std::vector<Gram>& grams) {
    grams.clear();
    Unit previous = start_unit;
    for (const Unit u : units) {
        grams.push_back(static_cast<Gram>(previous) << 16 | u);
        previous = u;
    }
    grams.push_back(static_cast<Gram>(previous) << 16 | end_unit);
    std::sort(grams.begin(), grams.end());
    grams.erase(std::unique(grams.begin(), grams.end()), grams.end());
}

// Pair -> its number, by open addressing; no pair is 0, so 0 marks a free slot.
class GramTable {
public:
    static constexpr std::uint32_t none = UINT32_MAX;

    std::uint32_t find(Gram g) const {
        if (slots_.empty()) return none;
        for (std::size_t i = hash(g);; i = (i + 1) & mask_) {
            if (slots_[i].gram == g) return slots_[i].id;
            if (slots_[i].gram == 0) return none;
        }
    }
    std::uint32_t insert(Gram g) {
        if ((count_ + 1) * 2 > slots_.size()) grow();
        for (std::size_t i = hash(g);; i = (i + 1) & mask_) {
            if (slots_[i].gram == g) return slots_[i].id;
            if (slots_[i].gram == 0) {
                slots_[i] = {g, static_cast<std::uint32_t>(count_)};
                return static_cast<std::uint32_t>(count_++);
            }
        }
    }
    std::size_t size() const { return count_; }

private:
    struct Slot {
        Gram gram;
        std::uint32_t id;
    };
    std::size_t hash(Gram g) const { return static_cast<std::size_t>((g * 0x9E3779B1u) >> 7) & mask_; }
    void grow() {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{0, 0});
        mask_ = slots_.size() - 1;
        for (const Slot& s : old) {
            if (s.gram == 0) continue;
            std::size_t i = hash(s.gram);
            while (slots_[i].gram != 0) i = (i + 1) & mask_;
            slots_[i] = s;
        }
    }
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
};

struct Pair {
    std::string_view original;
    std::string_view translation;
};

bool ends_with_no_case(std::string_view name, std::string_view ending) {
    if (name.size() < ending.size()) return false;
    for (std::size_t i = 0; i < ending.size(); ++i) {
        char c = name[name.size() - ending.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != ending[i]) return false;
    }
    return true;
}

std::string file_name_of(const std::string& path) {
    const std::size_t sep = gbk::find_last_separator(path);
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

}  // namespace

// One file of the memory and its index.
struct Segment {
    std::string path;
    std::string name;
    MemoryFileInfo stamp;
    std::optional<Library> library;
    std::optional<WordList> list;

    std::vector<Pair> entries;                // grouped by normalised original, shortest first
    std::vector<std::uint32_t> key_begin;     // key k's entries: [key_begin[k], key_begin[k + 1])
    std::vector<std::uint16_t> key_length;    // in units
    std::u16string key_units;                 // every key normalised, one after the other
    std::vector<std::uint32_t> key_at;        // where each key starts in key_units
    std::vector<std::uint32_t> length_start;  // the first key of each length (one past the longest at the end)
    GramTable grams;
    std::vector<std::uint32_t> gram_begin;  // gram g's keys: postings[gram_begin[g] .. gram_begin[g + 1])
    std::vector<std::uint32_t> postings;

    std::size_t keys() const { return key_length.size(); }
    std::u16string_view key(std::uint32_t k) const {
        return std::u16string_view(key_units).substr(key_at[k], key_length[k]);
    }
    void build(std::vector<Pair> pairs);
    // Keys with a length in [shortest, longest].
    std::pair<std::uint32_t, std::uint32_t> keys_of_length(std::size_t shortest, std::size_t longest) const {
        const std::size_t top = length_start.size() - 1;
        return {length_start[std::min(shortest, top)], length_start[std::min(longest + 1, top)]};
    }
};

void Segment::build(std::vector<Pair> pairs) {
    // Every original normalised into one pool.
    std::u16string pool;
    std::vector<std::uint32_t> at(pairs.size() + 1);
    std::u16string units;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        memory::normalise_units(pairs[i].original, units);
        if (units.size() > UINT16_MAX) units.resize(UINT16_MAX);
        at[i] = static_cast<std::uint32_t>(pool.size());
        pool += units;
    }
    at[pairs.size()] = static_cast<std::uint32_t>(pool.size());
    auto key = [&](std::uint32_t i) { return std::u16string_view(pool).substr(at[i], at[i + 1] - at[i]); };

    std::vector<std::uint32_t> order(pairs.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const auto ka = key(a), kb = key(b);
        return ka.size() != kb.size() ? ka.size() < kb.size() : ka < kb;
    });

    entries.clear();
    entries.reserve(pairs.size());
    std::vector<std::uint32_t> representative;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i == 0 || key(order[i]) != key(order[i - 1])) {
            key_begin.push_back(static_cast<std::uint32_t>(i));
            key_length.push_back(static_cast<std::uint16_t>(key(order[i]).size()));
            representative.push_back(order[i]);
        }
        entries.push_back(pairs[order[i]]);
    }
    key_begin.push_back(static_cast<std::uint32_t>(order.size()));
    pairs = std::vector<Pair>();
    order = std::vector<std::uint32_t>();

    // The keys alone, in their order, replace the pool of every original.
    key_at.reserve(representative.size());
    std::size_t total = 0;
    for (const std::uint32_t r : representative) total += key(r).size();
    key_units.reserve(total);
    for (const std::uint32_t r : representative) {
        key_at.push_back(static_cast<std::uint32_t>(key_units.size()));
        key_units += key(r);
    }

    const std::size_t longest = key_length.empty() ? 0 : key_length.back();
    length_start.assign(longest + 2, 0);
    for (std::size_t length = 0, k = 0; length <= longest + 1; ++length) {
        while (k < key_length.size() && key_length[k] < length) ++k;
        length_start[length] = static_cast<std::uint32_t>(k);
    }

    // Two passes over the pairs of every key: count, then fill.
    pool = std::u16string();
    at = std::vector<std::uint32_t>();
    std::vector<std::uint32_t> counts;
    std::vector<Gram> g;
    for (std::uint32_t k = 0; k < representative.size(); ++k) {
        grams_of(this->key(k), g);
        for (const Gram x : g) {
            const std::uint32_t id = grams.insert(x);
            if (id == counts.size()) counts.push_back(0);
            ++counts[id];
        }
    }
    gram_begin.assign(counts.size() + 1, 0);
    for (std::size_t i = 0; i < counts.size(); ++i) gram_begin[i + 1] = gram_begin[i] + counts[i];
    postings.resize(gram_begin.back());
    std::vector<std::uint32_t> fill(gram_begin.begin(), gram_begin.end() - 1);
    for (std::uint32_t k = 0; k < representative.size(); ++k) {
        grams_of(this->key(k), g);
        for (const Gram x : g) postings[fill[grams.find(x)]++] = k;
    }
}

struct Memory::Impl {
    MemoryFiles& files;
    std::string folder;
    std::vector<std::string> named;
    std::vector<std::unique_ptr<Segment>> segments;  // the folder's libraries by name, then the named files
    // What was reported, so that a file that stays unreadable is reported once.
    std::vector<std::string> reported;

    // Scratch space of a look-up.
    mutable std::vector<std::uint16_t> counts;
    mutable std::vector<std::uint32_t> touched;

    explicit Impl(MemoryFiles& f) : files(f) {}

    bool report_once(std::string key) {
        if (std::find(reported.begin(), reported.end(), key) != reported.end()) return false;
        reported.push_back(std::move(key));
        return true;
    }
    void forget_report(std::string_view prefix) {
        std::erase_if(reported, [&](const std::string& r) { return r.starts_with(prefix); });
    }

    std::unique_ptr<Segment> load(const std::string& path, const MemoryFileInfo& stamp, bool library,
                                  Diagnostics& diagnostics);
    struct Found {
        int score;
        const Segment* segment;
        std::uint32_t key;
    };
    std::vector<MemorySuggestion> expand(std::string_view original, std::vector<Found> found,
                                         const MemoryQuery& query) const;
};

Memory::Memory(MemoryFiles& files) : impl_(std::make_unique<Impl>(files)) {}
Memory::~Memory() = default;

void Memory::set_folder(std::string folder) { impl_->folder = std::move(folder); }
void Memory::add_file(std::string path) { impl_->named.push_back(std::move(path)); }

std::unique_ptr<Segment> Memory::Impl::load(const std::string& path, const MemoryFileInfo& stamp, bool library,
                                            Diagnostics& diagnostics) {
    const std::string stamp_key = cat(path, '\n', stamp.size, '\n', stamp.modified);
    std::string bytes, error;
    auto segment = std::make_unique<Segment>();
    segment->path = path;
    segment->name = file_name_of(path);
    segment->stamp = stamp;
    std::vector<Pair> pairs;
    if (!files.read(path, bytes, error)) {
        if (report_once(stamp_key)) {
            diagnostics.add(library ? Code::MemoryLibraryLeftOut : Code::MemoryFileUnreadable, 0,
                            cat("无法读取“", path, "”：", error, library ? "；记忆库暂不使用它" : ""));
        }
        return nullptr;
    }
    if (library) {
        segment->library = Library::open(std::move(bytes), error);
        if (!segment->library) {
            // Perhaps half written by a colleague: tried again when it changes.
            if (report_once(stamp_key)) {
                diagnostics.add(Code::MemoryLibraryLeftOut, 0,
                                cat("无法读取词库“", path, "”：", error, "；记忆库暂不使用它"));
            }
            return nullptr;
        }
        for (const LibraryEntry e : *segment->library) pairs.push_back({e.original, e.translation});
    } else {
        Diagnostics own;
        if (ends_with_no_case(path, ".po")) {
            PoImport imported = word_list_from_po(bytes, own);
            bytes = std::move(imported.word_list);
        }
        segment->list.emplace(compile_word_list(std::move(bytes), own));
        if (own.errors() > 0 && report_once(stamp_key)) {
            diagnostics.add(Code::MemoryFileHasErrors, 0,
                            cat("“", path, "”有 ", own.errors(), " 个错误；记忆库只用了其中能读出的条目"));
        }
        const WordList& list = *segment->list;
        for (const Entry& e : list.entries()) pairs.push_back({list.original(e), list.translation(e)});
    }
    segment->build(std::move(pairs));
    forget_report(cat(path, '\n'));
    return segment;
}

void Memory::refresh(Diagnostics& diagnostics) {
    Impl& m = *impl_;
    std::vector<std::unique_ptr<Segment>> next;
    auto reuse = [&](const std::string& path) -> std::unique_ptr<Segment> {
        for (auto& s : m.segments) {
            if (s && s->path == path) return std::move(s);
        }
        return nullptr;
    };
    auto take = [&](const std::string& path, const MemoryFileInfo& stamp, bool library) {
        std::unique_ptr<Segment> old = reuse(path);
        if (old && old->stamp.size == stamp.size && old->stamp.modified == stamp.modified) {
            next.push_back(std::move(old));
            return;
        }
        std::unique_ptr<Segment> fresh = m.load(path, stamp, library, diagnostics);
        if (fresh) {
            next.push_back(std::move(fresh));
        } else if (old) {
            next.push_back(std::move(old));  // what was read before stays until the file reads again
        }
    };
    if (!m.folder.empty()) {
        std::vector<MemoryFileInfo> listed;
        std::string error;
        if (m.files.list_libraries(m.folder, listed, error)) {
            m.forget_report(cat("folder\n", m.folder));
            std::sort(listed.begin(), listed.end(),
                      [](const MemoryFileInfo& a, const MemoryFileInfo& b) { return a.name < b.name; });
            for (const MemoryFileInfo& f : listed) take(m.files.join(m.folder, f.name), f, true);
        } else {
            if (m.report_once(cat("folder\n", m.folder))) {
                diagnostics.add(Code::MemoryFolderUnreadable, 0,
                                cat("无法读取记忆库的文件夹“", m.folder, "”：", error));
            }
            // A folder that is away for a moment (a network share) keeps its libraries.
            for (auto& s : m.segments) {
                if (s && s->library) next.push_back(std::move(s));
            }
        }
    }
    for (const std::string& path : m.named) {
        MemoryFileInfo info;
        std::string error;
        if (m.files.file_info(path, info, error)) {
            take(path, info, false);
        } else {
            if (m.report_once(cat(path, "\nmissing"))) {
                diagnostics.add(Code::MemoryFileUnreadable, 0, cat("无法读取“", path, "”：", error));
            }
            if (auto old = reuse(path)) next.push_back(std::move(old));
        }
    }
    m.segments = std::move(next);
}

std::size_t Memory::entries() const {
    std::size_t n = 0;
    for (const auto& s : impl_->segments) n += s->entries.size();
    return n;
}
std::size_t Memory::files() const { return impl_->segments.size(); }

void Memory::for_each(const std::function<void(const MemoryRecord&)>& visit) const {
    for (const auto& s : impl_->segments) {
        for (const Pair& p : s->entries) visit({p.original, p.translation, s->name});
    }
}

std::vector<MemorySuggestion> Memory::Impl::expand(std::string_view original, std::vector<Found> found,
                                                   const MemoryQuery& query) const {
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.score > b.score; });
    const memory::Normalised asked = memory::normalise(original);
    std::vector<MemorySuggestion> out;
    for (const Found& f : found) {
        const Segment& s = *f.segment;
        // The key's entries by translation, the most frequent first.
        std::vector<Pair> group(s.entries.begin() + s.key_begin[f.key], s.entries.begin() + s.key_begin[f.key + 1]);
        std::stable_sort(group.begin(), group.end(),
                         [](const Pair& a, const Pair& b) { return a.translation < b.translation; });
        struct Variant {
            Pair pair;
            std::size_t count;
            bool exact;
        };
        std::vector<Variant> variants;
        for (const Pair& p : group) {
            const bool exact = p.original == original;
            if (!variants.empty() && variants.back().pair.translation == p.translation) {
                ++variants.back().count;
                if (exact && !variants.back().exact) variants.back() = {p, variants.back().count, true};
            } else {
                variants.push_back({p, 1, exact});
            }
        }
        std::stable_sort(variants.begin(), variants.end(),
                         [](const Variant& a, const Variant& b) { return a.count > b.count; });
        for (const Variant& v : variants) {
            std::string fitted = memory::adapt_translation(asked, memory::normalise(v.pair.original),
                                                           v.pair.translation);
            const auto same = std::find_if(out.begin(), out.end(),
                                           [&](const MemorySuggestion& x) { return x.translation == fitted; });
            if (same != out.end()) {
                if (same->score == f.score) same->count += v.count;
                if (v.exact && !same->exact && same->score == f.score) {
                    same->exact = true;
                    same->original = v.pair.original;
                    same->source = s.name;
                }
                continue;
            }
            MemorySuggestion suggestion;
            suggestion.score = f.score;
            suggestion.exact = v.exact;
            suggestion.translation = std::move(fitted);
            suggestion.original = v.pair.original;
            suggestion.stored_translation = v.pair.translation;
            suggestion.source = s.name;
            suggestion.count = v.count;
            out.push_back(std::move(suggestion));
        }
    }
    std::stable_sort(out.begin(), out.end(), [](const MemorySuggestion& a, const MemorySuggestion& b) {
        if (a.score != b.score) return a.score > b.score;
        if (a.exact != b.exact) return a.exact;
        return a.count > b.count;
    });
    if (out.size() > query.top) out.resize(query.top);
    return out;
}

std::vector<MemorySuggestion> Memory::suggest(std::string_view original, const MemoryQuery& query) const {
    const Impl& m = *impl_;
    std::u16string asked;
    memory::normalise_units(original, asked);
    if (query.top == 0) return {};
    const std::size_t lq = asked.size();
    // A text of many thousand characters (a program's --help) is found only when equal:
    // the distance to others like it would cost seconds.
    const int min_score = lq > max_fuzzy_units ? 100 : std::clamp(query.min_score, 1, 100);
    std::vector<Gram> grams;
    grams_of(asked, grams);
    const std::size_t bq = grams.size();
    // Lengths that can reach the minimum: |lq - lc| <= the distance allowed.
    const std::size_t shortest = (lq * static_cast<std::size_t>(min_score) + 99) / 100;
    const std::size_t longest = lq * 100 / static_cast<std::size_t>(min_score);

    // Candidates by the best score they could reach, 0..100.
    std::vector<std::vector<Impl::Found>> by_bound(101);
    for (const auto& segment : m.segments) {
        const Segment& s = *segment;
        if (s.keys() == 0) continue;
        if (m.counts.size() < s.keys()) m.counts.resize(s.keys(), 0);
        m.touched.clear();
        const auto [first, last] = s.keys_of_length(shortest, longest);
        for (const Gram g : grams) {
            const std::uint32_t id = s.grams.find(g);
            if (id == GramTable::none) continue;
            const auto begin = s.postings.begin() + s.gram_begin[id];
            const auto end = s.postings.begin() + s.gram_begin[id + 1];
            for (auto it = std::lower_bound(begin, end, first); it != end && *it < last; ++it) {
                if (m.counts[*it]++ == 0) m.touched.push_back(*it);
            }
        }
        for (const std::uint32_t k : m.touched) {
            const std::size_t shared = m.counts[k];
            m.counts[k] = 0;
            const std::size_t lc = s.key_length[k];
            const std::size_t by_length = lq > lc ? lq - lc : lc - lq;
            const std::size_t by_grams = bq > shared ? (bq - shared + 1) / 2 : 0;
            const int bound = memory::score(std::max(by_length, by_grams), lq, lc);
            if (bound >= min_score) by_bound[static_cast<std::size_t>(bound)].push_back({bound, &s, k});
        }
    }

    // The real distance, best bounds first, until no bound can beat the scores found.
    const std::size_t want = query.top * 2;
    constexpr std::size_t max_checked = 20000;
    std::vector<Impl::Found> found;
    std::vector<int> best;  // the scores found, highest first, at most `want`
    const memory::DistanceTo distance_to(asked);
    std::size_t checked = 0;
    for (int bound = 100; bound >= min_score && checked < max_checked; --bound) {
        if (best.size() >= want && best.back() >= bound) break;
        for (const Impl::Found& c : by_bound[static_cast<std::size_t>(bound)]) {
            if (++checked > max_checked) break;
            const Segment& s = *c.segment;
            const std::u16string_view units = s.key(c.key);
            const int floor = best.size() >= want ? std::max(min_score, best.back()) : min_score;
            const std::size_t limit = memory::max_distance(floor, asked.size(), units.size());
            const std::size_t d = distance_to(units, limit);
            if (d > limit) continue;
            const int sc = memory::score(d, asked.size(), units.size());
            found.push_back({sc, &s, c.key});
            best.insert(std::upper_bound(best.begin(), best.end(), sc, std::greater<>()), sc);
            if (best.size() > want) best.pop_back();
        }
    }
    return m.expand(original, std::move(found), query);
}

std::vector<MemorySuggestion> Memory::suggest_by_scan(std::string_view original, const MemoryQuery& query) const {
    std::u16string asked;
    memory::normalise_units(original, asked);
    const int min_score = asked.size() > max_fuzzy_units ? 100 : std::clamp(query.min_score, 1, 100);
    const memory::DistanceTo distance_to(asked);
    std::vector<Impl::Found> found;
    for (const auto& segment : impl_->segments) {
        const Segment& s = *segment;
        for (std::uint32_t k = 0; k < s.keys(); ++k) {
            const std::u16string_view units = s.key(k);
            const std::size_t limit = memory::max_distance(min_score, asked.size(), units.size());
            const std::size_t d = distance_to(units, limit);
            if (d <= limit) found.push_back({memory::score(d, asked.size(), units.size()), &s, k});
        }
    }
    return impl_->expand(original, std::move(found), query);
}

}  // namespace lexicon
