#pragma once
// The one translation memory that KORVEX's suggestion pane, concordance search and
// consistency check share: a million entries take hundreds of megabytes, so there is
// one index, read again only where files changed.
#include <memory>
#include <string>

#include "lexicon/base/diagnostics.h"
#include "lexicon/memory/memory.h"

namespace korvex {

class MemorySource {
public:
    MemorySource();
    ~MemorySource();
    MemorySource(const MemorySource&) = delete;
    MemorySource& operator=(const MemorySource&) = delete;

    // The memory of `folder` after reading the libraries that changed since the last
    // call; null for no folder. Another folder replaces the memory. Views taken from
    // the memory before are valid until the next call.
    lexicon::Memory* Refreshed(const std::string& folder, lexicon::Diagnostics& diagnostics);
    // The path of a library of the folder.
    std::string PathOf(const std::string& folder, const std::string& name) const;

private:
    std::unique_ptr<lexicon::MemoryFiles> files_;
    std::unique_ptr<lexicon::Memory> memory_;
    std::string folder_;
};

}  // namespace korvex
