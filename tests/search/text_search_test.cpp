// Byte-level search over GBK text: character boundaries, whole word, match case,
// and the Replace All walk.
#include "search/text_search.h"

#include <climits>
#include <string>

#include <gtest/gtest.h>

namespace {

using search::FindOccurrence;
using search::ReplaceAll;
using search::SearchOptions;

// 乤 is 81 61 (trail byte 'a'), 乗 is 81 5C (trail byte '\'), 中 is D6 D0.
struct FindCase {
    const char* name;
    std::string text;
    std::string what;
    int from;
    int length;
    SearchOptions options;
    int expected;
};

class FindOccurrenceTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindOccurrenceTest, FindsTheFirstHitOnCharacterBoundaries) {
    const FindCase& c = GetParam();
    EXPECT_EQ(FindOccurrence(c.text, c.what, c.from, c.length, c.options), c.expected);
}

const SearchOptions kPlain{};
const SearchOptions kWholeWord{true, false};
const SearchOptions kMatchCase{false, true};

INSTANTIATE_TEST_SUITE_P(
    Cases, FindOccurrenceTest,
    ::testing::Values(FindCase{"first", "aaaa", "aa", 0, 4, kPlain, 0},
                      FindCase{"behind_previous_hit", "aaaa", "aa", 2, 2, kPlain, 2},
                      FindCase{"no_room_left", "aaaa", "aa", 3, 4, kPlain, -1},
                      FindCase{"empty_text", "", "a", 0, 0, kPlain, -1},
                      FindCase{"empty_find_text", "abc", "", 0, 3, kPlain, -1},
                      FindCase{"from_end", "abc", "c", 3, 3, kPlain, -1},
                      FindCase{"line_break_counts_two", "ab\r\ncd", "cd", 0, 6, kPlain, 4},
                      FindCase{"chinese_counts_two", "第二行x\r\nx", "x", 7, 9, kPlain, 9},
                      FindCase{"hit_must_end_in_range", "abcabc", "abc", 1, 4, kPlain, -1},
                      FindCase{"hit_ending_at_range_end", "abcabc", "abc", 1, 5, kPlain, 3},
                      FindCase{"negative_from_is_start", "abc", "a", -5, 10, kPlain, 0},
                      FindCase{"from_past_end", "abc", "a", 100, 3, kPlain, -1},
                      FindCase{"huge_length", "abc", "c", 1, INT_MAX, kPlain, 2},
                      // Trail bytes that look like ASCII never start a hit.
                      FindCase{"trail_letter", "中乤", "a", 0, 4, kPlain, -1},
                      FindCase{"trail_letter_any_case", "乤乤", "A", 0, 4, kPlain, -1},
                      FindCase{"letter_after_trail", "乤乤A", "a", 0, 5, kPlain, 4},
                      FindCase{"trail_backslash", "乗\\", "\\", 0, 3, kPlain, 2},
                      FindCase{"pair_across_characters", "中中", "\xD0\xD6", 0, 4, kPlain, -1},
                      FindCase{"find_text_ends_in_lead_byte", "中", "\xD6", 0, 2, kPlain, -1},
                      FindCase{"from_inside_a_character", "中a", "a", 1, 2, kPlain, 2},
                      FindCase{"chinese", "词库生成，词库", "词库", 2, 12, kPlain, 10},
                      // Case folds ASCII letters only, as the editor does.
                      FindCase{"ignore_case", "xAbC", "aBc", 0, 4, kPlain, 1},
                      FindCase{"match_case", "Abc abc", "abc", 0, 7, kMatchCase, 4},
                      FindCase{"match_case_none", "ABC", "abc", 0, 3, kMatchCase, -1},
                      FindCase{"full_width_not_folded", "Ａ", "ａ", 0, 2, kPlain, -1},
                      // Whole word: the characters around the hit are not letters or digits.
                      FindCase{"whole_word", "concat cat", "cat", 0, 10, kWholeWord, 7},
                      FindCase{"whole_word_digit_after", "cat1 cat", "cat", 0, 8, kWholeWord, 5},
                      FindCase{"whole_word_underscore_separates", "cat_", "cat", 0, 4, kWholeWord, 0},
                      FindCase{"whole_word_ideograph_joins", "中cat", "cat", 0, 5, kWholeWord, -1},
                      FindCase{"whole_word_punctuation_separates", "。cat", "cat", 0, 5, kWholeWord, 2},
                      FindCase{"whole_word_full_width_letter_joins", "catａ", "cat", 0, 5, kWholeWord, -1},
                      FindCase{"whole_word_looks_before_from", "xcat", "cat", 1, 3, kWholeWord, -1},
                      FindCase{"whole_word_chinese", "词库 词库生成 词库", "词库", 1, 19, kWholeWord, 14},
                      FindCase{"whole_word_edges_of_the_hit_only", "a cat", " cat", 0, 5, kWholeWord, -1}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReplaceAllCase {
    const char* name;
    std::string text;
    std::string what;
    std::string with;
    SearchOptions options;
    std::size_t count;
    std::string result;  // the whole text afterwards
};

class ReplaceAllTest : public ::testing::TestWithParam<ReplaceAllCase> {};

TEST_P(ReplaceAllTest, ReplacesEveryOccurrenceOnce) {
    const ReplaceAllCase& c = GetParam();
    auto r = ReplaceAll(c.text, c.what, c.with, c.options);
    EXPECT_EQ(r.count, c.count);
    std::string after = c.text;
    if (r.count) {
        ASSERT_LE(r.start + r.oldLength, c.text.size());
        after.replace(r.start, r.oldLength, r.newText);
        // The stretch starts with a replacement and ends with one (the caret goes there).
        EXPECT_EQ(r.newText.substr(0, c.with.size()), c.with);
        EXPECT_EQ(r.newText.substr(r.newText.size() - c.with.size()), c.with);
    }
    EXPECT_EQ(after, c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceAllTest,
    ::testing::Values(ReplaceAllCase{"replacement_contains_find_text", "a-a-a", "a", "aa", kPlain, 3, "aa-aa-aa"},
                      ReplaceAllCase{"no_overlap", "aaaa", "aa", "a", kPlain, 2, "aa"},
                      ReplaceAllCase{"middle_only", "xx a yy", "a", "b", kPlain, 1, "xx b yy"},
                      ReplaceAllCase{"none", "xyz", "a", "b", kPlain, 0, "xyz"},
                      ReplaceAllCase{"delete", "a-b-c", "-", "", kPlain, 2, "abc"},
                      ReplaceAllCase{"trail_bytes_untouched", "乤a乤", "a", "b", kPlain, 1, "乤b乤"},
                      ReplaceAllCase{"chinese", "词库，词库", "词库", "字典", kPlain, 2, "字典，字典"},
                      ReplaceAllCase{"ignore_case", "Cat cAT", "cat", "dog", kPlain, 2, "dog dog"},
                      ReplaceAllCase{"match_case", "Cat cat", "cat", "dog", kMatchCase, 1, "Cat dog"},
                      ReplaceAllCase{"whole_word", "cat concat cat", "cat", "dog", kWholeWord, 2, "dog concat dog"},
                      // Whole word judges each search by the text as already changed, as pressing
                      // Replace over and over would: "x" makes the next "-" part of a word.
                      ReplaceAllCase{"whole_word_sees_the_replacement", "--", "-", "x", kWholeWord, 1, "x-"},
                      ReplaceAllCase{"whole_word_after_a_deletion", "--", "-", "", kWholeWord, 2, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NotFoundMessage, QuotesTheFindTextInGbk) {
    std::string message = search::NotFoundMessage("词\"\\");
    EXPECT_EQ(message, "字符串 \"词\"\\\" 未找到！");
    // 字 is D7 D6 and the full-width exclamation mark A3 A1 in GBK.
    EXPECT_EQ(message.substr(0, 2), "\xD7\xD6");
    EXPECT_EQ(message.substr(message.size() - 2), "\xA3\xA1");
}

}  // namespace
