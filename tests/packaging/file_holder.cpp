// file_holder PATH: keeps PATH open, sharing neither writes nor deletes, as
// a Varnok in another user's session keeps its program file, until it is
// killed. Prints "held" once it has the file; exit code 1 if it cannot.
#include <windows.h>

#include <cstdio>

#include "platform/win32/unique_handles.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    const HANDLE opened = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return 1;
    const platform::unique_handle file(opened);
    std::puts("held");
    std::fflush(stdout);
    Sleep(INFINITE);
}
