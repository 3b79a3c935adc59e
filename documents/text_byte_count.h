#pragma once
// The GBK byte length of the editor's text, kept up to date from where edits happen.
//
// The control counts positions (a Chinese character is one); the typing limit is in
// bytes, and counting them by reading the whole text takes tens of milliseconds at
// 640 KB, too long for every key. So the byte counts of blocks of kBlock positions
// are kept twice: in blocks from the start of the text and in blocks from its end.
// An edit leaves the blocks before it and the blocks behind it as they were, so after
// typing anywhere in a long text the length costs a read of about two blocks.
#include <functional>
#include <string>
#include <vector>

namespace documents {

class TextByteCount {
public:
    // Returns the GBK bytes of the positions [from, to) of the current text, or fewer
    // when it cannot read them all.
    using Fetch = std::function<std::string(int from, int to)>;

    static constexpr int kBlock = 4096;

    // The text changed: its first `keptHead` and its last `keptTail` positions are
    // as they were before.
    void Changed(int keptHead, int keptTail);
    // Nothing is known of the text any more.
    void Forget();
    // The byte length of the current text, `units` positions long; -1 when the
    // fetch returned less than asked for (nothing is kept then).
    long long Bytes(int units, const Fetch& fetch);

private:
    std::vector<int> head_;  // head_[k]: bytes of positions [k, k + 1) * kBlock
    std::vector<int> tail_;  // tail_[k]: bytes of the k-th block counted back from the end
};

}  // namespace documents
