#include "mervik/apply_command.h"

#include <set>
#include <unordered_map>

#include "lexicon/base/library_format.h"
#include "lexicon/library/library_reader.h"
#include "lexicon/program/program_apply.h"
#include "lexicon/program/program_extract.h"
#include "lexicon/wordlist/word_list.h"
#include "mervik/driver.h"

namespace mervik {
using namespace lexicon;  // the compiler is built on the shared lexicon library

namespace {

constexpr std::size_t max_program_bytes = 512u * 1024 * 1024;

struct Translation {
    std::string text;
    std::string refused_by;  // the check that keeps it out of the program, if any
};

// Two paths name the same file when they are equal but for the case of their letters and
// the kind of separator (Windows' file names ignore case).
bool same_path(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x == '\\') x = '/';
        if (y == '\\') y = '/';
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
        // A GBK trail byte is compared as it is.
        if (static_cast<unsigned char>(a[i]) >= 0x81 && i + 1 < a.size()) {
            ++i;
            if (a[i] != b[i]) return false;
        }
    }
    return true;
}

// Adds the entries of one library or word list; later files win. False when it cannot
// be read or a word list has errors (other than placeholders, which refuse the entry).
bool add_library(const std::string& name, Platform& platform, std::unordered_map<std::string, Translation>& table,
                 Diagnostics& diagnostics) {
    std::string bytes;
    IoError io;
    if (!platform.read_file(platform.native_path(name), max_source_bytes, bytes, io)) {
        diagnostics.add(io.failure == IoFailure::TooLarge ? Code::SourceTooLarge : Code::SourceUnreadable, 0,
                        cat("无法读取词库“", name, "”：", describe(io)));
        return false;
    }
    if (std::string_view(bytes).starts_with(std::string_view(format::magic, sizeof format::magic))) {
        std::string why;
        const auto library = Library::open(std::move(bytes), why);
        if (!library) {
            diagnostics.add(Code::SourceUnreadable, 0, cat("无法读取词库“", name, "”：", why));
            return false;
        }
        for (const LibraryEntry e : *library) {
            table[std::string(e.original)] = {std::string(e.translation), refusing_check(e.original, e.translation)};
        }
        return true;
    }
    // A word list: its own checks, with its opt-outs, decide which translations are refused.
    Diagnostics found(SIZE_MAX);
    const WordList list = compile_word_list(std::move(bytes), found);
    std::unordered_map<std::uint32_t, std::string> refused;
    std::size_t errors = 0;
    for (const Diagnostic& d : found.listed()) {
        if (d.code == Code::PlaceholderMismatch) {
            refused[d.line] = "E108";
        } else if (d.code == Code::AccessKeyMismatch) {
            refused.try_emplace(d.line, "W204");
        } else if (!is_warning(d.code)) {
            if (errors++ < 20) diagnostics.add(d.code, 0, cat(name, "(", d.line, ")：", d.text));
        }
    }
    if (errors > 0) {
        diagnostics.add(Code::SourceUnreadable, 0, cat("词表“", name, "”有 ", errors, " 个错误，先改正它们"));
        return false;
    }
    for (const Entry& e : list.entries()) {
        const auto r = refused.find(e.line);
        table[std::string(list.original(e))] = {std::string(list.translation(e)),
                                                r == refused.end() ? std::string() : r->second};
    }
    return true;
}

}  // namespace

void apply_libraries(const Request& request, Platform& platform, Diagnostics& diagnostics, std::string& result,
                     int& exit_code) {
    result = "未生成程序。";
    exit_code = exit_failed;
    const std::string input = platform.native_path(request.programs.front());
    const std::string output = platform.native_path(request.output);
    if (same_path(input, output)) {
        diagnostics.add(Code::BadArguments, 0,
                        cat("输出程序“", output, "”就是输入的程序：--apply 从不改写原来的程序，请用另一个文件名"));
        return;
    }
    std::unordered_map<std::string, Translation> table;
    for (const std::string& library : request.libraries) {
        if (!add_library(library, platform, table, diagnostics)) {
            exit_code = exit_source_errors;
            return;
        }
    }
    std::string bytes;
    IoError io;
    if (!platform.read_file(input, max_program_bytes, bytes, io)) {
        diagnostics.add(Code::SourceUnreadable, 0, cat("无法读取程序“", request.programs.front(), "”：", describe(io)));
        return;
    }
    ApplyOptions options;
    options.source_language = request.source_language;
    if (request.translation_language_given) options.translation_language = request.translation_language;
    options.fit = !request.no_fit;
    ApplyCounts n;
    std::string error;
    const Translations lookup = [&table](std::string_view original) -> std::optional<Found> {
        const auto it = table.find(std::string(original));
        if (it == table.end()) return std::nullopt;
        return Found{it->second.text, it->second.refused_by};
    };
    const auto written = apply_translations(request.programs.front(), bytes, lookup, options, n, diagnostics, error);
    if (!written) {
        diagnostics.add(Code::ProgramNotRewritable, 0, cat("无法改写程序“", request.programs.front(), "”：", error));
        exit_code = exit_source_errors;
        return;
    }
    if (!write_text_output(platform, output, "程序", *written, diagnostics)) return;
    result = cat("已生成程序“", output, "”：", n.translated, " 处译文，", n.untranslated, " 处没有译文，", n.refused,
                 " 处译文未通过检查，", n.widened, " 个控件加宽，", n.not_fitting, " 处仍然放不下。");
    exit_code = exit_written;
}

}  // namespace mervik
