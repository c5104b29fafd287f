// folder_acl PATH...: prints each PATH's owner and access list as SDDL, as
// Windows reads them back (GetNamedSecurityInfoW), one line each; with more
// than one PATH, after "PATH: ". Exit code 1 if one cannot be read.
// folder_acl --make-open PATH: makes the folder PATH with a list that lets
// everyone do everything, as a user would who made it first.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[1], L"--make-open") == 0) {
        wchar_t everyone[] = L"D:(A;OICI;FA;;;WD)";
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        PACL dacl = nullptr;
        BOOL present = FALSE, defaulted = FALSE;
        const bool made = CreateDirectoryW(argv[2], nullptr) &&
                          ConvertStringSecurityDescriptorToSecurityDescriptorW(everyone, SDDL_REVISION_1, &descriptor, nullptr) &&
                          GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) &&
                          SetNamedSecurityInfoW(argv[2], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl,
                                                nullptr) == ERROR_SUCCESS;
        LocalFree(descriptor);
        return made ? 0 : 1;
    }
    if (argc < 2) return 2;
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        wchar_t* text = nullptr;
        const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
        if (GetNamedSecurityInfoW(argv[i], SE_FILE_OBJECT, what, nullptr, nullptr, nullptr, nullptr, &descriptor) ||
            !ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, what, &text, nullptr)) {
            status = 1;
        }
        if (argc > 2) std::printf("%ls: ", argv[i]);
        std::printf("%ls\n", text ? text : L"unreadable");
        LocalFree(text);
        LocalFree(descriptor);
    }
    return status;
}
