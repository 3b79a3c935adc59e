// The translation memory's figures: recall of the index against comparing with every
// entry, look-up times, and a memory of a million entries built from real translations
// multiplied with varied words and numbers. Prints figures, asserts nothing.
//
//   memory_bench real LIB QUERIES.txt [COUNT]      recall and times over LIB; writes the queries
//   memory_bench held LIB QUERIES.txt              recall and times of the queries in the file
//   memory_bench multiply LIB OUT_LIB N LIST.trs M  writes N entries as libraries, and a list of M
//                                                   untranslated originals for --pretranslate
//   memory_bench big OUT_LIB QUERIES.txt           build time, memory and look-ups over OUT_LIB
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "lexicon/base/escapes.h"
#include "lexicon/library/library_writer.h"
#include "lexicon/memory/memory.h"
#include "lexicon/wordlist/word_list.h"
#include "mervik/memory_command.h"

namespace {

using namespace lexicon;

double now_ms() { return mervik::monotonic_ms(); }

long rss_kb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::string(field).size());
    }
    return 0;
}

struct Random {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    std::uint32_t next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state >> 33);
    }
    std::size_t below(std::size_t n) { return n == 0 ? 0 : next() % n; }
};

std::vector<std::string> words_of(const std::string& text) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        if (end > at) words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

std::string joined(const std::vector<std::string>& words) {
    std::string out;
    for (const auto& w : words) out += (out.empty() ? "" : " ") + w;
    return out;
}

// A new original like the ones a translator meets: an original of the memory as it is,
// with a word replaced, left out or added, or with other numbers.
std::string mutate(const std::string& original, const std::vector<std::string>& vocabulary, Random& random) {
    std::vector<std::string> words = words_of(original);
    if (words.empty()) return original;
    switch (random.below(5)) {
    case 0:
        return original;
    case 1:
        words[random.below(words.size())] = vocabulary[random.below(vocabulary.size())];
        break;
    case 2:
        if (words.size() > 1) words.erase(words.begin() + static_cast<std::ptrdiff_t>(random.below(words.size())));
        break;
    case 3:
        words.insert(words.begin() + static_cast<std::ptrdiff_t>(random.below(words.size() + 1)),
                     vocabulary[random.below(vocabulary.size())]);
        break;
    default:
        words.push_back(std::to_string(random.below(1000)));
        break;
    }
    return joined(words);
}

bool printable(const std::string& text) {
    if (text.empty() || text.size() > 200) return false;
    for (const char c : text) {
        if (c == '\n' || c == '\r' || c == '\t') return false;
    }
    return true;
}

struct Originals {
    std::vector<std::string> texts;
    std::vector<std::string> vocabulary;
};

Originals originals_of(const Memory& memory) {
    std::set<std::string> seen, words;
    Originals o;
    memory.for_each([&](const MemoryRecord& r) {
        const std::string text(r.original);
        if (!printable(text) || !seen.insert(text).second) return;
        o.texts.push_back(text);
        for (const auto& w : words_of(text)) {
            if (w.size() > 2 && w.size() < 12 && words.size() < 5000) words.insert(w);
        }
    });
    o.vocabulary.assign(words.begin(), words.end());
    return o;
}

double percentile(std::vector<double> v, double share) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t rank = static_cast<std::size_t>(share * static_cast<double>(v.size()) + 0.999999);
    return v[std::min(v.size(), std::max<std::size_t>(rank, 1)) - 1];
}

void print_times(const char* what, const std::vector<double>& times) {
    std::printf("%-34s median %8.3f ms   95th %8.3f ms   max %8.3f ms   (%zu look-ups)\n", what, percentile(times, 0.5),
                percentile(times, 0.95), percentile(times, 1.0), times.size());
}

std::vector<std::string> read_lines(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// Index against comparing with every entry, over `queries`; brute force on the first
// `scanned` of them.
void compare(const Memory& memory, const std::vector<std::string>& queries, std::size_t scanned) {
    std::vector<double> indexed_times, indexed70_times, scan_times;
    std::size_t expected = 0, same_translation = 0, same_score = 0, with_match = 0;
    for (std::size_t q = 0; q < queries.size(); ++q) {
        double t = now_ms();
        const auto indexed = memory.suggest(queries[q], {5, 50});
        indexed_times.push_back(now_ms() - t);
        t = now_ms();
        memory.suggest(queries[q], {5, 70});
        indexed70_times.push_back(now_ms() - t);
        if (q >= scanned) continue;
        t = now_ms();
        const auto scan = memory.suggest_by_scan(queries[q], {5, 70});
        scan_times.push_back(now_ms() - t);
        if (!scan.empty()) ++with_match;
        expected += scan.size();
        std::vector<bool> used(indexed.size(), false);
        for (std::size_t i = 0; i < scan.size(); ++i) {
            for (std::size_t j = 0; j < indexed.size(); ++j) {
                if (!used[j] && indexed[j].translation == scan[i].translation && indexed[j].score == scan[i].score) {
                    used[j] = true;
                    ++same_translation;
                    break;
                }
            }
            // With ties at the last place either list may hold another text of the same score.
            if (i < indexed.size() && indexed[i].score == scan[i].score) ++same_score;
        }
    }
    std::printf("queries with a brute-force match >= 70%%: %zu of %zu\n", with_match,
                std::min(scanned, queries.size()));
    if (expected > 0) {
        std::printf("recall in the top 5 (same translation and score): %zu of %zu = %.1f %%\n", same_translation,
                    expected, 100.0 * static_cast<double>(same_translation) / static_cast<double>(expected));
        std::printf("recall in the top 5 (same scores, ties either way): %zu of %zu = %.1f %%\n", same_score, expected,
                    100.0 * static_cast<double>(same_score) / static_cast<double>(expected));
    }
    print_times("index look-up, 50 % and up:", indexed_times);
    print_times("index look-up, 70 % and up:", indexed70_times);
    print_times("brute force, 70 % and up:", scan_times);
    const double ratio = percentile(scan_times, 0.5) / std::max(percentile(indexed70_times, 0.5), 1e-6);
    std::printf("brute force / index at 70 %% (medians): %.2f x\n", ratio);
}

int real(const char* folder, const char* queries_path, std::size_t count) {
    auto files = mervik::make_memory_files();
    Memory memory(*files);
    memory.set_folder(folder);
    Diagnostics diagnostics;
    const double t = now_ms();
    memory.refresh(diagnostics);
    std::printf("real memory: %zu libraries, %zu entries, index built in %.0f ms\n", memory.files(), memory.entries(),
                now_ms() - t);
    const Originals o = originals_of(memory);
    Random random;
    std::vector<std::string> queries;
    std::ofstream out(queries_path, std::ios::binary);
    while (queries.size() < count && !o.texts.empty()) {
        const std::string q = mutate(o.texts[random.below(o.texts.size())], o.vocabulary, random);
        if (!printable(q)) continue;
        queries.push_back(q);
        out << q << "\r\n";
    }
    compare(memory, queries, queries.size());
    return 0;
}

// Held-out queries: real originals of catalogues the memory was not made from, as they are
// (GTK's "_Open", LibreOffice's "~Open", shortcuts after a tab), read from a file.
int held(const char* folder, const char* queries_path) {
    auto files = mervik::make_memory_files();
    Memory memory(*files);
    memory.set_folder(folder);
    Diagnostics diagnostics;
    memory.refresh(diagnostics);
    std::printf("memory: %zu libraries, %zu entries\n", memory.files(), memory.entries());
    compare(memory, read_lines(queries_path), static_cast<std::size_t>(-1));
    return 0;
}

int multiply(const char* folder, const char* out_folder, std::size_t n, const char* list_path, std::size_t m) {
    auto files = mervik::make_memory_files();
    Memory memory(*files);
    memory.set_folder(folder);
    Diagnostics diagnostics;
    memory.refresh(diagnostics);
    // The real pairs, one per original.
    std::vector<std::pair<std::string, std::string>> real;
    std::set<std::string> seen;
    memory.for_each([&](const MemoryRecord& r) {
        if (seen.insert(std::string(r.original)).second) real.emplace_back(r.original, r.translation);
    });
    const Originals o = originals_of(memory);
    Random random;
    // Variant v of every real pair: a word (and a number for every other variant) in front,
    // the same in the translation; one library per variant, so originals stay unique.
    std::size_t written = 0;
    for (std::size_t v = 0; written < n; ++v) {
        std::vector<std::string> originals, translations;
        const std::string word = v == 0 ? "" : o.vocabulary[(v * 7919) % o.vocabulary.size()];
        for (const auto& [original, translation] : real) {
            if (written + originals.size() >= n) break;
            if (v == 0) {
                originals.push_back(original);
                translations.push_back(translation);
                continue;
            }
            const std::string number = v % 2 == 0 ? cat(" ", random.below(10000)) : std::string();
            std::string changed = cat(word, " ", original, number);
            if (changed.size() > max_text_bytes) continue;
            std::string translated = cat(word, " ", translation, number);
            if (translated.size() > max_text_bytes) continue;
            originals.push_back(std::move(changed));
            translations.push_back(std::move(translated));
        }
        std::vector<TextPair> pairs;
        std::set<std::string_view> unique;
        for (std::size_t i = 0; i < originals.size(); ++i) {
            if (unique.insert(originals[i]).second) pairs.push_back({originals[i], translations[i]});
        }
        StringSink sink;
        write_library(pairs, "synthetic", sink);
        std::ofstream(cat(out_folder, "/m", v, ".LIB"), std::ios::binary) << sink.bytes;
        written += pairs.size();
    }
    std::ofstream list(list_path, std::ios::binary);
    for (std::size_t i = 0; i < m; ++i) {
        list << escape_text(mutate(o.texts[random.below(o.texts.size())], o.vocabulary, random), EscapeFor::Original)
             << "=\r\n";
    }
    std::printf("synthetic memory: %zu entries written to %s\n", written, out_folder);
    return 0;
}

int big(const char* folder, const char* queries_path) {
    const long before = rss_kb("VmRSS:");
    auto files = mervik::make_memory_files();
    Memory memory(*files);
    memory.set_folder(folder);
    Diagnostics diagnostics;
    const double t = now_ms();
    memory.refresh(diagnostics);
    const double built = now_ms() - t;
    std::printf("big memory: %zu libraries, %zu entries: index built in %.2f s, memory %ld MB (peak %ld MB)\n",
                memory.files(), memory.entries(), built / 1000.0, (rss_kb("VmRSS:") - before) / 1024,
                rss_kb("VmHWM:") / 1024);
    std::printf("against the goals: build %.2f x of 10 s, peak memory %.2f x of 300 MB\n", built / 10000.0,
                static_cast<double>(rss_kb("VmHWM:")) / 1024.0 / 300.0);
    compare(memory, read_lines(queries_path), 50);
    // A look-up as Mervik and KORVEX do it: refresh (nothing changed) and suggest.
    std::vector<double> times;
    for (const std::string& q : read_lines(queries_path)) {
        const double s = now_ms();
        memory.refresh(diagnostics);
        memory.suggest(q, {5, 70});
        times.push_back(now_ms() - s);
    }
    print_times("refresh + look-up, 70 % and up:", times);
    std::printf("against the goal: 95th percentile %.2f x of 20 ms\n", percentile(times, 0.95) / 20.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "real" && argc >= 4)
        return real(argv[2], argv[3], argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 1000);
    if (mode == "multiply" && argc >= 7) {
        return multiply(argv[2], argv[3], std::strtoul(argv[4], nullptr, 10), argv[5],
                        std::strtoul(argv[6], nullptr, 10));
    }
    if (mode == "big" && argc >= 4) return big(argv[2], argv[3]);
    if (mode == "held" && argc >= 4) return held(argv[2], argv[3]);
    std::fprintf(stderr, "usage: see the comment at the top of memory_bench.cpp\n");
    return 2;
}
