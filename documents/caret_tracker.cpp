#include "documents/caret_tracker.h"

#include <algorithm>

#include "lexicon/base/gbk.h"

namespace documents {

namespace {
// Reads a long walk in slices so that no single fetch is large.
constexpr int kSlice = 16384;

// Line breaks: CR LF, and a lone CR or LF, which the control keeps and shows as a
// break too. So a CR ends a line, and so does an LF that no CR stands right before.
// (The caret never stands between the CR and the LF of a pair: the control moves it
// in front of the CR.)
bool EndsLine(unsigned char c, bool afterCr) { return c == '\r' || (c == '\n' && !afterCr); }

// Moves `place` over the character at bytes[i] and returns its length in bytes: a
// double-byte character is one position when `characters`, and two columns always.
std::size_t StepOver(CaretTracker::Place& place, const std::string& bytes, std::size_t i, bool afterCr,
                     bool characters) {
    auto c = static_cast<unsigned char>(bytes[i]);
    if (EndsLine(c, afterCr)) {
        ++place.line;
        place.column = 0;
        return 1;
    }
    if (c == '\n') return 1;  // the LF of a CR LF pair adds nothing: the CR ended the line
    std::size_t length = characters ? lexicon::gbk::walk_length(bytes, i) : 1;
    place.column += static_cast<int>(length);
    return length;
}

// Whether the position before `at` holds a CR; read only for an LF met first.
bool CrBefore(int at, const CaretTracker::Fetch& fetch) {
    if (at <= 0) return false;
    std::string bytes = fetch(at - 1, at);
    return !bytes.empty() && bytes.back() == '\r';
}
}  // namespace

void CaretTracker::TextChanged(int from) {
    from = std::max(from, 0);
    // The place of an offset depends only on the bytes before it.
    if (position_ > from) positionValid_ = false;
    std::size_t keep = static_cast<std::size_t>(from / kCheckpointStride) + 1;
    if (checkpoints_.size() > keep) checkpoints_.resize(keep);
}

CaretTracker::Place CaretTracker::WalkForward(Anchor from, int to, const Fetch& fetch) {
    Place place = from.place;
    int offset = from.offset;
    int previous = -1;  // the byte before the one looked at, once known
    while (offset < to) {
        int end = std::min(to, offset + kSlice);
        std::string bytes = fetch(offset, end);
        if (bytes.empty()) break;
        for (std::size_t i = 0; i < bytes.size() && offset < end; ++i) {
            if (offset % kCheckpointStride == 0 && offset / kCheckpointStride == static_cast<int>(checkpoints_.size()))
                checkpoints_.push_back(place);
            if (bytes[i] == '\n' && previous < 0) previous = CrBefore(offset, fetch) ? '\r' : 0;
            i += StepOver(place, bytes, i, previous == '\r', units_ == Units::Characters) - 1;
            previous = static_cast<unsigned char>(bytes[i]);
            ++offset;
        }
    }
    if (offset % kCheckpointStride == 0 && offset / kCheckpointStride == static_cast<int>(checkpoints_.size()))
        checkpoints_.push_back(place);
    return place;
}

int CaretTracker::ColumnAt(int position, const Fetch& fetch) {
    int column = 0;
    int end = position;
    while (end > 0) {
        int begin = std::max(0, end - 256);
        std::string bytes = fetch(begin, end);
        for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) {
            if (*it == '\n' || *it == '\r') return column;
            ++column;
        }
        end = begin;
    }
    return column;
}

CaretTracker::Place CaretTracker::WalkBackward(int to, const Fetch& fetch) const {
    Place place = place_;
    int offset = position_;
    while (offset > to) {
        int begin = std::max(to, offset - kSlice);
        std::string bytes = fetch(begin, offset);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            auto c = static_cast<unsigned char>(bytes[i]);
            bool afterCr = c == '\n' && (i > 0 ? bytes[i - 1] == '\r' : CrBefore(begin, fetch));
            if (EndsLine(c, afterCr)) --place.line;
        }
        offset = begin;
    }
    place.column = ColumnAt(to, fetch);
    return place;
}

CaretTracker::Place CaretTracker::Update(int position, int length, const Fetch& fetch) {
    position = std::clamp(position, 0, std::max(length, 0));
    if (position_ > length) {  // the text became shorter behind the remembered position
        positionValid_ = false;
        TextChanged(length);
    }

    // The nearest known place at or before the new position.
    std::size_t k = std::min(checkpoints_.size() - 1, static_cast<std::size_t>(position / kCheckpointStride));
    Anchor anchor{static_cast<int>(k) * kCheckpointStride, checkpoints_[k]};
    if (positionValid_ && position_ <= position && position_ > anchor.offset) anchor = {position_, place_};

    Place place;
    if (positionValid_ && position_ > position && position_ - position < position - anchor.offset) {
        place = WalkBackward(position, fetch);
    } else {
        place = WalkForward(anchor, position, fetch);
    }
    position_ = position;
    place_ = place;
    positionValid_ = true;
    return place;
}

std::string CaretTracker::Display(const Place& place) {
    return std::to_string(place.line + 1) + ":" + std::to_string(place.column + 1);
}

}  // namespace documents
