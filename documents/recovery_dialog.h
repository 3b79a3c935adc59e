#pragma once
// The question at start-up when an editor that ended without cleaning up left
// recovery copies: one dialog, "恢复未保存的文档", listing each document.
#include <windows.h>

#include <vector>

#include "documents/recovery_store.h"

namespace documents {

enum class RecoveryAnswer {
    Restore,  // "恢复": open each document again
    Discard,  // "放弃": remove the copies
    Later,    // Esc or the close box: keep the copies for the next start
};

// Modal over `owner`; lists each copy's caption, file and time.
RecoveryAnswer AskAboutRecoveryCopies(HWND owner, const std::vector<FoundCopy>& copies);

}  // namespace documents
