#pragma once
// The translation memory's files for KORVEX: GBK paths through the wide functions, and
// files opened so that others may read, write, replace and delete them meanwhile.
#include <memory>

#include "lexicon/memory/memory.h"

namespace korvex {

std::unique_ptr<lexicon::MemoryFiles> MakeMemoryFiles();

}  // namespace korvex
