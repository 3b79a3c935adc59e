// Holds a file open without sharing, as another program may: nobody else can open,
// replace or delete it until this process ends. Usage: file_holder PATH. Exits 1 when
// it cannot open the file; otherwise waits until it is ended.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    // The test looks at the file meanwhile to see when it is held: try again a while.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int i = 0; i < 500 && file == INVALID_HANDLE_VALUE; ++i) {
        file = ::CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_SHARING_VIOLATION) return 1;
        if (file == INVALID_HANDLE_VALUE) ::Sleep(10);
    }
    if (file == INVALID_HANDLE_VALUE) return 1;
    ::Sleep(INFINITE);
    return 0;
}
