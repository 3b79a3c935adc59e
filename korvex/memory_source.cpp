#include "korvex/memory_source.h"

#include "korvex/memory_files.h"

namespace korvex {

MemorySource::MemorySource() : files_(MakeMemoryFiles()) {}
MemorySource::~MemorySource() = default;

lexicon::Memory* MemorySource::Refreshed(const std::string& folder, lexicon::Diagnostics& diagnostics) {
    if (folder.empty()) return nullptr;
    if (!memory_ || folder != folder_) {
        memory_.reset();  // the old index goes before the new one is built
        folder_ = folder;
        memory_ = std::make_unique<lexicon::Memory>(*files_);
        memory_->set_folder(folder);
    }
    memory_->refresh(diagnostics);
    return memory_.get();
}

std::string MemorySource::PathOf(const std::string& folder, const std::string& name) const {
    return files_->join(folder, name);
}

}  // namespace korvex
