#include "lexicon/library/library_writer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#include "lexicon/base/hash_slots.h"
#include "lexicon/base/large_pages.h"
#include "lexicon/base/library_format.h"

namespace lexicon {

namespace {

constexpr std::uint64_t align4(std::uint64_t n) { return (n + 3) & ~std::uint64_t{3}; }

struct Layout {
    std::uint64_t records_offset;
    std::uint64_t records_size;
    std::uint64_t index_offset;
    std::uint64_t file_size;
};

// The entries of a compiled word list, or of a table of text pairs, seen the same way.
class ListTexts {
public:
    explicit ListTexts(const WordList& list) : list_(list) {}
    std::size_t size() const { return list_.entries().size(); }
    std::string_view original(std::size_t i) const { return list_.original(list_.entries()[i]); }
    std::string_view translation(std::size_t i) const { return list_.translation(list_.entries()[i]); }
    std::uint32_t hash(std::size_t i) const { return list_.original_hashes()[i]; }

private:
    const WordList& list_;
};

class PairTexts {
public:
    explicit PairTexts(std::span<const TextPair> pairs) : pairs_(pairs) {}
    std::size_t size() const { return pairs_.size(); }
    std::string_view original(std::size_t i) const { return pairs_[i].original; }
    std::string_view translation(std::size_t i) const { return pairs_[i].translation; }
    std::uint32_t hash(std::size_t i) const { return format::hash_text(pairs_[i].original); }

private:
    std::span<const TextPair> pairs_;
};

template <typename Texts>
Layout layout_of(const Texts& texts, std::string_view description) {
    Layout l{};
    l.records_offset = align4(format::header_size + description.size() + 1);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        l.records_size += format::record_header + texts.original(i).size() + 1 + texts.translation(i).size() + 1;
    }
    l.index_offset = align4(l.records_offset + l.records_size);
    l.file_size = l.index_offset + format::slots_for(texts.size()) * format::slot_size + format::trailer_size;
    return l;
}

// Collects small pieces into one large buffer, hands it to the sink when full and keeps
// the running CRC of everything written.
class BufferedWriter {
public:
    static constexpr std::size_t max_capacity = std::size_t{256} * 1024;

    // A small library gets a buffer of its own size, not the full capacity.
    BufferedWriter(ByteSink& sink, std::uint64_t total)
        : sink_(sink),
          size_(static_cast<std::size_t>(std::min<std::uint64_t>(total, max_capacity))),
          buffer_(std::make_unique_for_overwrite<char[]>(size_)) {}

    void put(const char* data, std::size_t size) {
        while (size > 0) {
            if (used_ == size_) flush();
            const std::size_t n = std::min(size, size_ - used_);
            std::memcpy(buffer_.get() + used_, data, n);
            used_ += n;
            data += n;
            size -= n;
        }
    }
    // Room for `n` bytes in one piece, to be filled by the caller; null when `n` is more
    // than the buffer holds.
    char* room(std::size_t n) {
        if (n > size_ - used_) {
            if (n > size_) return nullptr;
            flush();
        }
        char* at = buffer_.get() + used_;
        used_ += n;
        return at;
    }
    void put_zeros(std::size_t n) {
        static const char zeros[8] = {};
        put(zeros, n);
    }
    void put_u32(std::uint32_t v) {
        char b[4];
        format::store_u32(b, v);
        put(b, 4);
    }
    bool finish() {
        flush();
        char b[4];
        format::store_u32(b, crc_);
        ok_ = ok_ && sink_.write(b, 4);
        return ok_;
    }

private:
    void flush() {
        if (used_ == 0) return;
        crc_ = format::crc32(crc_, buffer_.get(), used_);
        ok_ = ok_ && sink_.write(buffer_.get(), used_);
        used_ = 0;
    }

    ByteSink& sink_;
    std::size_t size_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::uint32_t crc_ = 0;
    bool ok_ = true;
};

template <typename Texts>
std::optional<std::uint64_t> size_of(const Texts& texts, std::string_view description) {
    const std::uint64_t size = layout_of(texts, description).file_size;
    if (size > UINT32_MAX) return std::nullopt;
    return size;
}

template <typename Texts>
bool write_texts(const Texts& entries, std::string_view description, ByteSink& sink) {
    const Layout l = layout_of(entries, description);
    if (l.file_size > UINT32_MAX) return false;
    std::uint16_t minor = format::version_minor;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        // A record's lengths are 16 bits wide.
        const std::size_t longer = std::max(entries.original(i).size(), entries.translation(i).size());
        if (longer > UINT16_MAX) return false;
        if (longer > format::version_1_0_text_bytes) minor = format::version_minor_long_texts;
    }

    char header[format::header_size] = {};
    std::memcpy(header, format::magic, sizeof format::magic);
    format::store_u16(header + format::at_version_major, format::version_major);
    format::store_u16(header + format::at_version_minor, minor);
    format::store_u32(header + format::at_header_size, format::header_size);
    format::store_u32(header + format::at_entry_count, static_cast<std::uint32_t>(entries.size()));
    format::store_u32(header + format::at_description_offset, format::header_size);
    format::store_u32(header + format::at_description_length, static_cast<std::uint32_t>(description.size()));
    format::store_u32(header + format::at_records_offset, static_cast<std::uint32_t>(l.records_offset));
    format::store_u32(header + format::at_records_size, static_cast<std::uint32_t>(l.records_size));
    format::store_u32(header + format::at_index_offset, static_cast<std::uint32_t>(l.index_offset));
    LargeVector<Slot> index;
    reserve_large(index, format::slots_for(entries.size()));
    index.assign(format::slots_for(entries.size()), Slot{0, 0});
    format::store_u32(header + format::at_index_slots, static_cast<std::uint32_t>(index.size()));
    format::store_u32(header + format::at_file_size, static_cast<std::uint32_t>(l.file_size));

    BufferedWriter out(sink, l.file_size);
    out.put(header, sizeof header);
    out.put(description.data(), description.size());
    out.put_zeros(l.records_offset - (format::header_size + description.size()));

    // The index is sized for the entries alone, so the same entries give the same file
    // whatever comments and duplicates the source had.
    // The slots of the entries a few places on are loaded while this one is written.
    constexpr std::size_t ahead = 8;
    for (std::size_t i = 0; i < std::min(ahead, entries.size()); ++i) {
        prefetch(&index[home_slot(entries.hash(i), index.size())]);
    }
    std::uint64_t at = l.records_offset;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string_view o = entries.original(i);
        const std::string_view t = entries.translation(i);
        const std::uint32_t hash = entries.hash(i);
        if (i + ahead < entries.size()) prefetch(&index[home_slot(entries.hash(i + ahead), index.size())]);
        std::size_t s = home_slot(hash, index.size());
        const std::size_t record = format::record_header + o.size() + 1 + t.size() + 1;
        if (char* r = out.room(record)) {
            format::store_u16(r, static_cast<std::uint16_t>(o.size()));
            format::store_u16(r + 2, static_cast<std::uint16_t>(t.size()));
            r += format::record_header;
            std::memcpy(r, o.data(), o.size());
            r[o.size()] = '\0';
            r += o.size() + 1;
            std::memcpy(r, t.data(), t.size());
            r[t.size()] = '\0';
        } else {
            char lengths[format::record_header];
            format::store_u16(lengths, static_cast<std::uint16_t>(o.size()));
            format::store_u16(lengths + 2, static_cast<std::uint16_t>(t.size()));
            out.put(lengths, sizeof lengths);
            out.put(o.data(), o.size());
            out.put_zeros(1);
            out.put(t.data(), t.size());
            out.put_zeros(1);
        }
        while (index[s].entry != 0) {
            if (++s == index.size()) s = 0;
        }
        index[s] = Slot{hash, static_cast<std::uint32_t>(at)};
        at += format::record_header + o.size() + 1 + t.size() + 1;
    }
    out.put_zeros(l.index_offset - at);
    if constexpr (std::endian::native == std::endian::little && sizeof(Slot) == format::slot_size) {
        out.put(reinterpret_cast<const char*>(index.data()), index.size() * sizeof(Slot));
    } else {
        for (const Slot& slot : index) {
            out.put_u32(slot.hash);
            out.put_u32(slot.entry);
        }
    }
    return out.finish();
}

}  // namespace

std::optional<std::uint64_t> library_size(const WordList& list, std::string_view description) {
    return size_of(ListTexts(list), description);
}

bool write_library(const WordList& list, std::string_view description, ByteSink& sink) {
    return write_texts(ListTexts(list), description, sink);
}

std::optional<std::uint64_t> library_size(std::span<const TextPair> entries, std::string_view description) {
    return size_of(PairTexts(entries), description);
}

bool write_library(std::span<const TextPair> entries, std::string_view description, ByteSink& sink) {
    return write_texts(PairTexts(entries), description, sink);
}

}  // namespace lexicon
