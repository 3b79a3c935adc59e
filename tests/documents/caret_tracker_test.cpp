#include "documents/caret_tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using documents::CaretTracker;
using Place = CaretTracker::Place;

// The definition: line breaks before the position (CR LF, a lone CR, a lone LF), and
// bytes since the last one.
Place NaivePlace(const std::string& text, int position) {
    Place place;
    for (int i = 0; i < position; ++i) {
        bool pairedLf = text[i] == '\n' && i > 0 && text[i - 1] == '\r';
        if (text[i] == '\r' || (text[i] == '\n' && !pairedLf)) {
            ++place.line;
            place.column = 0;
        } else if (!pairedLf) {
            ++place.column;
        }
    }
    return place;
}

// A document whose fetches are counted, to show what an event reads.
struct Document {
    std::string text;
    long long fetched = 0;
    CaretTracker::Fetch Fetch() {
        return [this](int from, int to) {
            from = std::max(from, 0);
            to = std::min<int>(to, static_cast<int>(text.size()));
            if (from >= to) return std::string();
            fetched += to - from;
            return text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
        };
    }
    Place Move(CaretTracker& tracker, int position) {
        return tracker.Update(position, static_cast<int>(text.size()), Fetch());
    }
};

TEST(CaretTracker, DisplayCountsFromOneAndColumnsInBytes) {
    struct Case {
        const char* text;
        int position;
        const char* display;
    } cases[] = {
        {"", 0, "1:1"},
        {"abc", 3, "1:4"},
        {"中文", 4, "1:5"},    // a Chinese character advances the column by 2
        {"ab\r\n", 4, "2:1"},  // Enter at the end of line 1
        {"ab\r\ncd", 6, "2:3"},
        {"x\n\n\ny", 4, "4:1"},
        // Lone CRs, which the control keeps from a file and shows as line breaks.
        {"a\rb", 3, "2:2"},
        {"ab\rcd\ref", 8, "3:3"},
        {"a\r", 2, "2:1"},
        {"a\n\r\nb", 5, "3:2"},  // LF, then CR LF: two breaks
    };
    for (const auto& c : cases) {
        Document doc{c.text};
        CaretTracker tracker;
        EXPECT_EQ(CaretTracker::Display(doc.Move(tracker, c.position)), c.display) << c.text;
    }
}

TEST(CaretTracker, EndToStartOfALongDocumentAndBack) {
    Document doc;
    for (int i = 0; i < 20000; ++i) doc.text += "第" + std::to_string(i) + "行 entry=翻译\r\n";
    CaretTracker tracker;
    int end = static_cast<int>(doc.text.size());
    EXPECT_EQ(doc.Move(tracker, end), NaivePlace(doc.text, end));
    EXPECT_EQ(CaretTracker::Display(doc.Move(tracker, 0)), "1:1");
    EXPECT_EQ(doc.Move(tracker, end - 7), NaivePlace(doc.text, end - 7));
}

TEST(CaretTracker, SelectionEndsDoNotMoveTheDisplayedStart) {
    // The window feeds the selection start: a forward selection keeps it, a backward
    // one moves it. Here: selecting "cd" forward from 2 reports 2 both times.
    Document doc{"ab\ncd\nef"};
    CaretTracker tracker;
    EXPECT_EQ(CaretTracker::Display(doc.Move(tracker, 3)), "2:1");
    EXPECT_EQ(CaretTracker::Display(doc.Move(tracker, 3)), "2:1");
    EXPECT_EQ(CaretTracker::Display(doc.Move(tracker, 1)), "1:2");
}

TEST(CaretTracker, BackspaceOverALineBreakIsExact) {
    Document doc{"ab\r\ncd\r\nef"};
    CaretTracker tracker;
    EXPECT_EQ(CaretTracker::Display(doc.Move(tracker, 8)), "3:1");
    // Backspace removes CR LF before the caret: the text changed from byte 6 on.
    doc.text = "ab\r\ncdef";
    tracker.TextChanged(6);
    EXPECT_EQ(CaretTracker::Display(doc.Move(tracker, 6)), "2:3");
}

TEST(CaretTracker, TextMadeShorterBehindTheCaret) {
    Document doc{"line1\nline2\nline3"};
    CaretTracker tracker;
    doc.Move(tracker, 17);
    doc.text = "x";  // replaced whole, as Clear or a new load does
    tracker.TextChanged(0);
    EXPECT_EQ(CaretTracker::Display(doc.Move(tracker, 1)), "1:2");
    // Even without being told, a remembered position past the end is never read past.
    Document other{"a\nbcdef"};
    CaretTracker unaware;
    other.Move(unaware, 7);
    other.text = "a\nb";
    EXPECT_EQ(CaretTracker::Display(other.Move(unaware, 3)), "2:2");
}

TEST(CaretTracker, AnEventReadsOnlyWhatItsWalkNeeds) {
    Document doc;
    while (doc.text.size() < 655360) doc.text += "0123456789abcdefghijklmnopqrstu\r\n";
    CaretTracker tracker;
    int end = static_cast<int>(doc.text.size());
    doc.Move(tracker, end);  // the first visit reads the document once
    doc.fetched = 0;
    // Typing at the end: the text changes behind the caret; one byte more to read.
    doc.text += "x";
    tracker.TextChanged(end);
    doc.Move(tracker, end + 1);
    EXPECT_LE(doc.fetched, 1);
    // Backspace: recounted from the nearest checkpoint, not from the start.
    doc.fetched = 0;
    doc.text.pop_back();
    tracker.TextChanged(end);
    doc.Move(tracker, end);
    EXPECT_LE(doc.fetched, CaretTracker::kCheckpointStride + 256);
    // Moving up three lines reads about three lines.
    doc.fetched = 0;
    doc.Move(tracker, end - 3 * 33);
    EXPECT_LE(doc.fetched, 3 * 33 + 256 + 33);
}

// Random edits at the caret (as a user makes them) and anywhere (as commands do),
// random moves: the tracker always agrees with a recount from the start.
TEST(CaretTracker, AgreesWithANaiveRecountOverRandomEditsAndMoves) {
    std::mt19937 random(20261210);
    const std::string pieces[] = {"a", "Z", "\r\n", "\n", "\r", "中", "乤", "ab\r\ncd", "\r\n\r\n", "  ", "="};
    for (int round = 0; round < 40; ++round) {
        Document doc;
        CaretTracker tracker;
        int caret = 0;
        for (int step = 0; step < 400; ++step) {
            int size = static_cast<int>(doc.text.size());
            switch (random() % 5) {
            case 0:  // move anywhere
                caret = size ? static_cast<int>(random() % (size + 1)) : 0;
                break;
            case 1: {  // type at the caret
                const std::string& piece = pieces[random() % std::size(pieces)];
                doc.text.insert(static_cast<size_t>(caret), piece);
                tracker.TextChanged(std::min(caret, tracker.LastSelStart()));
                caret += static_cast<int>(piece.size());
                break;
            }
            case 2: {  // backspace or delete a few bytes around the caret
                int from = std::max(0, caret - static_cast<int>(random() % 4));
                int to = std::min(size, caret + static_cast<int>(random() % 3));
                doc.text.erase(static_cast<size_t>(from), static_cast<size_t>(to - from));
                caret = from;
                tracker.TextChanged(std::min(from, tracker.LastSelStart()));
                break;
            }
            case 3: {  // a command rewrites a range anywhere and says where
                if (size == 0) break;
                int from = static_cast<int>(random() % size);
                int to = std::min(size, from + static_cast<int>(random() % 20));
                doc.text.replace(static_cast<size_t>(from), static_cast<size_t>(to - from),
                                 pieces[random() % std::size(pieces)]);
                tracker.TextChanged(from);
                caret = std::min<int>(caret, static_cast<int>(doc.text.size()));
                break;
            }
            case 4:  // a long jump
                caret = (random() % 2) ? 0 : size;
                break;
            }
            Place got = doc.Move(tracker, caret);
            ASSERT_EQ(got, NaivePlace(doc.text, caret)) << "round " << round << " step " << step;
        }
    }
}

TEST(CaretTracker, LargeDocumentsKeepCheckpointsExact) {
    std::mt19937 random(7);
    Document doc;
    while (doc.text.size() < 200000) doc.text += (random() % 7 == 0) ? "\r\n" : "词a";
    CaretTracker tracker;
    for (int i = 0; i < 300; ++i) {
        int size = static_cast<int>(doc.text.size());
        int at = static_cast<int>(random() % (size + 1));
        if (i % 3 == 0) {
            doc.text.insert(static_cast<size_t>(at), "\n");
            tracker.TextChanged(at);
        }
        int caret = static_cast<int>(random() % (doc.text.size() + 1));
        ASSERT_EQ(doc.Move(tracker, caret), NaivePlace(doc.text, caret)) << i;
    }
}

}  // namespace

namespace {

// The editor control counts a double-byte character as one position; the column
// still counts its two bytes.
struct CharacterDocument {
    std::vector<std::string> characters;
    CaretTracker::Fetch Fetch() {
        return [this](int from, int to) {
            std::string bytes;
            for (int i = std::max(from, 0); i < std::min<int>(to, static_cast<int>(characters.size())); ++i)
                bytes += characters[static_cast<size_t>(i)];
            return bytes;
        };
    }
    Place Naive(int position) const {
        std::string bytes;
        for (int i = 0; i < position; ++i) bytes += characters[static_cast<size_t>(i)];
        return NaivePlace(bytes, static_cast<int>(bytes.size()));
    }
};

TEST(CaretTrackerInCharacters, ChineseCountsOnePositionAndTwoColumns) {
    CharacterDocument doc{{"中", "文", "a", "\r", "\n", "乤", "b"}};
    CaretTracker tracker(CaretTracker::Units::Characters);
    auto at = [&](int p) { return CaretTracker::Display(tracker.Update(p, 7, doc.Fetch())); };
    EXPECT_EQ(at(2), "1:5");
    EXPECT_EQ(at(3), "1:6");
    EXPECT_EQ(at(5), "2:1");
    EXPECT_EQ(at(6), "2:3");  // 乤's trail byte is 'a': still one character
    EXPECT_EQ(at(1), "1:3");
}

TEST(CaretTrackerInCharacters, AgreesWithANaiveRecountOverRandomEditsAndMoves) {
    std::mt19937 random(42);
    const char* pieces[] = {"a", "\r", "\n", "中", "乤", "乗", " ", "="};
    for (int round = 0; round < 30; ++round) {
        CharacterDocument doc;
        CaretTracker tracker(CaretTracker::Units::Characters);
        int caret = 0;
        for (int step = 0; step < 300; ++step) {
            int size = static_cast<int>(doc.characters.size());
            int op = static_cast<int>(random() % 4);
            if (op == 0) {
                caret = size ? static_cast<int>(random() % (size + 1)) : 0;
            } else if (op == 1) {
                int count = 1 + static_cast<int>(random() % 5);
                for (int i = 0; i < count; ++i)
                    doc.characters.insert(doc.characters.begin() + caret + i, pieces[random() % std::size(pieces)]);
                tracker.TextChanged(std::min(caret, tracker.LastSelStart()));
                caret += count;
            } else if (op == 2) {
                int from = std::max(0, caret - static_cast<int>(random() % 3));
                int to = std::min(size, caret + static_cast<int>(random() % 3));
                doc.characters.erase(doc.characters.begin() + from, doc.characters.begin() + to);
                caret = from;
                tracker.TextChanged(std::min(from, tracker.LastSelStart()));
            } else {
                caret = (random() % 2) ? 0 : size;
            }
            Place got = tracker.Update(caret, static_cast<int>(doc.characters.size()), doc.Fetch());
            ASSERT_EQ(got, doc.Naive(caret)) << "round " << round << " step " << step;
        }
    }
}

}  // namespace
