#include "documents/text_byte_count.h"

#include <algorithm>
#include <numeric>

#include "lexicon/base/gbk.h"

namespace documents {

void TextByteCount::Changed(int keptHead, int keptTail) {
    head_.resize(std::min(head_.size(), static_cast<std::size_t>(std::max(keptHead, 0) / kBlock)));
    tail_.resize(std::min(tail_.size(), static_cast<std::size_t>(std::max(keptTail, 0) / kBlock)));
}

void TextByteCount::Forget() {
    head_.clear();
    tail_.clear();
}

long long TextByteCount::Bytes(int units, const Fetch& fetch) {
    units = std::max(units, 0);
    const std::size_t whole = static_cast<std::size_t>(units / kBlock);
    head_.resize(std::min(head_.size(), whole));
    tail_.resize(std::min(tail_.size(), whole));
    while ((head_.size() + tail_.size()) * kBlock > static_cast<std::size_t>(units)) tail_.pop_back();
    long long total = std::accumulate(head_.begin(), head_.end(), 0LL) +
                      std::accumulate(tail_.begin(), tail_.end(), 0LL);

    // The stretch between the known blocks is read once; on the way the blocks it
    // holds are kept, from the start and from the end.
    const int from = static_cast<int>(head_.size()) * kBlock;
    const int to = units - static_cast<int>(tail_.size()) * kBlock;
    if (from >= to) return total;
    const std::string bytes = fetch(from, to);
    // bytesBefore[m]: bytes of the stretch before position to - m * kBlock.
    std::vector<long long> bytesBefore;
    long long read = 0;
    int position = from;
    int blockStart = 0;
    auto passBoundaries = [&] {
        if ((position - from) % kBlock == 0 && position > from) {
            head_.push_back(static_cast<int>(read - blockStart));
            blockStart = static_cast<int>(read);
        }
        if ((to - position) % kBlock == 0) bytesBefore.push_back(read);
    };
    passBoundaries();
    for (std::size_t i = 0; i < bytes.size() && position < to;) {
        std::size_t width = lexicon::gbk::walk_length(bytes, i);
        i += width;
        read += static_cast<long long>(width);
        ++position;
        passBoundaries();
    }
    if (position < to) {  // the text could not be read: count it all again next time
        Forget();
        return -1;
    }
    // The last entry is the end of the stretch (m = 0), the ones before it step back
    // a block each; tail blocks lie wholly inside the stretch.
    for (std::size_t m = bytesBefore.size() - 1; m > 0; --m)
        tail_.push_back(static_cast<int>(bytesBefore[m] - bytesBefore[m - 1]));
    return total + read;
}

}  // namespace documents
