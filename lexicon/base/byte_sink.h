#pragma once
// Where a library or a message file is written to: a file on disk or, in tests and
// fuzzing, memory.
#include <cstddef>
#include <string>

namespace lexicon {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool write(const char* data, std::size_t size) = 0;
};

class StringSink final : public ByteSink {
public:
    bool write(const char* data, std::size_t size) override {
        bytes.append(data, size);
        return true;
    }
    std::string bytes;
};

}  // namespace lexicon
