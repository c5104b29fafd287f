// file_holder PATH [image]: keeps PATH (a file or a folder) open, sharing
// neither writes nor deletes, until it is killed; with "image", maps it as a running program's
// image is mapped instead (it can be renamed, not deleted), as a Varnok in
// another user's session keeps its program file. Prints "held" once it has
// the file; exit code 1 if it cannot.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "platform/win32/unique_handles.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && argc != 3) return 2;
    const bool image = argc == 3 && std::wcscmp(argv[2], L"image") == 0;
    const DWORD share = image ? FILE_SHARE_READ | FILE_SHARE_DELETE : FILE_SHARE_READ;
    const HANDLE opened = CreateFileW(argv[1], GENERIC_READ | GENERIC_EXECUTE, share, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return 1;
    platform::unique_handle file(opened);
    platform::unique_handle mapping;
    if (image) {
        mapping.reset(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY | SEC_IMAGE, 0, 0, nullptr));
        if (!mapping || !MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0)) return 1;
        file.reset();
    }
    std::puts("held");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}
