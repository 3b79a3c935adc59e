#include "lexicon/library/library_reader.h"

#include <cstring>

#include "lexicon/base/diagnostics.h"
#include "lexicon/base/hash_slots.h"
#include "lexicon/base/library_format.h"

namespace lexicon {

using format::load_u16;
using format::load_u32;

std::optional<Library> Library::open(std::string bytes, std::string& error, Options options) {
    Library library;
    library.bytes_ = std::move(bytes);
    if (!library.check(error, options)) return std::nullopt;
    error.clear();
    return library;
}

bool Library::check(std::string& error, Options options) {
    const char* const b = bytes_.data();
    const std::uint64_t size = bytes_.size();
    auto fail = [&error](std::string why) {
        error = std::move(why);
        return false;
    };
    if (size < format::header_size + format::trailer_size || std::memcmp(b, format::magic, sizeof format::magic) != 0) {
        return fail("不是 Mervik 词库文件（文件头不对）");
    }
    const std::uint16_t major = load_u16(b + format::at_version_major);
    if (major != format::version_major) {
        return fail(cat("词库格式版本 ", major, " 不受支持（只能读取版本 ", format::version_major, "）"));
    }
    version_minor_ = load_u16(b + format::at_version_minor);
    if (load_u32(b + format::at_file_size) != size) return fail("词库文件不完整或已损坏（文件长度不对）");
    if (options.verify_checksum) {
        const std::uint32_t stored = load_u32(b + size - format::trailer_size);
        if (format::crc32(0, b, size - format::trailer_size) != stored) return fail("词库文件已损坏（校验和不对）");
    }

    const std::uint64_t header = load_u32(b + format::at_header_size);
    entry_count_ = load_u32(b + format::at_entry_count);
    description_offset_ = load_u32(b + format::at_description_offset);
    description_length_ = load_u32(b + format::at_description_length);
    records_offset_ = load_u32(b + format::at_records_offset);
    records_size_ = load_u32(b + format::at_records_size);
    index_offset_ = load_u32(b + format::at_index_offset);
    index_slots_ = load_u32(b + format::at_index_slots);
    const std::uint64_t body_end = size - format::trailer_size;
    const std::uint64_t records_end = std::uint64_t{records_offset_} + records_size_;
    const std::uint64_t index_end = index_offset_ + std::uint64_t{index_slots_} * format::slot_size;
    const bool laid_out = header >= format::header_size && header <= body_end && description_offset_ >= header &&
                          std::uint64_t{description_offset_} + description_length_ <= records_offset_ &&
                          records_offset_ >= header && records_end <= index_offset_ && index_end <= body_end &&
                          index_slots_ > entry_count_;
    if (!laid_out) return fail("词库文件已损坏（各部分的位置不对）");

    // Every record lies inside the record area, each text ends in its NUL, and the
    // records fill the area exactly.
    std::uint64_t at = records_offset_;
    for (std::uint32_t i = 0; i < entry_count_; ++i) {
        if (at + format::record_header > records_end) return fail("词库文件已损坏（条目数不对）");
        const std::uint64_t o = load_u16(b + at);
        const std::uint64_t t = load_u16(b + at + 2);
        const std::uint64_t next = at + format::record_header + o + 1 + t + 1;
        if (next > records_end || b[at + format::record_header + o] != '\0' || b[next - 1] != '\0') {
            return fail(cat("词库文件已损坏（第 ", i + 1, " 个条目不完整）"));
        }
        at = next;
    }
    if (at != records_end) return fail("词库文件已损坏（条目数不对）");

    // Every used slot names a whole record, and there is one used slot per entry.
    std::uint64_t used = 0;
    for (std::uint32_t s = 0; s < index_slots_; ++s) {
        const std::uint64_t offset = load_u32(b + index_offset_ + std::uint64_t{s} * format::slot_size + 4);
        if (offset == 0) continue;
        ++used;
        bool whole = offset >= records_offset_ && offset + format::record_header <= records_end;
        if (whole) {
            const std::uint64_t next = offset + format::record_header + load_u16(b + offset) + 1 +
                                       load_u16(b + offset + 2) + 1;
            whole = next <= records_end;
        }
        if (!whole) return fail("词库文件已损坏（索引指向条目之外）");
    }
    if (used != entry_count_) return fail("词库文件已损坏（索引与条目数不符）");
    return true;
}

std::optional<std::string_view> Library::lookup(std::string_view original) const {
    const char* const b = bytes_.data();
    const std::uint32_t hash = format::hash_text(original);
    const char* const index = b + index_offset_;
    std::size_t s = home_slot(hash, index_slots_);
    for (std::uint32_t probes = 0; probes < index_slots_; ++probes) {
        const char* slot = index + s * format::slot_size;
        const std::uint32_t offset = load_u32(slot + 4);
        if (offset == 0) break;
        if (load_u32(slot) == hash) {
            const char* record = b + offset;
            const std::uint16_t length = load_u16(record);
            if (length == original.size() &&
                std::memcmp(record + format::record_header, original.data(), length) == 0) {
                return std::string_view(record + format::record_header + length + 1, load_u16(record + 2));
            }
        }
        if (++s == index_slots_) s = 0;
    }
    return std::nullopt;
}

LibraryEntry Library::Iterator::operator*() const {
    const char* record = base_ + at_;
    const std::uint16_t o = load_u16(record);
    const std::uint16_t t = load_u16(record + 2);
    return {{record + format::record_header, o}, {record + format::record_header + o + 1, t}};
}

Library::Iterator& Library::Iterator::operator++() {
    const char* record = base_ + at_;
    at_ += format::record_header + load_u16(record) + 1 + load_u16(record + 2) + 1;
    return *this;
}

}  // namespace lexicon
