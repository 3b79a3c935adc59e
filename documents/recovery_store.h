#pragma once
// RecoveryStore: where the editor keeps recovery copies of documents with unsaved
// changes, so that nothing typed is lost when the editor dies (a crash, a killed
// process, a power cut). Each running editor has a folder of its own under the root
// (%LOCALAPPDATA%\Velmora-恢复), and holds a lock file in it, open without sharing,
// while it runs: a folder whose lock can be taken belongs to an editor that has
// ended without cleaning up. A normal exit removes the folder (and the root once it is
// empty), so nothing of the copies remains.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "documents/recovery_record.h"
#include "win/handles.h"

namespace documents {

struct FoundCopy {
    std::wstring path;  // the copy's file
    RecoveryHeader header;
    std::string bytes;  // the document's bytes, as a save writes them
};

class RecoveryStore {
public:
    // Makes this editor's folder under `root` and takes its lock. A root that cannot
    // be written leaves the store unusable; the editor works on without copies.
    explicit RecoveryStore(std::wstring root);
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    // %LOCALAPPDATA%\Velmora-恢复: outside the program's folder, per user.
    static std::wstring DefaultRoot();

    bool Usable() const { return static_cast<bool>(lock_); }
    const std::wstring& Folder() const { return folder_; }

    // Takes over the folders of editors that are no longer running: each is renamed
    // into this editor's folder before anything is asked, so two editors started after
    // a crash never offer the same copies. Returns the copies found, oldest first;
    // folders without a copy are removed.
    std::vector<FoundCopy> AdoptOrphans();
    // The adopted copies go back out of this editor's folder, for the next start (the
    // question was put off).
    void ReleaseAdopted();
    // The adopted copies are removed (restored, or given up).
    void RemoveAdopted();

    // A name of its own for a document's copy.
    int NewSlot() { return ++lastSlot_; }
    // Writes the copy of `slot`: the header, then the text `writeText` writes to the
    // open file, into a temporary file that then takes the copy's place. False when any
    // of it fails; the copy before stays then.
    bool Write(int slot, const RecoveryHeader& header, const std::function<bool(HANDLE)>& writeText);
    void Remove(int slot);

    // A failed write is told to the user once per editor, never once per keystroke:
    // true the first time only.
    bool FirstFailure() { return !std::exchange(failureTold_, true); }

private:
    std::wstring CopyPath(int slot, const wchar_t* extension) const;

    std::wstring root_;
    std::wstring folder_;
    win::FileHandle lock_;
    std::vector<std::wstring> adopted_;       // folders taken over, inside folder_
    std::vector<std::wstring> adoptedNames_;  // their names before
    int lastSlot_ = 0;
    bool failureTold_ = false;
};

}  // namespace documents
