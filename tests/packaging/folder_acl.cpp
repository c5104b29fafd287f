// folder_acl PATH: prints PATH's owner and access list as SDDL, as Windows
// reads them back (GetNamedSecurityInfoW). Exit code 1 if it cannot.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    if (GetNamedSecurityInfoW(argv[1], SE_FILE_OBJECT, what, nullptr, nullptr, nullptr, nullptr, &descriptor)) return 1;
    wchar_t* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, what, &text, nullptr)) return 1;
    std::printf("%ls\n", text);
    LocalFree(text);
    LocalFree(descriptor);
    return 0;
}
