#include "lexicon/memory/memory.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <optional>
#include <span>

#include "lexicon/base/gbk.h"
#include "lexicon/base/large_pages.h"
#include "lexicon/exchange/po_reader.h"
#include "lexicon/library/library_reader.h"
#include "lexicon/memory/bit_planes.h"
#include "lexicon/memory/memory_text.h"
#include "lexicon/wordlist/word_list.h"

namespace lexicon {

using memory::Unit;

namespace {

constexpr Unit start_unit = 3;  // before the first character, so that one-character texts have pairs
constexpr Unit end_unit = 4;

using Gram = std::uint32_t;

constexpr std::size_t max_fuzzy_units = 2000;
// A pair held by more than one in `dense_share` keys of a chunk is kept as a bitmap of the
// chunk's keys. Up to one in 16 the bitmap is the larger (at most four times its posting
// list), but a look-up adds it to 64 keys, or side by side to 256, in a few instructions,
// where each posting costs several.
constexpr std::size_t dense_share = 64;
// Asks for the cache line of `at` ahead of its use; the bitmaps of one look-up are
// read side by side, more of them than the processor follows by itself.
inline void prefetch_line(const void* at) {
#if defined(__GNUC__)
    __builtin_prefetch(at);
#else
    (void)at;
#endif
}

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
    // Asks for the cache line where find(g) starts.
    void prefetch(Gram g) const {
        if (!slots_.empty()) prefetch_line(slots_.data() + hash(g));
    }

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

// Keys are kept as bytes, as GBK writes them: a unit below 0x80 is one byte, a
// double-byte character its two bytes (the lead byte is 0x81 or more), and a single byte
// of 0x80 or more (a stray byte of a text that is not GBK) 0x80 and itself. That halves the
// index of a memory of English originals against two bytes a unit.
void append_key(std::u16string_view units, std::string& out) {
    for (const Unit u : units) {
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u <= 0xFF) {
            out += '\x80';
            out += static_cast<char>(u);
        } else {
            out += static_cast<char>(u >> 8);
            out += static_cast<char>(u & 0xFF);
        }
    }
}

void decode_key(std::string_view bytes, std::u16string& units) {
    // No more units than bytes: written in place, then cut to size.
    units.resize(bytes.size());
    std::size_t n = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            units[n++] = b;
        } else if (b == 0x80) {
            units[n++] = static_cast<unsigned char>(bytes[++i]);
        } else {
            units[n++] = static_cast<Unit>(b << 8 | static_cast<unsigned char>(bytes[++i]));
        }
    }
    units.resize(n);
}

// Keys per chunk of the posting lists: a key is then a 16-bit number within its chunk.
constexpr std::size_t chunk_keys = 65536;

// The posting lists of up to chunk_keys consecutive keys.
struct Chunk {
    std::uint32_t first = 0;  // the chunk's first key
    std::uint32_t end = 0;    // one past its last
    GramTable grams;
    std::vector<std::uint32_t> gram_begin;  // gram g's keys: postings[gram_begin[g] .. gram_begin[g + 1])
    std::vector<std::uint16_t> postings;    // key - first, ascending
    // A dense gram's keys instead, as bits of bitmaps[bitmap_of[g] ..] (bit k: key first + k);
    // its posting list is empty.
    static constexpr std::uint32_t no_bitmap = UINT32_MAX;
    std::vector<std::uint32_t> bitmap_of;
    LargeVector<std::uint64_t> bitmaps;  // read side by side at every look-up: in large pages
};

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
    std::string key_bytes;                    // every key, one after the other (append_key)
    std::vector<std::uint32_t> key_at;        // where each key starts in key_bytes, and the end
    std::vector<std::uint32_t> length_start;  // the first key of each length (one past the longest at the end)
    std::vector<Chunk> chunks;

    std::size_t keys() const { return key_length.size(); }
    // Key k's units, decoded into `units`.
    std::u16string_view key(std::uint32_t k, std::u16string& units) const {
        decode_key(std::string_view(key_bytes).substr(key_at[k], key_at[k + 1] - key_at[k]), units);
        return units;
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

    const std::size_t longest = key_length.empty() ? 0 : key_length.back();
    length_start.assign(longest + 2, 0);
    for (std::size_t length = 0, k = 0; length <= longest + 1; ++length) {
        while (k < key_length.size() && key_length[k] < length) ++k;
        length_start[length] = static_cast<std::uint32_t>(k);
    }

    // The posting lists, chunk by chunk: each key's pairs once, then the lists.
    std::vector<Gram> chunk_grams;
    std::vector<std::uint32_t> grams_at;
    for (std::size_t first = 0; first < representative.size(); first += chunk_keys) {
        Chunk& c = chunks.emplace_back();
        c.first = static_cast<std::uint32_t>(first);
        c.end = static_cast<std::uint32_t>(std::min(representative.size(), first + chunk_keys));
        chunk_grams.clear();
        grams_at.assign(1, 0);
        std::vector<std::uint32_t> counts;
        std::vector<std::uint32_t> last_key;  // per pair: the last key that held it, plus one
        for (std::uint32_t k = c.first; k < c.end; ++k) {
            // A pair that a key holds twice is counted once, without sorting its pairs.
            auto add = [&](Gram x) {
                const std::uint32_t id = c.grams.insert(x);
                if (id == counts.size()) {
                    counts.push_back(0);
                    last_key.push_back(0);
                }
                if (last_key[id] == k + 1) return;
                last_key[id] = k + 1;
                ++counts[id];
                chunk_grams.push_back(id);
            };
            Unit previous = start_unit;
            for (const Unit u : key(representative[k])) {
                add(static_cast<Gram>(previous) << 16 | u);
                previous = u;
            }
            add(static_cast<Gram>(previous) << 16 | end_unit);
            grams_at.push_back(static_cast<std::uint32_t>(chunk_grams.size()));
        }
        const std::uint32_t chunk_size = c.end - c.first;
        c.bitmap_of.assign(counts.size(), Chunk::no_bitmap);
        const std::size_t words = (chunk_size + 63) / 64;
        std::size_t dense = 0;
        for (std::size_t i = 0; i < counts.size(); ++i) {
            if (counts[i] * dense_share <= chunk_size) continue;
            c.bitmap_of[i] = static_cast<std::uint32_t>(dense++ * words);
            counts[i] = 0;
        }
        // Padded so that the look-up may read a few words past the last bitmap's end.
        c.bitmaps.assign(dense * words + max_plane_lanes, 0);
        c.gram_begin.assign(counts.size() + 1, 0);
        for (std::size_t i = 0; i < counts.size(); ++i) c.gram_begin[i + 1] = c.gram_begin[i] + counts[i];
        c.postings.resize(c.gram_begin.back());
        std::vector<std::uint32_t> fill(c.gram_begin.begin(), c.gram_begin.end() - 1);
        for (std::uint32_t k = 0; k < chunk_size; ++k) {
            for (std::uint32_t i = grams_at[k]; i < grams_at[k + 1]; ++i) {
                const std::uint32_t id = chunk_grams[i];
                if (c.bitmap_of[id] != Chunk::no_bitmap) {
                    c.bitmaps[c.bitmap_of[id] + k / 64] |= std::uint64_t{1} << (k % 64);
                } else {
                    c.postings[fill[id]++] = static_cast<std::uint16_t>(k);
                }
            }
        }
    }

    // The keys alone, in their order, replace the pool of every original.
    key_at.reserve(representative.size() + 1);
    for (const std::uint32_t r : representative) {
        key_at.push_back(static_cast<std::uint32_t>(key_bytes.size()));
        append_key(key(r), key_bytes);
    }
    key_at.push_back(static_cast<std::uint32_t>(key_bytes.size()));
    key_bytes.shrink_to_fit();
}

struct Memory::Impl {
    MemoryFiles& files;
    std::string folder;
    std::vector<std::string> named;
    std::vector<std::unique_ptr<Segment>> segments;  // the folder's libraries by name, then the named files
    // What was reported, so that a file that stays unreadable is reported once.
    std::vector<std::string> reported;

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
    class Search;
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

// A look-up finds what comparing the query with every key finds: the keys that score
// at least the N-th best suggestion, in the order of the files and of the keys within a
// file. It counts the pairs each key shares with the query, over the keys whose length
// can reach the score still needed; that count bounds the distance from below, and the
// real distance is computed only for keys whose bound can still reach that score.
//
// The score needed starts at the minimum and rises to the N-th best suggestion found so
// far. The keys of about the query's own length are counted first, then the lengths for
// 5 % less at a time: the matches found usually raise it, and the longer and shorter
// keys it then excludes are never counted.
class Memory::Impl::Search {
public:
    Search(const Impl& memory, std::string_view original, std::u16string_view asked, int min_score, std::size_t top)
        : memory_(memory),
          original_(original),
          asked_(asked),
          min_(min_score),
          top_(top),
          distance_to_(asked),
          scratch_(thread_scratch()),
          by_bound_(scratch_.by_bound),
          chunks_(scratch_.chunks),
          sparse_(scratch_.sparse),
          dense_(scratch_.dense) {
        for (auto& filed : scratch_.by_bound) filed.clear();
        chunks_.clear();
        sparse_.clear();
        dense_.clear();
        grams_of(asked, grams_);
        lq_ = asked.size();
        needed_ = min_;
        least_of_length_.resize(lengths_for(min_).second + 1);
        shortest_ = lengths_for(min_).first;
        scratch_.bound_row.assign(least_of_length_.size() - std::min(shortest_, least_of_length_.size()), UINT32_MAX);
        scratch_.bounds.clear();
        fit_least_shared();
    }

    std::vector<Impl::Found> run() {
        // The keys whose length allows 90 % first, then 85 %, 80 % and on down to the
        // score still needed.
        for (int pass = 90;; pass -= 5) {
            const int score = std::max({pass, min_, needed_});
            count(lengths_for(score));
            verify_down_to(score);
            if (score <= std::max(min_, needed_)) break;
        }
        std::sort(found_.begin(), found_.end(), [](const Hit& a, const Hit& b) {
            if (a.score != b.score) return a.score > b.score;
            if (a.segment != b.segment) return a.segment < b.segment;
            return a.key < b.key;
        });
        std::vector<Impl::Found> out;
        out.reserve(found_.size());
        for (const Hit& f : found_) out.push_back({f.score, memory_.segments[f.segment].get(), f.key});
        return out;
    }

private:
    struct Hit {
        int score;
        std::uint32_t segment;
        std::uint32_t key;
    };
    struct Candidate {
        std::uint32_t segment;
        std::uint32_t key;
    };
    // A sparse pair's posting list, and the part of it counted so far.
    struct Sparse {
        const std::uint16_t* begin;
        const std::uint16_t* end;
        const std::uint16_t* counted_begin;
        const std::uint16_t* counted_end;
    };
    // The query's pairs in one chunk: the posting lists of the sparse ones, the bitmaps
    // of the dense ones, as ranges of the look-up's lists of both.
    struct ChunkLists {
        std::uint32_t segment;
        const Chunk* chunk;
        std::uint32_t counted_first = 0, counted_end = 0;  // keys relative to the chunk
        std::uint32_t sparse_begin = 0, sparse_end = 0;
        std::uint32_t dense_begin = 0, dense_end = 0;
    };
    // What a look-up allocates once per thread, and keeps for the next.
    struct Scratch {
        std::vector<std::uint16_t> counts = std::vector<std::uint16_t>(chunk_keys, 0);
        std::vector<std::uint16_t> most = std::vector<std::uint16_t>(chunk_keys / 64, 0);
        std::vector<std::uint64_t> touched = std::vector<std::uint64_t>(chunk_keys / 64, 0);
        std::u16string units;
        std::vector<ChunkLists> chunks;
        std::vector<Sparse> sparse;
        std::vector<const std::uint64_t*> dense;
        std::vector<Candidate> by_bound[101];  // the keys counted, under the bound of their score
        std::vector<std::uint32_t> bound_row;  // per length from the shortest: its row of bounds
        std::vector<std::uint8_t> bounds;
    };
    static Scratch& thread_scratch() {
        thread_local Scratch scratch;
        return scratch;
    }

    // The lengths a key may have to score at least `score`.
    std::pair<std::size_t, std::size_t> lengths_for(int score) const {
        return {(lq_ * static_cast<std::size_t>(score) + 99) / 100, lq_ * 100 / static_cast<std::size_t>(score)};
    }
    // The least distance of a key of `length` units that shares `shared` of the query's
    // pairs. Each edit destroys at most two of the query's pairs, and an inserted unit at
    // most one, so the pairs lost are at most 2 * d - insertions.
    std::size_t least_distance(std::size_t shared, std::size_t length) const {
        const std::size_t inserted = length > lq_ ? length - lq_ : 0;
        const std::size_t by_length = length > lq_ ? length - lq_ : lq_ - length;
        return std::max(by_length, (grams_.size() - shared + inserted + 1) / 2);
    }

    // Finds the query's pairs in every chunk once.
    void find_lists() {
        // Three steps over every chunk, each asking for the cache lines the next reads:
        // each chunk's table is large, and a pair's slot, then its list, are misses.
        std::vector<const Chunk*> chunks;
        for (const auto& segment : memory_.segments) {
            for (const Chunk& c : segment->chunks) chunks.push_back(&c);
        }
        for (const Chunk* c : chunks) {
            for (const Gram g : grams_) c->grams.prefetch(g);
        }
        std::vector<std::uint32_t> ids(chunks.size() * grams_.size());
        for (std::size_t i = 0; i < chunks.size(); ++i) {
            for (std::size_t j = 0; j < grams_.size(); ++j) {
                const std::uint32_t id = chunks[i]->grams.find(grams_[j]);
                ids[i * grams_.size() + j] = id;
                if (id == GramTable::none) continue;
                prefetch_line(chunks[i]->bitmap_of.data() + id);
                prefetch_line(chunks[i]->gram_begin.data() + id);
            }
        }
        for (std::uint32_t si = 0, i = 0; si < memory_.segments.size(); ++si) {
            for (const Chunk& c : memory_.segments[si]->chunks) {
                ChunkLists& cl = chunks_.emplace_back();
                cl.segment = si;
                cl.chunk = &c;
                cl.sparse_begin = static_cast<std::uint32_t>(sparse_.size());
                cl.dense_begin = static_cast<std::uint32_t>(dense_.size());
                for (std::size_t j = 0; j < grams_.size(); ++j) {
                    const std::uint32_t id = ids[i * grams_.size() + j];
                    if (id == GramTable::none) continue;
                    if (c.bitmap_of[id] != Chunk::no_bitmap) {
                        dense_.push_back(c.bitmaps.data() + c.bitmap_of[id]);
                    } else {
                        const std::uint16_t* begin = c.postings.data() + c.gram_begin[id];
                        sparse_.push_back({begin, c.postings.data() + c.gram_begin[id + 1], begin, begin});
                    }
                }
                cl.sparse_end = static_cast<std::uint32_t>(sparse_.size());
                cl.dense_end = static_cast<std::uint32_t>(dense_.size());
                ++i;
            }
        }
        found_lists_ = true;
    }

    // How many of the query's pairs a key of `length` must share to reach the score still
    // needed, or 0 when its length alone keeps it below.
    std::size_t least_shared(std::size_t length) const {
        const std::size_t allowed = memory::max_distance(needed_, lq_, length);
        const std::size_t by_length = length > lq_ ? length - lq_ : lq_ - length;
        if (by_length > allowed) return 0;
        const std::size_t inserted = length > lq_ ? length - lq_ : 0;
        const std::size_t lost = 2 * allowed - inserted;
        const std::size_t bq = grams_.size();
        return std::max<std::size_t>(1, bq > lost ? bq - lost : 0);
    }

    // The bound of the score of a key of `length` that shares `shared` of the query's
    // pairs; a row for each length, worked out when a key of that length is first filed.
    std::size_t bound_of(std::size_t shared, std::size_t length) {
        static constexpr std::uint32_t no_row = UINT32_MAX;
        std::vector<std::uint32_t>& rows = scratch_.bound_row;
        std::vector<std::uint8_t>& bounds = scratch_.bounds;
        std::uint32_t& row = rows[length - shortest_];
        if (row == no_row) {
            row = static_cast<std::uint32_t>(bounds.size());
            for (std::size_t c = 0; c <= grams_.size(); ++c) {
                bounds.push_back(static_cast<std::uint8_t>(memory::score(least_distance(c, length), lq_, length)));
            }
        }
        return bounds[row + shared];
    }

    // The least counts of every length for the score now needed: as it rises, fewer keys
    // are read out of the bit planes and filed.
    void fit_least_shared() {
        for (std::size_t length = 0; length < least_of_length_.size(); ++length) {
            least_of_length_[length] = static_cast<std::uint32_t>(least_shared(length));
        }
    }

    // Counts the shared pairs of the keys of every file with a length in `lengths` that
    // were not counted before, and files under their bound those whose bound reaches the
    // score still needed. The lengths counted so far are always one range, within `lengths`.
    void count(std::pair<std::size_t, std::size_t> lengths) {
        if (lengths.first > lengths.second) return;
        if (!found_lists_) find_lists();
        for (ChunkLists& cl : chunks_) {
            const Segment& s = *memory_.segments[cl.segment];
            const Chunk& c = *cl.chunk;
            const auto [first, last] = s.keys_of_length(lengths.first, lengths.second);
            if (c.end <= first || c.first >= last) continue;
            const std::uint32_t lo = std::max(first, c.first) - c.first;
            const std::uint32_t hi = std::min(last, c.end) - c.first;
            if (cl.counted_first == cl.counted_end) {
                count_keys(cl, s, lo, hi, Side::Fresh);
                cl.counted_first = lo;
                cl.counted_end = hi;
                continue;
            }
            if (lo < cl.counted_first) count_keys(cl, s, lo, cl.counted_first, Side::Before);
            if (hi > cl.counted_end) count_keys(cl, s, cl.counted_end, hi, Side::After);
            cl.counted_first = std::min(lo, cl.counted_first);
            cl.counted_end = std::max(hi, cl.counted_end);
        }
    }

    // Counts the shared pairs of the keys [lo, hi) of a chunk and files those that can
    // still reach the score needed under their bounds. The sparse pairs are counted key
    // by key; the dense ones are added up in bit planes (plane i holds bit i of every
    // key's count), 64 keys to a word and several words side by side, and a key's count is
    // read out of them only when the planes show that it can reach the least count of its
    // length.
    // Where [lo, hi) lies: the chunk's first keys counted, or just before or after those
    // counted so far, where each posting list's part for it starts or ends.
    enum class Side { Fresh, Before, After };
    void count_keys(ChunkLists& cl, const Segment& s, std::uint32_t lo, std::uint32_t hi, Side side) {
        std::uint16_t* const counts = scratch_.counts.data();
        std::uint16_t* const most = scratch_.most.data();        // per 64 keys: their highest sparse count
        std::uint64_t* const touched = scratch_.touched.data();  // per 64 keys: those with a sparse count
        const Chunk& c = *cl.chunk;
        const std::uint32_t w0 = lo / 64, w1 = (hi - 1) / 64 + 1;
        // A list's keys are spread evenly enough for a guess from lo's place in the chunk to
        // land near: fewer of its cache lines are read than by halving the whole list.
        const double lo_share = static_cast<double>(lo) / static_cast<double>(c.end - c.first);
        for (Sparse& list : std::span(sparse_).subspan(cl.sparse_begin, cl.sparse_end - cl.sparse_begin)) {
            const std::uint16_t* from = side == Side::After    ? list.counted_end
                                        : side == Side::Before ? first_not_below(list.begin, list.counted_begin, lo)
                                                               : first_near(list.begin, list.end, lo, lo_share);
            const std::uint16_t* const end = side == Side::Before ? list.counted_begin : list.end;
            const std::uint16_t* p = from;
            for (; p != end && *p < hi; ++p) {
                const std::uint16_t n = ++counts[*p];
                std::uint16_t& m = most[*p / 64];
                m = std::max(m, n);
                touched[*p / 64] |= std::uint64_t{1} << (*p % 64);
            }
            if (side != Side::After) list.counted_begin = from;
            if (side != Side::Before) list.counted_end = p;
        }
        const std::span<const std::uint64_t* const> dense = std::span(dense_).subspan(cl.dense_begin,
                                                                                      cl.dense_end - cl.dense_begin);
        const auto planes = static_cast<std::size_t>(std::bit_width(dense.size()));
        const std::size_t lanes = bitmap_lanes();
        std::uint64_t plane[max_bit_planes][max_plane_lanes];
        // The words side by side, from a multiple of `lanes` (the bitmaps are padded to one).
        for (std::uint32_t group = w0 - w0 % lanes; group < w1; group += static_cast<std::uint32_t>(lanes)) {
            if (group % 8 == 0) {
                for (const std::uint64_t* bits : dense) prefetch_line(bits + group + 16);
            }
            add_bitmap_words(dense.data(), dense.size(), group, planes, plane, lanes);
            for (std::uint32_t w = std::max(group, w0); w < std::min<std::uint32_t>(group + lanes, w1); ++w) {
                file_candidates(cl, s, lo, hi, w, plane, w - group, planes);
                // The sparse counts go back to 0 for the next range.
                if (touched[w] != 0) {
                    std::fill_n(counts + std::size_t{w} * 64, 64, std::uint16_t{0});
                    touched[w] = 0;
                    most[w] = 0;
                }
            }
        }
    }

    // Files the keys of word w in [lo, hi) that can still reach the score needed; lane
    // `lane` of the planes holds the word's dense counts.
    void file_candidates(const ChunkLists& cl, const Segment& s, std::uint32_t lo, std::uint32_t hi, std::uint32_t w,
                         const std::uint64_t (*planes_of)[max_plane_lanes], std::size_t lane, std::size_t planes) {
        const Chunk& c = *cl.chunk;
        const std::uint16_t* const counts = scratch_.counts.data();
        const std::uint32_t word_lo = std::max(lo, w * 64);
        const std::uint32_t word_hi = std::min(hi, (w + 1) * 64);
        // The least count of the word's lengths (its keys are ordered by length).
        const std::size_t shortest = s.key_length[c.first + word_lo];
        const std::size_t longest = s.key_length[c.first + word_hi - 1];
        std::size_t least = SIZE_MAX;
        for (std::size_t length = shortest; length <= longest; ++length) {
            const std::size_t l = least_of_length_[length];
            if (l != 0) least = std::min(least, l);
        }
        if (least == SIZE_MAX) return;
        const std::uint64_t in_range = (word_lo % 64 == 0 ? ~std::uint64_t{0} : ~std::uint64_t{0} << (word_lo % 64)) &
                                       (word_hi % 64 == 0 ? ~std::uint64_t{0} : ~(~std::uint64_t{0} << (word_hi % 64)));
        std::uint64_t plane[max_bit_planes];
        for (std::size_t i = 0; i < planes; ++i) plane[i] = planes_of[i][lane];
        // A key with sparse pairs needs fewer dense ones: at most the word's highest sparse count fewer.
        // Bits outside [lo, hi) were summed too, and are left out here.
        const std::uint64_t touched = scratch_.touched[w];
        const std::size_t most = scratch_.most[w];
        std::uint64_t candidates = keys_with_at_least(plane, planes, least);
        if (touched != 0) candidates |= touched & keys_with_at_least(plane, planes, least > most ? least - most : 0);
        candidates &= in_range;
        while (candidates != 0) {
            const auto bit = static_cast<std::uint32_t>(std::countr_zero(candidates));
            candidates &= candidates - 1;
            const std::uint32_t k = w * 64 + bit;
            std::size_t shared = counts[k];
            for (std::size_t i = 0; i < planes; ++i) shared += (plane[i] >> bit & 1) << i;
            const std::size_t length = s.key_length[c.first + k];
            const std::size_t l = least_of_length_[length];
            if (l == 0 || shared < l) continue;
            by_bound_[bound_of(shared, length)].push_back({cl.segment, c.first + k});
        }
    }

    // The first of the ascending keys [begin, end) that is `key` or more: a binary search
    // whose steps do not branch on the keys, which no processor could predict.
    static const std::uint16_t* first_not_below(const std::uint16_t* begin, const std::uint16_t* end,
                                                std::uint32_t key) {
        auto n = static_cast<std::size_t>(end - begin);
        if (n == 0) return end;
        while (n > 1) {
            const std::size_t half = n / 2;
            begin = begin[half - 1] < key ? begin + half : begin;
            n -= half;
        }
        return begin + (*begin < key ? 1 : 0);
    }

    // The same, starting from a guess at `share` of the list and widening the step.
    static const std::uint16_t* first_near(const std::uint16_t* begin, const std::uint16_t* end, std::uint32_t key,
                                           double share) {
        const auto n = static_cast<std::size_t>(end - begin);
        if (n == 0) return end;
        const std::uint16_t* guess = begin + std::min(n - 1, static_cast<std::size_t>(share * static_cast<double>(n)));
        std::size_t step = 1;
        if (*guess < key) {
            // After guess: once guess[step] >= key (or the end), within (guess + step / 2, guess + step].
            const auto after = static_cast<std::size_t>(end - guess);
            while (step < after && guess[step] < key) step *= 2;
            return first_not_below(guess + step / 2 + 1, guess + std::min(step, after), key);
        }
        // Guess or before: once *(guess - step) < key (or the beginning), within
        // (guess - step, guess - step / 2], whose last is known to be key or more.
        const auto before = static_cast<std::size_t>(guess - begin);
        while (step <= before && *(guess - step) >= key) step *= 2;
        return first_not_below(step <= before ? guess - step + 1 : begin, guess - step / 2, key);
    }

    // The keys of a 64-key word whose count in the bit planes (plane i holds bit i of
    // every key's count) is `least` or more.
    static std::uint64_t keys_with_at_least(const std::uint64_t* plane, std::size_t planes, std::size_t least) {
        if (least == 0) return ~std::uint64_t{0};
        if (least >> planes != 0) return 0;
        std::uint64_t greater = 0, equal = ~std::uint64_t{0};
        for (std::size_t i = planes; i-- > 0;) {
            if (least >> i & 1) {
                equal &= plane[i];
            } else {
                greater |= equal & plane[i];
                equal &= ~plane[i];
            }
        }
        return greater | equal;
    }

    // The real distance of the keys filed under bounds from 100 down to `lowest`, as long
    // as a bound can still reach the score needed.
    void verify_down_to(int lowest) {
        for (int bound = 100; bound >= lowest && bound >= needed_; --bound) {
            const std::size_t before = found_.size();
            // A key is filed once; a bound compared before goes on where it stopped.
            const std::vector<Candidate>& filed = by_bound_[static_cast<std::size_t>(bound)];
            for (std::size_t& done = verified_[static_cast<std::size_t>(bound)]; done < filed.size(); ++done) {
                // The keys lie anywhere in their files: where the keys ahead start, then
                // their bytes, are asked for while this one is compared.
                if (done + 8 < filed.size()) {
                    const Candidate& a = filed[done + 8];
                    prefetch_line(memory_.segments[a.segment]->key_at.data() + a.key);
                }
                if (done + 4 < filed.size()) {
                    const Candidate& a = filed[done + 4];
                    const Segment& as = *memory_.segments[a.segment];
                    prefetch_line(as.key_bytes.data() + as.key_at[a.key]);
                }
                const Candidate& c = filed[done];
                const Segment& s = *memory_.segments[c.segment];
                const std::u16string_view units = s.key(c.key, scratch_.units);
                const std::size_t limit = memory::max_distance(needed_, lq_, units.size());
                const std::size_t d = distance_to_(units, limit);
                if (d > limit) continue;
                const int sc = memory::score(d, lq_, units.size());
                found_.push_back({sc, c.segment, c.key});
                add_fitted(sc, s, c.key);
            }
            if (found_.size() != before) update_needed();
        }
    }

    // The entries of key k, for the score of the N-th suggestion; fitted to the query
    // only when that score needs their text.
    void add_fitted(int score, const Segment& s, std::uint32_t k) {
        for (std::uint32_t e = s.key_begin[k]; e < s.key_begin[k + 1]; ++e) {
            const Pair& p = s.entries[e];
            if (e > s.key_begin[k] && p.original == s.entries[e - 1].original &&
                p.translation == s.entries[e - 1].translation) {
                continue;
            }
            fitted_.push_back({score, &p, {}, false});
        }
    }
    // The score of the N-th different translation found, once there are N.
    void update_needed() {
        if (fitted_.size() < top_) return;
        std::sort(fitted_.begin(), fitted_.end(), [](const Fitted& a, const Fitted& b) { return a.score > b.score; });
        std::vector<std::string_view> seen;
        for (Fitted& f : fitted_) {
            if (!f.made) {
                if (!asked_full_) asked_full_.emplace(memory::normalise(original_));
                f.text = memory::adapt_translation(*asked_full_, memory::normalise(f.pair->original),
                                                   f.pair->translation);
                f.made = true;
            }
            if (std::find(seen.begin(), seen.end(), f.text) != seen.end()) continue;
            seen.push_back(f.text);
            if (seen.size() == top_) {
                if (f.score > needed_) {
                    needed_ = f.score;
                    fit_least_shared();
                }
                return;
            }
        }
    }

    const Impl& memory_;
    std::string_view original_;
    std::u16string_view asked_;
    int min_;
    std::size_t top_;
    const memory::DistanceTo distance_to_;
    Scratch& scratch_;
    std::vector<Gram> grams_;
    std::size_t lq_ = 0;
    std::size_t shortest_ = 0;  // the shortest length that can reach the minimum
    int needed_ = 0;
    // In the scratch, emptied for this look-up.
    std::vector<Candidate>* const by_bound_;
    std::vector<ChunkLists>& chunks_;
    std::vector<Sparse>& sparse_;
    std::vector<const std::uint64_t*>& dense_;
    bool found_lists_ = false;
    std::vector<std::uint32_t>
        least_of_length_;             // least_shared of every length up to the longest that can reach the minimum
    std::size_t verified_[101] = {};  // per bound: how many of the keys filed under it were compared
    std::vector<Hit> found_;
    std::optional<memory::Normalised> asked_full_;
    struct Fitted {
        int score;
        const Pair* pair;
        std::string text;
        bool made;
    };
    std::vector<Fitted> fitted_;
};

std::vector<MemorySuggestion> Memory::suggest(std::string_view original, const MemoryQuery& query) const {
    std::u16string asked;
    memory::normalise_units(original, asked);
    if (query.top == 0) return {};
    // A text of many thousand characters (a program's --help) is found only when equal:
    // the distance to others like it would cost seconds.
    const int min_score = asked.size() > max_fuzzy_units ? 100 : std::clamp(query.min_score, 1, 100);
    Impl::Search search(*impl_, original, asked, min_score, query.top);
    return impl_->expand(original, search.run(), query);
}

std::vector<MemorySuggestion> Memory::suggest_by_scan(std::string_view original, const MemoryQuery& query) const {
    std::u16string asked;
    memory::normalise_units(original, asked);
    const int min_score = asked.size() > max_fuzzy_units ? 100 : std::clamp(query.min_score, 1, 100);
    const memory::DistanceTo distance_to(asked);
    std::vector<Impl::Found> found;
    std::u16string units_buffer;
    for (const auto& segment : impl_->segments) {
        const Segment& s = *segment;
        for (std::uint32_t k = 0; k < s.keys(); ++k) {
            const std::u16string_view units = s.key(k, units_buffer);
            const std::size_t limit = memory::max_distance(min_score, asked.size(), units.size());
            const std::size_t d = distance_to(units, limit);
            if (d <= limit) found.push_back({memory::score(d, asked.size(), units.size()), &s, k});
        }
    }
    return impl_->expand(original, std::move(found), query);
}

}  // namespace lexicon
