#pragma once
// The line and column of a document's selection start, kept incrementally.
//
// The line of a position is the number of line breaks before it (CR LF, or a lone
// CR or LF, as the control shows them); its column the number of bytes since the
// last break, so a Chinese character advances it by 2. Positions
// count either bytes of the GBK text or characters (a double-byte character is one
// position), as the editor control does; the column is in bytes either way. A move costs bytes in proportion to the distance moved. When
// the text changes, the caller says from which byte on it may differ; the tracker
// then recounts from the nearest point it still knows (the remembered position or
// a checkpoint kept every few kilobytes), so an edit costs at most a few kilobytes
// of reading, whatever the document's size.
#include <functional>
#include <string>
#include <vector>

namespace documents {

class CaretTracker {
public:
    // Returns the GBK bytes of the positions [from, to) of the current text.
    using Fetch = std::function<std::string(int from, int to)>;

    enum class Units { Bytes, Characters };
    explicit CaretTracker(Units units = Units::Bytes) : units_(units) {}

    struct Place {
        int line = 0;    // from 0
        int column = 0;  // from 0, in bytes
        friend bool operator==(const Place&, const Place&) = default;
    };

    static constexpr int kCheckpointStride = 4096;

    // Bytes before `from` are as they were at the last update; later ones may differ.
    void TextChanged(int from);
    // The selection start is now `position` in a text of `length` positions.
    Place Update(int position, int length, const Fetch& fetch);

    int LastSelStart() const { return position_; }
    const Place& Last() const { return place_; }

    // "line:column" as the status bar shows it, both from 1.
    static std::string Display(const Place& place);

private:
    struct Anchor {
        int offset;
        Place place;
    };
    Place WalkForward(Anchor from, int to, const Fetch& fetch);
    Place WalkBackward(int to, const Fetch& fetch) const;
    static int ColumnAt(int position, const Fetch& fetch);

    Units units_;
    int position_ = 0;
    Place place_;
    bool positionValid_ = true;
    // checkpoints_[k]: the place of byte offset k * kCheckpointStride; all valid.
    std::vector<Place> checkpoints_{Place{}};
};

}  // namespace documents
