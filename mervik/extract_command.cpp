#include "mervik/extract_command.h"

#include "lexicon/program/pe_resources.h"
#include "lexicon/program/program_extract.h"
#include "mervik/driver.h"
#include "mervik/memory_command.h"

namespace mervik {
using namespace lexicon;  // the compiler is built on the shared lexicon library

namespace {

// A program read whole; the largest of the system's own DLLs are well below this.
constexpr std::size_t max_program_bytes = 512u * 1024 * 1024;
// The headers of a program, section table included, are within its first page or few.
constexpr std::size_t head_bytes = 16 * 1024;

}  // namespace

void extract_programs(const Request& request, Platform& platform, Diagnostics& diagnostics, std::string& result,
                      int& exit_code) {
    result = "未生成词库源文件。";
    exit_code = exit_failed;
    ExtractOptions options;
    options.source_language = request.source_language;
    options.translation_language = request.translation_language;
    ProgramExtractor extractor(options);
    bool unreadable = false;
    for (const std::string& program : request.programs) {
        const std::string path = platform.native_path(program);
        std::string head, part, bytes;
        IoError io;
        // The headers and the resource section are all that is read of most programs;
        // the whole file only where they do not tell (or the resources reach outside).
        if (!platform.read_range(path, 0, head_bytes, head, io)) {
            diagnostics.add(Code::SourceUnreadable, 0, cat("无法读取程序“", program, "”：", describe(io)));
            unreadable = true;
            continue;
        }
        if (const auto range = pe::resource_range(head);
            range && platform.read_range(path, range->offset, range->size, part, io)) {
            Diagnostics tried;
            if (extractor.add(program, head, range->offset, part, tried)) {
                for (const Diagnostic& d : tried.listed()) diagnostics.add(d.code, d.line, d.text);
                continue;
            }
        }
        if (!platform.read_file(path, max_program_bytes, bytes, io)) {
            diagnostics.add(Code::SourceUnreadable, 0, cat("无法读取程序“", program, "”：", describe(io)));
            unreadable = true;
            continue;
        }
        extractor.add(program, bytes, diagnostics);
    }
    if (unreadable) return;
    if (diagnostics.errors() > 0) {
        result = "有的程序无法读取，未生成词库源文件；原有的同名文件保持不变。";
        exit_code = exit_source_errors;
        return;
    }
    const std::string path = platform.native_path(request.output);
    std::string text = extractor.word_list();
    if (!request.memory_folder.empty()) {
        // Pre-translated as --pretranslate would, then written by it.
        const ExtractCounts& n = extractor.counts();
        pretranslate_source(request, platform, std::move(text), path, diagnostics, result, exit_code);
        if (exit_code == exit_written) {
            result = cat(result, "（", n.files, " 个程序，", n.entries, " 个条目，程序自带译文 ", n.translated,
                         " 个）");
        }
        return;
    }
    IoError io;
    const auto fail = [&](const IoError& e) {
        diagnostics.add(Code::OutputUnwritable, 0, cat("无法写入词库源文件“", path, "”：", describe(e)));
    };
    if (const std::string_view dir = directory_of(path);
        !dir.empty() && !platform.make_directories(std::string(dir), io)) {
        fail(io);
        return;
    }
    const auto file = platform.create_atomic(path, io);
    if (!file) return fail(io);
    if (!file->write(text.data(), text.size())) return fail(file->write_error());
    if (!file->commit(io)) return fail(io);
    const ExtractCounts& n = extractor.counts();
    result = cat("已生成词库源文件“", path, "”：", n.files, " 个程序，", n.entries, " 个条目，其中 ", n.translated,
                 " 个有译文。");
    exit_code = exit_written;
}

}  // namespace mervik
