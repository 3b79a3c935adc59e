#pragma once
// Turns the menus, dialogs and string tables of Windows programs into a word list:
// the originals from one language, the translations the same files already carry for
// another, paired by resource and item or control id. Each entry is preceded by comment
// lines that say where its text comes from; a dialog's line also keeps what the fit
// check needs (class, size in dialog units, style and font).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lexicon/base/diagnostics.h"

namespace lexicon {

constexpr std::uint16_t default_translation_language = 0x0804;  // Chinese (Simplified, PRC)

struct ExtractOptions {
    std::optional<std::uint16_t> source_language;  // none: neutral or US English, else the file's first
    std::uint16_t translation_language = default_translation_language;
};

struct ExtractCounts {
    std::size_t files = 0;
    std::size_t entries = 0;     // originals written
    std::size_t translated = 0;  // of them with a translation
    std::size_t places = 0;      // texts read from the programs, repeats included
    std::size_t left_out = 0;    // texts left out with a warning
};

// The original (GBK) under which extraction writes a text of a program, or nothing when
// it leaves the text out: no letter, a character GBK lacks, or too long for a library.
std::optional<std::string> extracted_original(const std::u16string& text);

// Whether `language` is one extraction takes for the originals when no source language
// is given: neutral in any of its forms, US English, or English without a region.
bool is_default_source_language(std::uint16_t language);

// "0x0804" parsed from a command-line word (hex with 0x, or decimal); nothing when invalid.
std::optional<std::uint16_t> parse_language(std::string_view word);

class ProgramExtractor {
public:
    explicit ProgramExtractor(ExtractOptions options) : options_(options) {}

    // Reads one program. A file that is not a PE file or whose resources are damaged is
    // reported (E120) and adds nothing.
    bool add(std::string_view file_name, std::string_view bytes, Diagnostics& diagnostics) {
        return add(file_name, bytes, 0, bytes, diagnostics);
    }
    // The same from a part of the file (see pe::read_resources): `head` its first bytes,
    // `part` the bytes from `part_offset` on.
    bool add(std::string_view file_name, std::string_view head, std::uint64_t part_offset, std::string_view part,
             Diagnostics& diagnostics);

    // The word list (GBK, CR LF) of everything added so far.
    std::string word_list() const;
    const ExtractCounts& counts() const { return counts_; }

private:
    struct Place {
        std::string comment;      // the comment line without its "; "
        std::string translation;  // GBK; empty when there is none
        std::string why_empty;    // why a translation that should be there is not
    };
    struct Item {
        std::string original;
        std::vector<Place> places;
    };
    void add_text(std::string_view file_name, const std::u16string& original, const std::u16string* translation,
                  std::string comment, std::string why_empty, Diagnostics& diagnostics);

    ExtractOptions options_;
    ExtractCounts counts_;
    std::vector<Item> items_;
    std::unordered_map<std::string, std::size_t> index_;
};

class WordList;

// W216 for a list written by extraction: the places in the comment lines before each
// entry tell which menu popup or dialog its text belongs to, and two translations with
// the same access key in one of them are reported. An original used in two menus counts
// in both.
void check_extracted_access_keys(std::string_view source, const WordList& list, Diagnostics& diagnostics);

// What a dialog text's comment line says about its control, for the fit check.
struct DialogPlace {
    std::string where;       // "notepad.exe DIALOG 400 控件 65535"
    std::string class_name;  // BUTTON, STATIC...; "" for the caption
    int cx = 0, cy = 0;      // dialog units
    std::uint32_t style = 0;
    std::string font_face;  // GBK
    int font_points = 0;
    int font_weight = 0;
    bool italic = false;
};

// Reads a comment line written by the extractor ("; notepad.exe DIALOG 400 控件 ...");
// nothing when the line is not one about a dialog control.
std::optional<DialogPlace> parse_dialog_place(std::string_view comment_line);

// A menu item's place as the extracted comments write it: "2.3" is the third item of
// the second popup.
std::string path_text(const std::vector<std::uint16_t>& path);

}  // namespace lexicon
