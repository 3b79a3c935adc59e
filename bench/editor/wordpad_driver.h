#pragma once
// Opens a file in the system's WordPad through its own open dialog, from another
// process, and times it from the dialog's OK to the editor answering with the text.
#include <windows.h>

#include <string>

namespace bench {

struct WordPadOpen {
    bool ok = false;
    double ms = 0;     // OK pressed -> the loaded editor answers
    double cpuMs = 0;  // WordPad's processor time over the same stretch
    std::string failure;
};

// `minimumUnits`: the text length the editor must report once the file is in.
WordPadOpen OpenInWordPad(const std::string& path, int minimumUnits);

}  // namespace bench
