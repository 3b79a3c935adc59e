#pragma once
// Real translations for measuring the typography checks: the entries of the Simplified
// Chinese message catalogues installed on this machine, through our own PO import.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lexicon/base/diagnostics.h"

namespace corpus {

struct Entry {
    std::string catalogue;
    std::string original;  // GBK
    std::string translation;
};

// Every entry of every "*.mo" in `folder` that imports without error; empty when the
// folder or msgunfmt is missing.
std::vector<Entry> LoadCatalogues(const std::string& folder);

// The fault kinds seeded into clean entries.
// Besides the broad kinds, the narrow ones that real lists showed to slip through: a
// half-width full stop between two Chinese sentences, a full-width letter the original
// does not have, and an unclosed quotation mark beside a placeholder.
enum class Kind {
    HalfWidth,
    FullWidthLetter,
    IdeographicSpace,
    Unbalanced,
    AccessKey,
    FullStopBetweenSentences,
    FullWidthLetterOfItsOwn,
    QuoteBesidePlaceholder
};
constexpr Kind kAllKinds[] = {
    Kind::HalfWidth, Kind::FullWidthLetter,          Kind::IdeographicSpace,        Kind::Unbalanced,
    Kind::AccessKey, Kind::FullStopBetweenSentences, Kind::FullWidthLetterOfItsOwn, Kind::QuoteBesidePlaceholder};
const char* KindName(Kind kind);
lexicon::Code CodeOf(Kind kind);

// An entry with one fault put in: the clean pair it was made from (the entry itself, or
// for access keys the entry with its toolkit's "_X" mnemonic written as "&X") and the
// faulty translation.
struct Seeded {
    std::string original;
    std::string clean;
    std::string faulty;
};
// Nothing when the entry offers no place for a fault of `kind`. `variant` picks among
// the ways to seed it.
std::optional<Seeded> Seed(Kind kind, const Entry& entry, unsigned variant);

// The codes of the typography checks' messages about one entry.
std::vector<lexicon::Code> TypographyCodes(const std::string& original, const std::string& translation);

// A stable name of an entry for the labels file: 16 hex digits.
std::string EntryKey(const Entry& entry);

// GBK to UTF-8, for reports a person reads.
std::string Utf8(const std::string& gbk);

}  // namespace corpus
