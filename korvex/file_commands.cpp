// The form's file commands: new, open, save, save as, import, export, extraction from a
// program and the library's properties.
#include "korvex/korvex_form.h"

#include <commctrl.h>

#include <map>
#include <vector>

#include "korvex/dialog_preview.h"
#include "korvex/file_dialogs.h"
#include "korvex/korvex_messages.h"
#include "korvex/library_file.h"
#include "korvex/library_io.h"
#include "korvex/properties_dialog.h"
#include "korvex/word_list_source.h"
#include "lexicon/base/byte_sink.h"
#include "lexicon/base/diagnostics.h"
#include "lexicon/base/gbk.h"
#include "lexicon/library/library_writer.h"
#include "lexicon/program/program_extract.h"
#include "lexicon/wordlist/word_list.h"
#include "win/gbk.h"
#include "win/safe_save.h"

namespace korvex {

namespace {

// are besides), else its warnings; every count said agrees with the lines listed.
std::string ImportMessages(const ImportResult& result) {
    const bool refused = !result.merged;
    const std::size_t total = refused ? result.errors : result.warnings;
    const std::size_t listed = refused ? result.listed_errors : result.messages.size();
    std::string text;
    std::size_t shown = 0;
    for (; shown < listed && shown < kMessagesShown; ++shown) text += result.messages[shown] + "\r\n";
    if (total > shown) text += lexicon::cat("……另有 ", total - shown, refused ? " 个错误" : " 个警告", "没有列出\r\n");
    if (refused && result.warnings > 0) text += lexicon::cat("（另有 ", result.warnings, " 个警告）\r\n");
    return text;
}

// A word list by its name: .trs and .txt; anything else is taken for a library.
bool IsWordListName(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < lexicon::gbk::find_last_separator(path) + 1) return false;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return extension == "trs" || extension == "txt";
}

bool DecodesAs(UINT codePage, std::string_view bytes) {
    if (bytes.empty()) return true;
    return ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                 0) > 0;
}

// The text of a file that is not GBK, as UTF-16, with what it was; nothing for GBK. A
// file that reads as GBK and as UTF-8 alike is GBK, the format's own encoding.
std::optional<std::pair<std::wstring, const char*>> OtherEncoding(const std::string& bytes) {
    const auto wide = [](UINT codePage, std::string_view text) {
        std::wstring out(static_cast<std::size_t>(::MultiByteToWideChar(codePage, 0, text.data(),
                                                                        static_cast<int>(text.size()), nullptr, 0)),
                         L'\0');
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                              static_cast<int>(out.size()));
        return out;
    };
    if (bytes.size() >= 2 && (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0)) {
        const bool little = bytes[0] == '\xFF';
        std::wstring out;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
            out.push_back(static_cast<wchar_t>(little ? a | (b << 8) : (a << 8) | b));
        }
        return std::pair{out, "UTF-16"};
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return std::pair{wide(CP_UTF8, std::string_view(bytes).substr(3)), "UTF-8"};
    if (!DecodesAs(936, bytes) && DecodesAs(CP_UTF8, bytes)) return std::pair{wide(CP_UTF8, bytes), "UTF-8"};
    return std::nullopt;
}

const wchar_t* const kOpenFilter =
    L"词库和词表 (*.LIB;*.trs;*.txt)\0*.LIB;*.trs;*.txt\0词库文件 (*.LIB)\0*.LIB\0词表 (*.trs;*.txt)\0*.trs;*.txt\0"
    L"所有文件 (*.*)\0*.*\0";
const wchar_t* const kSaveLibraryFilter =
    L"词库文件 (*.LIB)\0*.LIB\0词表 (*.trs;*.txt)\0*.trs;*.txt\0所有文件 (*.*)\0*.*\0";
const wchar_t* const kSaveWordListFilter =
    L"词表 (*.trs;*.txt)\0*.trs;*.txt\0词库文件 (*.LIB)\0*.LIB\0所有文件 (*.*)\0*.*\0";

}  // namespace

void TKorvexForm::ReplaceTable(std::unique_ptr<EntryTable> table, std::string path) {
    // The view refers to the table: it goes first.
    view_.reset();
    table_ = std::move(table);
    const std::string filter = [&] {
        std::wstring wide(static_cast<std::size_t>(::GetWindowTextLengthW(filter_)) + 1, L'\0');
        wide.resize(static_cast<std::size_t>(::GetWindowTextW(filter_, wide.data(), static_cast<int>(wide.size()))));
        return win::WideToGbk(wide);
    }();
    view_ = std::make_unique<EntryView>(*table_);
    view_->SetFilter(filter);
    path_ = std::move(path);
    paneEntry_.reset();
    pane_->Clear();
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ShowTable();
}

bool TKorvexForm::OpenFile(const std::string& path) {
    std::string why;
    auto bytes = ReadFileBytes(path, why);
    const bool wordList = IsWordListName(path);
    std::unique_ptr<EntryTable> table;
    if (bytes && wordList) return OpenWordListFile(path, std::move(*bytes));
    if (bytes) table = OpenLibrary(std::move(*bytes), why);
    if (!table) {
        ShowMessage(hwnd(), FileMessage(wordList ? "无法打开词表" : "无法打开词库", path, why), MB_ICONSTOP);
        return false;
    }
    ReplaceTable(std::move(table), path);
    return true;
}

// A word list in UTF-8 or UTF-16 opens converted to GBK when the user says so; it is
// saved in GBK from then on.
bool TKorvexForm::OpenWordListFile(const std::string& path, std::string bytes) {
    if (const auto other = OtherEncoding(bytes)) {
        const std::string question = lexicon::cat(
            "词表“", path, "”是 ", other->second,
            " 编码的，不是 GBK。\n要把它转换为 GBK 打开吗？保存时将以 GBK 写入。");
        if (ShowMessage(hwnd(), question, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
        bool lossy = false;
        std::string converted = win::WideToGbk(other->first, &lossy);
        if (lossy) {
            ShowMessage(hwnd(), FileMessage("无法打开词表", path, "其中有 GBK 中没有的字符，无法转换为 GBK"),
                        MB_ICONSTOP);
            return false;
        }
        bytes = std::move(converted);
    }
    ReplaceTable(OpenWordList(std::move(bytes)), path);
    return true;
}

bool TKorvexForm::MayDiscard() {
    CommitPane(false);
    if (!table_->Modified()) return true;
    const int answer = ShowMessage(
        hwnd(), std::string(IsWordList() ? "词表" : "词库") + "“" + FileName() + "”已修改。\n要保存修改吗？",
        MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES) return SaveClick();
    return answer == IDNO;
}

void TKorvexForm::NewClick() {
    if (!MayDiscard()) return;
    ReplaceTable(std::make_unique<EntryTable>(), {});
}

void TKorvexForm::OpenClick() {
    if (!MayDiscard()) return;
    const std::string folder = path_.empty() ? LibraryFolder() : FolderOf(path_);
    const std::string path = AskFileName(hwnd(), false, kOpenFilter, L"LIB", folder, {});
    if (!path.empty()) OpenFile(path);
}

bool TKorvexForm::SaveClick() {
    CommitPane(false);
    if (path_.empty()) return SaveAsClick();
    return IsWordList() ? SaveWordListTo(path_) : SaveTo(path_);
}

// Either type for either: the file name's extension says which is written.
bool TKorvexForm::SaveAsClick() {
    CommitPane(false);
    const std::string folder = path_.empty() ? LibraryFolder() : FolderOf(path_);
    const bool wordList = IsWordList();
    const std::string path = AskFileName(hwnd(), true, wordList ? kSaveWordListFilter : kSaveLibraryFilter,
                                         wordList ? L"trs" : L"LIB", folder, path_.empty() ? "" : FileName());
    if (path.empty()) return false;
    if (IsWordListName(path)) {
        if (wordList) return SaveWordListTo(path);
        // A library saved as a word list: from now on the word list is what is open.
        const std::string bytes = ExportWordList(*table_);
        try {
            win::WriteFileSafely(path, bytes);
        } catch (const std::exception&) {
            ShowMessage(hwnd(), FileMessage("无法保存词表", path, "无法写入文件（只读、没有写入权限或磁盘已满）"),
                        MB_ICONSTOP);
            return false;
        }
        ReplaceTable(OpenWordList(bytes), path);
        return true;
    }
    return wordList ? SaveLibraryOfWordListTo(path) : SaveTo(path);
}

bool TKorvexForm::SaveWordListTo(const std::string& path) {
    try {
        win::WriteFileSafely(path, WordListBytes(*table_));
    } catch (const std::exception&) {
        ShowMessage(hwnd(),
                    FileMessage("无法保存词表", path,
                                "无法写入文件（只读、文件夹不存在、没有写入权限、磁盘已满或文件正被使用），"
                                "原有的文件保持不变") +
                        "\n修改仍保留在编辑器中。",
                    MB_ICONSTOP);
        return false;
    }
    table_->MarkSaved();
    path_ = path;
    ShowStatus();
    return true;
}

// The word list compiled as Mervik compiles it: refused with the compiler's errors, and
// without its untranslated entries. The word list stays open as it is.
bool TKorvexForm::SaveLibraryOfWordListTo(const std::string& path) {
    lexicon::Diagnostics diagnostics;
    const lexicon::WordList compiled = lexicon::compile_word_list(WordListBytes(*table_), diagnostics);
    if (diagnostics.errors() > 0) {
        std::vector<std::string> lines;
        for (const lexicon::Diagnostic& d : diagnostics.listed()) {
            if (!lexicon::is_warning(d.code)) lines.push_back(lexicon::format_message(d, FileName()));
        }
        ShowMessage(hwnd(),
                    lexicon::cat("词表有 ", diagnostics.errors(), " 个错误，不能生成词库“", path, "”：\r\n\r\n",
                                 MessageList(lines)),
                    MB_ICONSTOP);
        return false;
    }
    lexicon::StringSink sink;
    if (!lexicon::write_library(compiled, {}, sink)) {
        ShowMessage(hwnd(), FileMessage("无法保存词库", path, "条目太多，超过了词库格式的 4 GB"), MB_ICONSTOP);
        return false;
    }
    try {
        win::WriteFileSafely(path, sink.bytes);
    } catch (const std::exception&) {
        ShowMessage(hwnd(), FileMessage("无法保存词库", path, "无法写入文件（只读、没有写入权限或磁盘已满）"),
                    MB_ICONSTOP);
        return false;
    }
    ShowMessage(hwnd(),
                lexicon::cat("已生成词库“", path, "”：", compiled.entries().size(), " 个条目。",
                             compiled.untranslated().empty()
                                 ? std::string()
                                 : lexicon::cat("\r\n未译的 ", compiled.untranslated().size(), " 个条目不在词库中。")),
                MB_ICONINFORMATION);
    return true;
}

// Written through the compiler's writer into a temporary file that replaces the old one
// only once it is complete; on any failure the old file and the edits stay.
bool TKorvexForm::SaveTo(const std::string& path) {
    const std::string bytes = LibraryBytes(*table_);
    if (bytes.empty()) {
        ShowMessage(hwnd(), FileMessage("无法保存词库", path, "条目太多，超过了词库格式的 4 GB"), MB_ICONSTOP);
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(win::GbkToWide(path).c_str());
    const char* why = nullptr;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        why = "这是一个文件夹，不是文件";
    } else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        why = "文件是只读的";
    } else {
        try {
            win::WriteFileSafely(path, bytes);
        } catch (const std::exception&) {
            why = "无法写入文件（文件夹不存在、没有写入权限、磁盘已满或文件正被使用），原有的文件保持不变";
        }
    }
    if (why) {
        ShowMessage(hwnd(), FileMessage("无法保存词库", path, why) + "\n修改仍保留在编辑器中。", MB_ICONSTOP);
        return false;
    }
    table_->MarkSaved();
    path_ = path;
    ShowStatus();
    return true;
}

void TKorvexForm::ImportClick() {
    const std::string path = AskFileName(hwnd(), false, kWordListFilter, L"txt", FolderOf(path_), {});
    if (path.empty()) return;
    std::string why;
    auto bytes = ReadFileBytes(path, why);
    if (!bytes) {
        ShowMessage(hwnd(), FileMessage("无法导入词表", path, why), MB_ICONSTOP);
        return;
    }
    const std::size_t at = lexicon::gbk::find_last_separator(path);
    const std::string name = at == std::string::npos ? path : path.substr(at + 1);
    const ImportResult result = ImportWordList(*table_, std::move(*bytes), name);
    ShowTable();
    if (!result.merged) {
        ShowMessage(hwnd(),
                    lexicon::cat("词表“", path, "”有 ", result.errors, " 个错误，没有导入任何条目：\r\n\r\n",
                                 ImportMessages(result)),
                    MB_ICONSTOP);
        return;
    }
    std::string summary = lexicon::cat("已导入词表“", path, "”：\r\n增加了 ", result.counts.added, " 个条目，修改了 ",
                                       result.counts.changed, " 个条目，", result.counts.unchanged,
                                       " 个条目保持不变。");
    if (result.warnings > 0) {
        summary += lexicon::cat("\r\n\r\n编译器有 ", result.warnings, " 个警告：\r\n", ImportMessages(result));
    }
    ShowMessage(hwnd(), summary, MB_ICONINFORMATION);
}

// A program's menus, dialogs and string tables become a new library (the entries that
// already have a translation), and its dialogs open in the preview.
void TKorvexForm::ExtractClick() {
    if (!MayDiscard()) return;
    static const wchar_t filter[] = L"程序 (*.exe;*.dll)\0*.exe;*.dll\0所有文件 (*.*)\0*.*\0";
    const std::string path = AskFileName(hwnd(), false, filter, L"exe", FolderOf(path_), {});
    if (path.empty()) return;
    std::string why;
    auto bytes = ReadFileBytes(path, why);
    if (!bytes) {
        ShowMessage(hwnd(), FileMessage("无法从程序提取", path, why), MB_ICONSTOP);
        return;
    }
    const std::size_t at = lexicon::gbk::find_last_separator(path);
    const std::string name = at == std::string::npos ? path : path.substr(at + 1);
    lexicon::Diagnostics diagnostics;
    lexicon::ProgramExtractor extractor({});
    if (!extractor.add(name, *bytes, diagnostics)) {
        ShowMessage(hwnd(), diagnostics.listed().front().text, MB_ICONSTOP);
        return;
    }
    const std::string list = extractor.word_list();
    // The extracted list opens as it is, its untranslated entries included.
    ReplaceTable(OpenWordList(list), {});
    std::map<std::string, std::string> words;
    lexicon::Diagnostics ignored;
    const lexicon::WordList compiled = lexicon::compile_word_list(list, ignored);
    for (const lexicon::Entry& e : compiled.entries()) {
        words.emplace(compiled.original(e), compiled.translation(e));
    }
    preview_.reset();
    preview_ = std::make_unique<TDialogPreview>(PreviewDialogs(*bytes, name, words));
    preview_->Create(hwnd());
    ::ShowWindow(preview_->hwnd(), SW_SHOW);
}

void TKorvexForm::ExportClick() {
    CommitPane(false);
    std::string name = FileName();
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    const std::string path = AskFileName(hwnd(), true, kWordListFilter, L"txt", FolderOf(path_), name + ".txt");
    if (path.empty()) return;
    try {
        win::WriteFileSafely(path, ExportWordList(*table_));
    } catch (const std::exception&) {
        ShowMessage(hwnd(), FileMessage("无法导出词表", path, "无法写入文件（只读、没有写入权限或磁盘已满）"),
                    MB_ICONSTOP);
    }
}

void TKorvexForm::PropertiesClick() {
    const std::string facts = lexicon::cat("文件：", path_.empty() ? std::string("（尚未保存）") : path_, "\r\n条目：",
                                           table_->size(), " 个");
    TPropertiesDialog dialog(facts, table_->description());
    if (!dialog.ShowModal(hwnd())) return;
    table_->SetDescription(dialog.Description());
    ShowTable();
}

}  // namespace korvex
