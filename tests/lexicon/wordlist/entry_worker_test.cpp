// A large word list's entries are indexed and checked on a second thread: the entries,
// the messages, their order, their columns and the counts must be those of handling each
// line as it is read.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "lexicon/wordlist/word_list.h"

namespace lexicon {
namespace {

// Lines that draw every kind of entry message, placed among the parser's own messages
// (a duplicate, a conflicting translation, a bad escape, two keys in one scope) so that
// the checks' messages have to go in between them.
std::string mixed_list(int blocks) {
    static const char* const block[] = {
        "Open %d files=打开%s个文件",  // E108 placeholders
        "Save=保存,文件",              // W212 half-width comma
        "Page 1=第１页",               // W213 full-width digit
        "Say \"hi\"=说“你好",          // W214 unbalanced quotes
        "&Edit=编辑&E",                // W215 key not in brackets
        "Done.=完成",                  // W206 end punctuation
        "Tab\\t=制表\\t符,号",         // W212 after an escape: the column moves
        ";@no-check W212",             // opt-out for the next entry
        "Cut.=剪切,粘贴。",            // W212 turned off
        ";@scope 编辑菜单",            //
        "&Copy=复制(&C)",              //
        "&Cut=剪贴(&C)",               // W216 in the scope
        ";@end-scope",                 //
        "Same=同",                     //
        "Same=异,样",                  // W202 conflicting, then its own checks
        "Same=同",                     // W203 duplicate
        "Bad\\q=坏",                   // E escape: no entry, no checks
        "  Space =空格 ",              //
        "Name:=名称:",                 // W212 colon
    };
    std::string out;
    for (int b = 0; b < blocks; ++b) {
        for (const char* line : block) {
            std::string text = line;
            // Each block's originals differ, so that only the block's own lines collide.
            if (text[0] != ';') text.insert(text.find('='), " " + std::to_string(b));
            out += text + "\r\n";
        }
    }
    return out;
}

using Message = std::tuple<Code, std::uint32_t, std::uint32_t, std::string>;

struct Outcome {
    std::vector<Message> listed;
    std::size_t errors;
    std::size_t warnings;
    std::vector<std::tuple<std::string, std::string, std::uint32_t>> entries;  // and then the untranslated ones
};

Outcome compile(const std::string& source, EntryWork work, std::size_t max_listed) {
    Diagnostics diagnostics(max_listed);
    const WordList list = compile_word_list(source, diagnostics, work);
    Outcome run{{}, diagnostics.errors(), diagnostics.warnings(), {}};
    for (const auto* entries : {&list.entries(), &list.untranslated()}) {
        for (const Entry& e : *entries) run.entries.emplace_back(list.original(e), list.translation(e), e.line);
    }
    for (const Diagnostic& d : diagnostics.listed()) run.listed.emplace_back(d.code, d.line, d.column, d.text);
    return run;
}

TEST(EntryWorker, GivesTheMessagesOfCheckingWhileReading) {
    struct Case {
        const char* name;
        int blocks;
        std::size_t max_listed;
    };
    const Case cases[] = {
        {"a list shorter than one batch", 3, 1000},
        {"many batches, every message listed", 400, 1000000},
        {"many batches, the listing full early", 400, 1000},
        {"a listing of a few messages only", 400, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = mixed_list(c.blocks);
        const Outcome reading = compile(source, EntryWork::WhileReading, c.max_listed);
        const Outcome worker = compile(source, EntryWork::OnSecondThread, c.max_listed);
        EXPECT_GT(reading.warnings, static_cast<std::size_t>(c.blocks) * 9);
        EXPECT_GT(reading.errors, 0u);
        EXPECT_EQ(worker.errors, reading.errors);
        EXPECT_EQ(worker.warnings, reading.warnings);
        EXPECT_EQ(worker.entries, reading.entries);
        EXPECT_EQ(reading.entries.size(), static_cast<std::size_t>(c.blocks) * 13);
        EXPECT_EQ(worker.listed.size(), std::min(c.max_listed, reading.errors + reading.warnings));
        ASSERT_EQ(worker.listed.size(), reading.listed.size());
        for (std::size_t i = 0; i < worker.listed.size(); ++i) {
            ASSERT_EQ(worker.listed[i], reading.listed[i]) << "message " << i;
        }
    }
}

TEST(EntryWorker, TheAutomaticChoiceGivesTheSameMessages) {
    // Below and above the size from which a second thread is used.
    for (const int blocks : {2, 4000}) {
        const std::string source = mixed_list(blocks);
        const Outcome automatic = compile(source, EntryWork::Automatic, 1000);
        const Outcome reading = compile(source, EntryWork::WhileReading, 1000);
        EXPECT_EQ(automatic.listed, reading.listed) << blocks << " blocks";
        EXPECT_EQ(automatic.warnings, reading.warnings);
        EXPECT_EQ(automatic.entries, reading.entries);
    }
}

}  // namespace
}  // namespace lexicon
