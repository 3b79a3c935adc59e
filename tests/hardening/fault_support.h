#pragma once
// What the fault tests share: another process holding a file open without sharing, and
// a request to the script that mounted the test's small disks.
#include <windows.h>

#include <string>

#include "win/handles.h"

namespace faults {

// Starts file_holder.exe (beside the test) on `path` and waits until the file is held.
// The file is let go when the object is destroyed or Release() is called.
class HeldFile {
public:
    explicit HeldFile(const std::string& path);
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool Held() const { return static_cast<bool>(process_); }
    void Release();

private:
    win::KernelHandle process_;
};

// The drive the fault script mapped for `variable`, or "" when it did not.
std::string FaultDrive(const char* variable);

// Asks the fault script for `request` (a name it knows) and waits until it is done.
bool RequestFromScript(const std::string& request);

// The private memory committed by this process, in bytes.
SIZE_T PrivateBytes();

// The folder of the running test executable, with a trailing backslash.
std::string ExecutableFolder();

}  // namespace faults
