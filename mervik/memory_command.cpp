#include "mervik/memory_command.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <new>
#include <thread>
#include <unordered_map>

#include "lexicon/base/escapes.h"
#include "lexicon/base/gbk.h"
#include "lexicon/checks/entry_checks.h"
#include "lexicon/wordlist/word_list.h"
#include "lexicon/wordlist/word_list_writer.h"
#include "mervik/driver.h"

namespace mervik {
using namespace lexicon;  // the compiler is built on the shared lexicon library

namespace {

constexpr const char* crlf = "\r\n";
// Below 70 % a look-up in a large memory has to compare with many more texts, and
// offers little a translator would take; --min asks for less.
constexpr int suggest_min_score = 70;
constexpr int pretranslate_min_score = 70;
// The comment line that marks a filled-in translation for review.
constexpr std::string_view review_mark = ";@review";

std::string milliseconds(double ms) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", ms);
    return buffer;
}

// One suggestion as a line: score, translation, file, stored original, tab-separated,
// the texts written as a word list writes them.
std::string suggestion_line(const MemorySuggestion& s) {
    return cat(s.score, "%\t", escape_text(s.translation, EscapeFor::Translation), "\t", s.source, "\t",
               escape_text(s.original, EscapeFor::Original), crlf);
}

void print_messages(const Diagnostics& diagnostics, std::string_view source, Platform& platform, std::size_t& shown) {
    for (; shown < diagnostics.listed().size(); ++shown) {
        platform.print_error(cat(format_message(diagnostics.listed()[shown], source), crlf));
    }
}

class MemoryRun {
public:
    MemoryRun(const Request& request, Platform& platform, Diagnostics& diagnostics)
        : platform_(platform), diagnostics_(diagnostics) {
        files_ = platform.memory_files();
        if (files_ == nullptr) return;
        memory_.emplace(*files_);
        if (!request.memory_folder.empty()) memory_->set_folder(platform.native_path(request.memory_folder));
        for (const std::string& f : request.memory_files) memory_->add_file(platform.native_path(f));
    }

    // False when this system cannot read a memory at all.
    bool ready() {
        if (files_ != nullptr) return true;
        diagnostics_.add(Code::MemoryFolderUnreadable, 0, "这个系统上不能读取记忆库的文件夹");
        return false;
    }

    // The first refresh, timed, with W251 for a memory without entries.
    double open() {
        const double start = monotonic_ms();
        memory_->refresh(diagnostics_);
        const double ms = elapsed(start);
        if (memory_->entries() == 0) {
            diagnostics_.add(Code::MemoryEmpty, 0, "记忆库里没有条目，查找不会有结果");
        }
        return ms;
    }

    Memory& memory() { return *memory_; }

    static double elapsed(double since) { return monotonic_ms() - since; }

private:
    Platform& platform_;
    Diagnostics& diagnostics_;
    MemoryFiles* files_ = nullptr;
    std::optional<Memory> memory_;
};

// The lines of a text without their line ends, and each line's end.
struct Lines {
    std::vector<std::string_view> text;
    std::vector<std::string_view> end;
};
Lines split_lines(std::string_view all) {
    Lines lines;
    std::size_t at = 0;
    while (at < all.size()) {
        std::size_t stop = at;
        while (stop < all.size() && all[stop] != '\r' && all[stop] != '\n') ++stop;
        std::size_t next = stop;
        if (next < all.size() && all[next] == '\r') ++next;
        if (next < all.size() && all[next] == '\n' && (next == stop || all[next - 1] == '\r')) ++next;
        if (next == stop && next < all.size()) ++next;
        lines.text.push_back(all.substr(at, stop - at));
        lines.end.push_back(all.substr(stop, next - stop));
        at = next;
    }
    return lines;
}

int suggest_one(const Request& request, Platform& platform) {
    Diagnostics diagnostics;
    std::size_t shown = 0;
    MemoryRun run(request, platform, diagnostics);
    std::string original;
    if (!platform.description_to_gbk(request.source, original) || gbk::find_invalid(original) != std::string::npos) {
        diagnostics.add(Code::BadArguments, 0, "要查找的原文不能转换为 GBK 文字");
    } else if (run.ready()) {
        run.open();
        MemoryQuery query{request.top, request.min_score == 0 ? suggest_min_score : request.min_score};
        std::string out;
        for (const MemorySuggestion& s : run.memory().suggest(original, query)) out += suggestion_line(s);
        platform.write_stdout(out);
    }
    print_messages(diagnostics, "Mervik", platform, shown);
    return diagnostics.errors() > 0 ? exit_failed : exit_written;
}

int suggest_file(const Request& request, Platform& platform) {
    Diagnostics diagnostics;
    std::size_t shown = 0;
    const std::string path = platform.native_path(request.source);
    std::string queries;
    IoError io;
    MemoryRun run(request, platform, diagnostics);
    if (!platform.read_file(path, max_source_bytes, queries, io)) {
        diagnostics.add(Code::QueriesUnreadable, 0, cat("无法读取查询文件“", path, "”：", describe(io)));
        print_messages(diagnostics, "Mervik", platform, shown);
        return exit_failed;
    }
    if (!run.ready()) {
        print_messages(diagnostics, "Mervik", platform, shown);
        return exit_failed;
    }
    const double build_ms = run.open();
    print_messages(diagnostics, "Mervik", platform, shown);
    const MemoryQuery query{request.top, request.min_score == 0 ? suggest_min_score : request.min_score};
    const Lines lines = split_lines(queries);
    std::vector<double> times;
    std::string out;
    for (std::size_t i = 0; i < lines.text.size(); ++i) {
        const std::string_view line = lines.text[i];
        if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
        const auto number = static_cast<std::uint32_t>(i + 1);
        if (const std::size_t bad = gbk::find_invalid(line); bad != std::string_view::npos) {
            diagnostics.add(Code::QueryNotGbk, number,
                            cat("第 ", bad + 1, " 个字节 0x", "0123456789ABCDEF"[(line[bad] >> 4) & 0xF],
                                "0123456789ABCDEF"[line[bad] & 0xF], " 不是合法的 GBK 字符，这一行不查找"));
            print_messages(diagnostics, request.source, platform, shown);
            continue;
        }
        // A look-up sees a library that changed since the last one, as KORVEX's pane does.
        const double start = monotonic_ms();
        run.memory().refresh(diagnostics);
        const std::vector<MemorySuggestion> found = run.memory().suggest(line, query);
        times.push_back(MemoryRun::elapsed(start));
        print_messages(diagnostics, "Mervik", platform, shown);
        out += cat("#", number, "\t", escape_text(line, EscapeFor::Original), crlf);
        for (const MemorySuggestion& s : found) out += suggestion_line(s);
        out += crlf;
        if (out.size() > 1 << 16) {
            platform.write_stdout(out);
            out.clear();
        }
    }
    std::sort(times.begin(), times.end());
    auto at = [&](double share) {
        if (times.empty()) return 0.0;
        const std::size_t rank = static_cast<std::size_t>(share * static_cast<double>(times.size()) + 0.999999);
        return times[std::min(times.size(), std::max<std::size_t>(rank, 1)) - 1];
    };
    out += cat("; 记忆库：", run.memory().files(), " 个文件，", run.memory().entries(), " 个条目；建立索引用时 ",
               milliseconds(build_ms), " 毫秒", crlf);
    out += cat("; 查找 ", times.size(), " 次：中位数 ", milliseconds(at(0.5)), " 毫秒，95% ", milliseconds(at(0.95)),
               " 毫秒，最长 ", milliseconds(times.empty() ? 0.0 : times.back()), " 毫秒", crlf);
    platform.write_stdout(out);
    return diagnostics.errors() > 0 ? exit_failed : exit_written;
}

void write_items(const std::vector<ConsistencyItem>& items, const char* heading, const char* what, EscapeFor key,
                 EscapeFor variant, std::string& out) {
    out += cat("; ", heading, "：", items.size(), " 处", crlf);
    for (const ConsistencyItem& item : items) {
        out += cat(what, "“", escape_text(item.text, key), "”：", item.count, " 个条目", crlf);
        for (const ConsistencyVariant& v : item.variants) {
            std::string sources;
            for (const std::string& s : v.sources) sources += cat(sources.empty() ? "" : "、", s);
            out += cat("    ", escape_text(v.text, variant), "\t", v.count, " 个\t", sources, crlf);
        }
    }
    out += crlf;
}

int consistency(const Request& request, Platform& platform) {
    Diagnostics diagnostics;
    std::size_t shown = 0;
    MemoryRun run(request, platform, diagnostics);
    if (run.ready()) {
        run.open();
        const ConsistencyReport report = check_consistency(run.memory());
        std::string out;
        write_items(report.translations_differ, "同一原文的不同译文", "原文", EscapeFor::Original,
                    EscapeFor::Translation, out);
        write_items(report.originals_share, "不同原文的相同译文", "译文", EscapeFor::Translation, EscapeFor::Original,
                    out);
        platform.write_stdout(out);
    }
    print_messages(diagnostics, "Mervik", platform, shown);
    return diagnostics.errors() > 0 ? exit_failed : exit_written;
}

// The review comment: the score and file of what went in, and the other candidates.
std::string review_comment(const MemorySuggestion& chosen, const std::vector<MemorySuggestion>& found) {
    std::string line = cat(review_mark, " ", chosen.score, "% 原文“", escape_text(chosen.original, EscapeFor::Original),
                           "”（", chosen.source, "）");
    std::string others;
    for (const MemorySuggestion& s : found) {
        if (&s == &chosen) continue;
        others += cat(others.empty() ? "" : "；", "“", escape_text(s.translation, EscapeFor::Translation), "”", s.score,
                      "%（", s.source, "）");
    }
    if (!others.empty()) line += cat("；其他：", others);
    return line;
}

// What pre-translation puts into one entry: nothing, or a translation and, when it needs
// a review, the comment line that says so.
struct Outcome {
    bool filled = false;
    std::string translation;
    std::string comment;
};

Outcome decide(std::string_view original, const std::vector<MemorySuggestion>& found) {
    Outcome outcome;
    const MemorySuggestion* chosen = nullptr;
    for (const MemorySuggestion& s : found) {
        // What goes in must compile: the same placeholders, a length the list allows.
        if (!s.translation.empty() && s.translation.size() <= max_text_bytes &&
            placeholders_match(original, s.translation)) {
            chosen = &s;
            break;
        }
    }
    if (chosen == nullptr) return outcome;
    outcome.filled = true;
    outcome.translation = chosen->translation;
    const bool other_exact = std::any_of(found.begin(), found.end(), [&](const MemorySuggestion& s) {
        return &s != chosen && s.exact && s.translation != chosen->translation;
    });
    if (!chosen->exact || other_exact) outcome.comment = review_comment(*chosen, found);
    return outcome;
}

// What goes into every untranslated entry of `list`, in the list's order. An original
// that comes again is looked up once; the look-ups share the machine's cores.
std::vector<Outcome> pretranslate_all(const Memory& memory, const WordList& list, const MemoryQuery& query) {
    const auto& entries = list.untranslated();
    std::vector<std::size_t> first_of(entries.size());
    std::vector<std::size_t> distinct;
    std::unordered_map<std::string_view, std::size_t> seen;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto [it, added] = seen.emplace(list.original(entries[i]), i);
        first_of[i] = it->second;
        if (added) distinct.push_back(i);
    }
    std::vector<Outcome> outcomes(entries.size());
    std::atomic<std::size_t> next{0};
    std::atomic<bool> out_of_memory{false};
    auto work = [&] {
        try {
            for (std::size_t n; (n = next.fetch_add(1)) < distinct.size() && !out_of_memory;) {
                const std::size_t i = distinct[n];
                const std::string_view original = list.original(entries[i]);
                outcomes[i] = decide(original, memory.suggest(original, query));
            }
        } catch (const std::bad_alloc&) {
            out_of_memory = true;
        }
    };
    const std::size_t helpers = std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()),
                                                      distinct.size() / 64 + 1) -
                                1;
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < helpers; ++t) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
    if (out_of_memory) throw std::bad_alloc();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (first_of[i] != i) outcomes[i] = outcomes[first_of[i]];
    }
    return outcomes;
}

}  // namespace

int report_from_memory(const Request& request, Platform& platform) {
    try {
        switch (request.mode) {
        case Request::Mode::Suggest:
            return suggest_one(request, platform);
        case Request::Mode::SuggestFile:
            return suggest_file(request, platform);
        default:
            return consistency(request, platform);
        }
    } catch (const std::bad_alloc&) {
        const Diagnostic out_of_memory{Code::OutOfMemory, 0, "内存不足，记忆库放不下"};
        platform.print_error(format_message(out_of_memory, "Mervik") + "\r\n");
        return exit_failed;
    }
}

void pretranslate(const Request& request, Platform& platform, Diagnostics& diagnostics, std::string& result,
                  int& exit_code) {
    result = "未生成词库源文件。";
    const std::string path = platform.native_path(request.source);
    std::string source;
    IoError io;
    if (!platform.read_file(path, max_source_bytes, source, io)) {
        diagnostics.add(io.failure == IoFailure::TooLarge ? Code::SourceTooLarge : Code::QueriesUnreadable, 0,
                        cat("无法读取词表“", path, "”：", describe(io)));
        return;
    }
    pretranslate_source(request, platform, std::move(source), path, diagnostics, result, exit_code);
}

void pretranslate_source(const Request& request, Platform& platform, std::string source, const std::string& path,
                         Diagnostics& diagnostics, std::string& result, int& exit_code) {
    result = "未生成词库源文件。";
    // The list's own warnings (every empty translation is one) are not this run's news;
    // its errors are.
    Diagnostics own;
    const WordList list = compile_word_list(source, own);
    if (own.errors() > 0) {
        for (const Diagnostic& d : own.listed()) {
            if (!is_warning(d.code)) diagnostics.add(d.code, d.line, d.text);
        }
        result = "词表有错误，未预翻译；请先改正错误。";
        exit_code = exit_source_errors;
        return;
    }

    Request with_folder = request;
    if (with_folder.memory_folder.empty()) {
        // The LIB folder beside the list, where the editor writes the libraries.
        const std::string_view dir = directory_of(path);
        with_folder.memory_folder = dir.empty() ? std::string("LIB") : cat(dir, path[dir.size()], "LIB");
    }
    MemoryRun run(with_folder, platform, diagnostics);
    if (!run.ready()) return;
    run.open();
    if (diagnostics.errors() > 0 && run.memory().entries() == 0) return;

    const int min_score = request.min_score == 0 ? pretranslate_min_score : request.min_score;
    const Lines lines = split_lines(source);
    std::vector<std::string> replaced(lines.text.size());
    std::vector<std::string> comment(lines.text.size());
    std::vector<bool> has_replacement(lines.text.size(), false);
    std::size_t filled = 0, marked = 0, missing = 0;
    const std::vector<Outcome> outcomes = pretranslate_all(run.memory(), list, {5, min_score});
    for (std::size_t n = 0; n < list.untranslated().size(); ++n) {
        const Entry& e = list.untranslated()[n];
        const Outcome& outcome = outcomes[n];
        const std::size_t at = e.line - 1;
        if (!outcome.filled || at >= lines.text.size()) {
            ++missing;
            continue;
        }
        ++filled;
        replaced[at] = word_list_line(list.original(e), outcome.translation);
        has_replacement[at] = true;
        if (!outcome.comment.empty()) {
            ++marked;
            // Before the placeholder opt-out of the entry, which must stay right above it.
            const std::size_t where = at > 0 && lines.text[at - 1] == placeholder_opt_out ? at - 1 : at;
            comment[where] = outcome.comment;
        }
    }

    // A line repeated word for word is one entry to the list (W201), so it gets what its
    // first occurrence got: left empty it would contradict it (E105).
    std::map<std::string_view, std::size_t> first_filled;
    for (std::size_t i = 0; i < lines.text.size(); ++i) {
        if (has_replacement[i]) first_filled.emplace(lines.text[i], i);
    }
    for (std::size_t i = 0; i < lines.text.size(); ++i) {
        const auto it = first_filled.find(lines.text[i]);
        if (has_replacement[i] || it == first_filled.end() || it->second > i) continue;
        has_replacement[i] = true;
        replaced[i] = replaced[it->second];
        const std::size_t from = it->second > 0 && !comment[it->second - 1].empty() &&
                                         lines.text[it->second - 1] == placeholder_opt_out
                                     ? it->second - 1
                                     : it->second;
        const std::size_t where = i > 0 && lines.text[i - 1] == placeholder_opt_out ? i - 1 : i;
        if (!comment[from].empty()) comment[where] = comment[from];
    }

    std::string out;
    out.reserve(source.size() + filled * 32);
    for (std::size_t i = 0; i < lines.text.size(); ++i) {
        const std::string_view end = lines.end[i].empty() ? std::string_view(crlf) : lines.end[i];
        if (!comment[i].empty()) out += cat(comment[i], end);
        out += has_replacement[i] ? std::string_view(replaced[i]) : lines.text[i];
        out += lines.end[i];
    }
    // The result has to compile like the list did; checked rather than trusted.
    Diagnostics check;
    compile_word_list(out, check);
    if (check.errors() > 0) {
        for (const Diagnostic& d : check.listed()) {
            if (!is_warning(d.code)) diagnostics.add(d.code, d.line, cat("（预翻译的结果）", d.text));
        }
        result = "预翻译的结果不能编译，未写出；原有的同名文件保持不变。";
        return;
    }
    const std::string out_path = platform.native_path(request.output);
    if (!write_text_output(platform, out_path, "词库源文件", out, diagnostics)) return;
    if (missing > 0) {
        diagnostics.add(Code::PretranslateNotFound, 0,
                        cat("有 ", missing, " 个条目没有找到 ", min_score, "% 以上的译文，仍然留空"));
    }
    result = cat("已生成词库源文件“", out_path, "”：填入 ", filled, " 个译文，其中 ", marked, " 个待审（", review_mark,
                 "）；", missing, " 个仍为空。");
    exit_code = exit_written;
}

}  // namespace mervik
