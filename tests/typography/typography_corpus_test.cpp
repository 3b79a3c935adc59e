// How well the typography checks do on real translations: faults of every kind seeded
// into clean entries must be found, and the messages on the entries as their
// translators wrote them must be real faults (those marked by hand in labels.txt).
//
// VELMORA_TYPOGRAPHY_DUMP=FILE writes the unlabelled messages and the missed seeds to
// FILE, for a person to review.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "lexicon/checks/entry_checks.h"
#include "tests/typography/typography_corpus.h"

namespace {

using corpus::Entry;
using corpus::Kind;

constexpr const char* kCatalogues = "/usr/share/locale/zh_CN/LC_MESSAGES";
constexpr std::size_t kMinimumEntries = 2000;

const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = corpus::LoadCatalogues(kCatalogues);
    return entries;
}

// "KEY CODE" of each real fault marked by hand, and the catalogues reviewed.
struct Labels {
    std::set<std::string> faults;
    std::set<std::string> catalogues;
};

Labels ReadLabels() {
    Labels out;
    std::ifstream in(VELMORA_TYPOGRAPHY_LABELS);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string first, second;
        if (!(words >> first >> second)) continue;
        if (first == "@catalogue") {
            out.catalogues.insert(second);
        } else {
            out.faults.insert(first + " " + second);
        }
    }
    return out;
}

struct Dump {
    std::ofstream out;
    Dump() {
        if (const char* path = std::getenv("VELMORA_TYPOGRAPHY_DUMP")) out.open(path);
    }
    static std::string Line(const std::string& gbk) {
        std::string out;
        for (char c : corpus::Utf8(gbk)) {
            if (c == '\n') {
                out += "\\n";
            } else if (c == '\t') {
                out += "\\t";
            } else {
                out += c;
            }
        }
        return out;
    }
    void Write(const std::string& what, const Entry& e, const std::string& translation) {
        if (!out.is_open()) return;
        out << what << "\t" << e.catalogue << "\t" << Line(e.original) << "\t" << Line(translation) << "\n";
    }
};

Dump& TheDump() {
    static Dump dump;
    return dump;
}

std::string Percent(std::size_t part, std::size_t whole) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f %%", whole == 0 ? 0.0 : 100.0 * part / whole);
    return text;
}

class TypographyCorpus : public ::testing::Test {
protected:
    void SetUp() override {
        if (Entries().size() < kMinimumEntries) {
            GTEST_SKIP() << "only " << Entries().size() << " entries in " << kCatalogues
                         << " (msgunfmt or the catalogues missing)";
        }
    }
};

TEST_F(TypographyCorpus, MessagesOnRealTranslationsAreRealFaults) {
    const Labels labels = ReadLabels();
    std::map<std::string, std::pair<std::size_t, std::size_t>> by_code;  // code: messages, false ones
    std::size_t messages = 0, false_ones = 0, entries = 0;
    std::set<std::string> not_reviewed;
    for (const Entry& e : Entries()) {
        // A catalogue that no one has reviewed has no labels: its messages tell nothing.
        if (labels.catalogues.count(e.catalogue) == 0) {
            not_reviewed.insert(e.catalogue);
            continue;
        }
        ++entries;
        for (const lexicon::Code code : corpus::TypographyCodes(e.original, e.translation)) {
            if (code == lexicon::Code::PunctuationMismatch) continue;  // the older end check, measured apart
            const std::string name = lexicon::code_name(code);
            const bool real = labels.faults.count(corpus::EntryKey(e) + " " + name) != 0;
            ++messages;
            ++by_code[name].first;
            if (!real) {
                ++false_ones;
                ++by_code[name].second;
                TheDump().Write(corpus::EntryKey(e) + " " + name, e, e.translation);
            }
        }
    }
    std::printf(
        "%zu entries of reviewed catalogues (%zu catalogues not reviewed); %zu messages on them, %zu not marked "
        "as real faults (%s)\n",
        entries, not_reviewed.size(), messages, false_ones, Percent(false_ones, messages).c_str());
    for (const auto& [code, counts] : by_code) {
        std::printf("  %s: %zu messages, %zu false\n", code.c_str(), counts.first, counts.second);
    }
    EXPECT_LE(false_ones * 100, messages * 2) << "more than 2 % of the messages are false";
}

TEST_F(TypographyCorpus, SeededFaultsOfEveryKindAreFound) {
    for (const Kind kind : corpus::kAllKinds) {
        const lexicon::Code code = corpus::CodeOf(kind);
        std::size_t seeded = 0, found = 0;
        unsigned variant = 0;
        for (const Entry& e : Entries()) {
            const auto seed = corpus::Seed(kind, e, variant++);
            if (!seed) continue;
            const auto before = corpus::TypographyCodes(seed->original, seed->clean);
            if (std::find(before.begin(), before.end(), code) != before.end()) continue;
            ++seeded;
            const auto after = corpus::TypographyCodes(seed->original, seed->faulty);
            if (std::find(after.begin(), after.end(), code) != after.end()) {
                ++found;
            } else {
                TheDump().Write(std::string("missed ") + corpus::KindName(kind), e, seed->faulty);
            }
        }
        std::printf("%-40s seeded %6zu, found %6zu (%s)\n", corpus::KindName(kind), seeded, found,
                    Percent(found, seeded).c_str());
        EXPECT_GE(found * 100, seeded * 95) << corpus::KindName(kind);
        EXPECT_GT(seeded, 20u) << corpus::KindName(kind) << ": too few entries to seed";
    }
}

}  // namespace
