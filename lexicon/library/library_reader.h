#pragma once
// Reads a compiled library. Opening checks the whole file, so that lookups and
// iteration afterwards need no checks of their own and cannot run off the data.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lexicon {

struct LibraryEntry {
    std::string_view original;
    std::string_view translation;
};

class Library {
public:
    struct Options {
        // The fuzzer turns this off to reach the structural checks behind the checksum.
        bool verify_checksum = true;
    };

    // The library in `bytes`, or nothing with `error` saying what is wrong (in Chinese,
    // GBK, for the user).
    static std::optional<Library> open(std::string bytes, std::string& error, Options options);
    static std::optional<Library> open(std::string bytes, std::string& error) {
        return open(std::move(bytes), error, Options{});
    }

    Library(Library&&) noexcept = default;
    Library& operator=(Library&&) noexcept = default;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    std::string_view description() const { return {bytes_.data() + description_offset_, description_length_}; }
    std::uint32_t size() const { return entry_count_; }
    std::uint16_t version_minor() const { return version_minor_; }

    std::optional<std::string_view> lookup(std::string_view original) const;

    // The entries in the order of the source.
    class Iterator {
    public:
        LibraryEntry operator*() const;
        Iterator& operator++();
        bool operator==(const Iterator& other) const { return at_ == other.at_; }

    private:
        friend class Library;
        Iterator(const char* base, std::size_t at) : base_(base), at_(at) {}
        const char* base_;
        std::size_t at_;
    };
    Iterator begin() const { return {bytes_.data(), records_offset_}; }
    Iterator end() const { return {bytes_.data(), records_offset_ + records_size_}; }

private:
    Library() = default;
    bool check(std::string& error, Options options);

    std::string bytes_;
    std::uint16_t version_minor_ = 0;
    std::uint32_t entry_count_ = 0;
    std::uint32_t description_offset_ = 0;
    std::uint32_t description_length_ = 0;
    std::uint32_t records_offset_ = 0;
    std::uint32_t records_size_ = 0;
    std::uint32_t index_offset_ = 0;
    std::uint32_t index_slots_ = 0;
};

}  // namespace lexicon
