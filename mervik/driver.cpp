#include "mervik/driver.h"

#include <new>
#include <optional>

#include "lexicon/base/diagnostics.h"
#include "lexicon/base/escapes.h"
#include "lexicon/base/gbk.h"
#include "lexicon/base/library_format.h"
#include "lexicon/exchange/po_reader.h"
#include "lexicon/exchange/po_writer.h"
#include "lexicon/library/library_reader.h"
#include "lexicon/library/library_writer.h"
#include "lexicon/program/program_extract.h"
#include "lexicon/wordlist/word_list.h"
#include "lexicon/wordlist/word_list_writer.h"
#include "mervik/apply_command.h"
#include "mervik/command_line.h"
#include "mervik/command_table.h"
#include "mervik/extract_command.h"
#include "mervik/fit_check.h"
#include "mervik/memory_command.h"

namespace mervik {
using namespace lexicon;  // the compiler is built on the shared lexicon library

std::string describe(const IoError& error) {
    switch (error.failure) {
    case IoFailure::NotFound:
        return "文件或文件夹不存在";
    case IoFailure::AccessDenied:
        return "没有访问权限，或文件正被其他程序使用";
    case IoFailure::DiskFull:
        return "磁盘空间不足";
    case IoFailure::IsDirectory:
        return "这是一个文件夹";
    case IoFailure::NotADirectory:
        return "已有同名的文件，不是文件夹";
    case IoFailure::TooLarge:
        return cat("文件太大（上限 ", max_source_bytes / (1024 * 1024), " MB）");
    case IoFailure::Other:
        break;
    }
    return cat("系统错误 ", error.system_code);
}

namespace {

constexpr const char* crlf = "\r\n";

// Everything a compile run reports, and the exit code it ends with.
struct Outcome {
    Diagnostics diagnostics;
    std::string source_name;
    std::string result;  // the last line of Mervik.ERR
    int exit_code = exit_failed;
};

std::string messages_text(const Outcome& o) {
    std::string text;
    for (const Diagnostic& d : o.diagnostics.listed()) text += format_message(d, o.source_name) + crlf;
    if (o.diagnostics.unlisted() > 0) text += cat("……另有 ", o.diagnostics.unlisted(), " 条消息未列出。", crlf);
    text += cat("共有 ", o.diagnostics.errors(), " 个错误，", o.diagnostics.warnings(), " 个警告。", crlf);
    text += o.result + crlf;
    return text;
}

// Writes a file under a temporary name and renames it into place, creating its folder;
// a failure is reported as E003 and leaves an older file of that name as it was.
template <typename Write>
bool write_output(Platform& platform, const std::string& path, std::string_view what, Diagnostics& diagnostics,
                  Write write) {
    // Said before anything is tried: the system's own answer to such a name is "file not
    // found" or worse (a device), which names the wrong cause.
    if (const std::string refusal = file_name_refusal(path); !refusal.empty()) {
        diagnostics.add(Code::InvalidFileName, 0, cat("“", path, "”不是合法的文件名：", refusal));
        return false;
    }
    IoError io;
    if (const std::string_view dir = directory_of(path);
        !dir.empty() && !platform.make_directories(std::string(dir), io)) {
        diagnostics.add(Code::OutputUnwritable, 0, cat("无法建立文件夹“", dir, "”：", describe(io)));
        return false;
    }
    const auto file = platform.create_atomic(path, io);
    if (!file) {
        diagnostics.add(Code::OutputUnwritable, 0, cat("无法写入", what, "“", path, "”：", describe(io)));
        return false;
    }
    if (!write(*file)) {
        diagnostics.add(Code::OutputUnwritable, 0,
                        cat("无法写入", what, "“", path, "”：", describe(file->write_error())));
        return false;
    }
    if (!file->commit(io)) {
        diagnostics.add(Code::OutputUnwritable, 0, cat("无法写入", what, "“", path, "”：", describe(io)));
        return false;
    }
    return true;
}

bool read_source(const std::string& path, Platform& platform, std::string& source, Diagnostics& diagnostics) {
    IoError io;
    if (platform.read_file(path, max_source_bytes, source, io)) return true;
    diagnostics.add(io.failure == IoFailure::TooLarge ? Code::SourceTooLarge : Code::SourceUnreadable, 0,
                    cat("无法读取源文件“", path, "”：", describe(io)));
    return false;
}

// "；未导入 12 个（GBK 中没有的字符 3 个，…）", or nothing when every entry came in.
std::string left_out_summary(const PoImport& imported) {
    if (imported.left_out() == 0) return {};
    std::string reasons;
    auto reason = [&](std::size_t count, const char* what) {
        if (count == 0) return;
        if (!reasons.empty()) reasons += "，";
        reasons += cat(what, " ", count, " 个");
    };
    reason(imported.no_gbk, "有 GBK 中没有的字符");
    reason(imported.control, "有 NUL 字符");
    reason(imported.context, "上下文冲突");
    reason(imported.plural, "有复数形式");
    reason(imported.fuzzy, "标为 fuzzy");
    reason(imported.obsolete, "已作废");
    return cat("；未导入 ", imported.left_out(), " 个（", reasons, "）");
}

// "；去掉了 5 个条目的上下文", or nothing.
std::string contexts_summary(const PoImport& imported) {
    if (imported.contexts_dropped == 0) return {};
    return cat("；去掉了 ", imported.contexts_dropped, " 个条目的上下文（msgctxt）");
}

void import_po(const Request& request, Platform& platform, Outcome& o) {
    Diagnostics& diagnostics = o.diagnostics;
    o.source_name = request.source;
    o.result = "未生成词库源文件。";
    std::string po;
    if (!read_source(platform.native_path(request.source), platform, po, diagnostics)) return;
    const PoImport imported = word_list_from_po(po, diagnostics);
    po = std::string();
    if (diagnostics.errors() > 0) {
        o.result = "PO 文件有错误，未生成词库源文件；原有的同名文件保持不变。";
        o.exit_code = exit_source_errors;
        return;
    }
    const std::string path = platform.native_path(request.output);
    const bool written = write_output(platform, path, "词库源文件", diagnostics, [&](ByteSink& sink) {
        return sink.write(imported.word_list.data(), imported.word_list.size());
    });
    if (!written) return;
    o.result = cat("已生成词库源文件“", path, "”：", imported.entries, " 个条目", contexts_summary(imported),
                   left_out_summary(imported), "。");
    o.exit_code = exit_written;
}

// The source of an export is a library when it starts with the library's magic bytes,
// a word list otherwise.
void export_po(const Request& request, Platform& platform, Outcome& o) {
    Diagnostics& diagnostics = o.diagnostics;
    o.source_name = request.source;
    o.result = "未生成 PO 文件。";
    std::string source;
    if (!read_source(platform.native_path(request.source), platform, source, diagnostics)) return;
    std::optional<PoWriter> writer;
    if (std::string_view(source).starts_with(std::string_view(format::magic, sizeof format::magic))) {
        std::string why;
        const auto library = Library::open(std::move(source), why);
        if (!library) {
            diagnostics.add(Code::SourceUnreadable, 0, cat("无法读取词库“", request.source, "”：", why));
            return;
        }
        writer.emplace(library->description(), platform.utc_time());
        for (const LibraryEntry e : *library) writer->add(e.original, e.translation, 0, diagnostics);
    } else {
        const WordList list = compile_word_list(std::move(source), diagnostics);
        if (diagnostics.errors() > 0) {
            o.result = "源文件有错误，未生成 PO 文件；原有的同名文件保持不变。";
            o.exit_code = exit_source_errors;
            return;
        }
        writer.emplace("", platform.utc_time());
        // Translated and untranslated entries, merged back into the order of the source.
        const auto& done = list.entries();
        const auto& open = list.untranslated();
        for (std::size_t a = 0, b = 0; a < done.size() || b < open.size();) {
            const bool take_done = b == open.size() || (a < done.size() && done[a].line < open[b].line);
            const Entry& e = take_done ? done[a++] : open[b++];
            writer->add(list.original(e), list.translation(e), e.line, diagnostics);
        }
    }
    if (diagnostics.errors() > 0) {
        o.result = "有的文字无法转换，未生成 PO 文件；原有的同名文件保持不变。";
        o.exit_code = exit_source_errors;
        return;
    }
    const std::string path = platform.native_path(request.output);
    const std::string& text = writer->text();
    if (!write_output(platform, path, " PO 文件", diagnostics,
                      [&](ByteSink& sink) { return sink.write(text.data(), text.size()); })) {
        return;
    }
    o.result = cat("已生成 PO 文件“", path, "”：", writer->entries(), " 个条目。");
    o.exit_code = exit_written;
}

void compile(const Request& request, Platform& platform, Outcome& o) {
    Diagnostics& diagnostics = o.diagnostics;
    o.source_name = request.source;
    o.result = "未生成词库。";

    std::string description;
    if (!platform.description_to_gbk(request.description, description)) {
        diagnostics.add(Code::BadDescription, 0, "词库说明不能转换为 GBK 文字");
        return;
    }
    if (const std::size_t bad = gbk::find_invalid(description); bad != std::string::npos) {
        diagnostics.add(Code::BadDescription, 0, cat("词库说明的第 ", bad + 1, " 个字节起不是合法的 GBK 文字"));
        return;
    }
    if (description.size() > format::max_description_bytes) {
        diagnostics.add(
            Code::BadDescription, 0,
            cat("词库说明长 ", description.size(), " 字节，超过了上限 ", format::max_description_bytes, " 字节"));
        return;
    }

    std::string source;
    if (!read_source(request.source, platform, source, diagnostics)) return;

    const FitPlaces fit_places = collect_fit_places(source);
    // A list written by extraction keeps its text for the access-key check of its places.
    const std::string extracted = source.find(" MENU ") != std::string::npos ||
                                          source.find(" DIALOG ") != std::string::npos
                                      ? source
                                      : std::string();
    const WordList list = compile_word_list(std::move(source), diagnostics);
    check_fit(fit_places, list, platform.text_measurer(), diagnostics);
    if (!extracted.empty()) check_extracted_access_keys(extracted, list, diagnostics);
    if (diagnostics.errors() > 0) {
        o.result = "源文件有错误，未生成词库；原有的同名词库保持不变。";
        o.exit_code = exit_source_errors;
        return;
    }

    const std::string path = library_path(platform.native_path(request.output));
    const auto size = library_size(list, description);
    if (!size) {
        diagnostics.add(Code::OutputUnwritable, 0, cat("词库“", path, "”会超过 4 GB，无法生成"));
        return;
    }
    const bool written = write_output(platform, path, "词库", diagnostics,
                                      [&](ByteSink& sink) { return write_library(list, description, sink); });
    if (!written) return;
    // The full path: the current folder is the system's business, and the user needs to
    // find the library whatever it was.
    o.result = cat("已生成词库“", platform.full_path(path), "”：", list.entries().size(), " 个条目，", *size,
                   " 字节。");
    o.exit_code = exit_written;
}

// Mervik.ERR is written under a temporary name and renamed, so the editor never reads
// half of it.
bool write_messages(Platform& platform, const std::string& text) {
    const std::string path = platform.program_directory() + messages_file_name;
    IoError io;
    const auto file = platform.create_atomic(path, io);
    bool ok = file != nullptr;
    if (ok) {
        ok = file->write(text.data(), text.size());
        if (!ok) io = file->write_error();
    }
    if (ok) ok = file->commit(io);
    if (!ok) {
        const Diagnostic unwritable{Code::MessagesUnwritable, 0, cat("无法写入消息文件“", path, "”：", describe(io))};
        platform.print_error(format_message(unwritable, "Mervik") + crlf);
    }
    return ok;
}

int dump(const Request& request, Platform& platform) {
    const std::string path = platform.native_path(request.output);
    std::string bytes;
    IoError io;
    if (!platform.read_file(path, SIZE_MAX, bytes, io)) {
        platform.print_error(cat("无法读取词库“", path, "”：", describe(io), crlf));
        return exit_failed;
    }
    std::string why;
    const auto library = Library::open(std::move(bytes), why);
    if (!library) {
        platform.print_error(cat("无法读取词库“", path, "”：", why, crlf));
        return exit_failed;
    }
    std::string text = library_list_header(library->description(), library->size());
    for (const LibraryEntry e : *library) append_word_list_line(text, e.original, e.translation);
    platform.write_stdout(text);
    return exit_written;
}

}  // namespace

bool write_text_output(Platform& platform, const std::string& path, std::string_view what, std::string_view text,
                       Diagnostics& diagnostics) {
    return write_output(platform, path, what, diagnostics,
                        [text](ByteSink& sink) { return sink.write(text.data(), text.size()); });
}

namespace {

int report(Outcome& outcome, Platform& platform) {
    const std::string text = messages_text(outcome);
    platform.print_error(text);
    if (!write_messages(platform, text)) return exit_failed;
    return outcome.exit_code;
}

int report_bad_arguments(std::string why, Platform& platform) {
    Outcome outcome;
    outcome.diagnostics.add(Code::BadArguments, 0, std::move(why));
    outcome.result = "未生成词库。";
    return report(outcome, platform);
}

}  // namespace

int run(const std::vector<std::string>& words, Platform& platform) {
    std::string argument_error;
    const auto request = parse_arguments(words, argument_error);
    if (!request) return report_bad_arguments(std::move(argument_error), platform);
    switch (request->mode) {
    case Request::Mode::Help:
        platform.print(help_text());
        return exit_written;
    case Request::Mode::Version:
        // Both formats it writes: 1.1 only for a library with a text longer than 1.0 holds.
        platform.print(cat("Mervik ", version_text, "（写出的词库格式 ", format::version_major, ".",
                           format::version_minor, " 和 ", format::version_major, ".", format::version_minor_long_texts,
                           "）", crlf));
        return exit_written;
    case Request::Mode::Dump:
        return dump(*request, platform);
    case Request::Mode::Suggest:
    case Request::Mode::SuggestFile:
    case Request::Mode::Consistency:
        return report_from_memory(*request, platform);
    case Request::Mode::Pretranslate:
    case Request::Mode::Compile:
    case Request::Mode::ImportPo:
    case Request::Mode::ExportPo:
    case Request::Mode::Extract:
    case Request::Mode::Apply:
        break;
    }
    Outcome outcome;
    // Even a run that runs out of memory leaves its message file.
    try {
        if (request->mode == Request::Mode::ImportPo) {
            import_po(*request, platform, outcome);
        } else if (request->mode == Request::Mode::Apply) {
            outcome.source_name = "Mervik";
            apply_libraries(*request, platform, outcome.diagnostics, outcome.result, outcome.exit_code);
        } else if (request->mode == Request::Mode::Extract) {
            outcome.source_name = "Mervik";
            extract_programs(*request, platform, outcome.diagnostics, outcome.result, outcome.exit_code);
        } else if (request->mode == Request::Mode::Pretranslate) {
            outcome.source_name = request->source;
            pretranslate(*request, platform, outcome.diagnostics, outcome.result, outcome.exit_code);
        } else if (request->mode == Request::Mode::ExportPo) {
            export_po(*request, platform, outcome);
        } else {
            compile(*request, platform, outcome);
        }
    } catch (const std::bad_alloc&) {
        outcome.diagnostics.add(Code::OutOfMemory, 0, "内存不足，无法完成编译");
        outcome.result = "未生成词库。";
        outcome.exit_code = exit_failed;
    }
    return report(outcome, platform);
}

int run_command_line(std::string_view line, Platform& platform) {
    auto words = split_command_line(line);
    if (!words) return report_bad_arguments(cat("命令行中的双引号不成对：", line), platform);
    if (!words->empty()) words->erase(words->begin());
    return run(*words, platform);
}

}  // namespace mervik
