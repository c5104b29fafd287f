// The install folder. The per-machine Run entry starts varnok.exe from it at
// every user's sign-in, so whoever can write there, or swap the folder or
// one above it for their own, runs code in every other user's session.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "platform/win32/unique_handles.h"
#include "setup_actions.h"

namespace {

void freeLocal(HLOCAL memory) { LocalFree(memory); }
using unique_local = platform::unique_any<HLOCAL, freeLocal>;

// Owner Administrators; Administrators and SYSTEM full control, Users read
// and execute, for the folder and all within; nothing from the parent.
constexpr wchar_t kProtected[] = L"O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";
constexpr wchar_t kTrustedInstaller[] = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// Rights that let their holder take a folder, or its place, away.
constexpr ACCESS_MASK kTakeRights = DELETE | WRITE_DAC | WRITE_OWNER;
// ... or put a file of theirs into it.
constexpr ACCESS_MASK kWriteRights = kTakeRights | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD;

class Trusted {
public:
    Trusted() {
        ConvertStringSidToSidW(kTrustedInstaller, reinterpret_cast<PSID*>(installer_.put()));
        platform::unique_handle token;
        DWORD size = 0;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) &&
            GetTokenInformation(token.get(), TokenUser, self_, sizeof self_, &size)) {
            selfSid_ = reinterpret_cast<TOKEN_USER*>(self_)->User.Sid;
        }
    }
    // Administrators, the system account, TrustedInstaller (which owns
    // Windows' own folders) and the administrator running the installer.
    bool operator()(PSID sid) const {
        return IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid) ||
               (installer_ && EqualSid(sid, installer_.get())) || (selfSid_ && EqualSid(sid, selfSid_));
    }

private:
    unique_local installer_;
    alignas(TOKEN_USER) BYTE self_[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)] = {};
    PSID selfSid_ = nullptr;
};

// True when someone untrusted holds one of `rights` on `path`: as its owner
// (who may always rewrite its list), through an ACE, or because it has no
// list at all. An unreadable list counts as such.
bool othersHold(const std::wstring& path, ACCESS_MASK rights, const Trusted& trusted) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return true;
    }
    const unique_local held(descriptor);
    if (!owner || !trusted(owner) || !dacl) return true;
    GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) return true;
        if (header->AceFlags & INHERIT_ONLY_ACE) continue;
        if (header->AceType == ACCESS_ALLOWED_OBJECT_ACE_TYPE) return true;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE) continue;
        auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        ACCESS_MASK mask = ace->Mask;
        MapGenericMask(&mask, &mapping);
        if ((mask & rights) && !trusted(&ace->SidStart)) return true;
    }
    return false;
}

bool isEmpty(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return true;
    bool empty = true;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") empty = false;
    } while (empty && FindNextFileW(search, &found));
    FindClose(search);
    return empty;
}

} // namespace

namespace setup {

DWORD protectInstallFolder(const wchar_t* folder, bool installed, std::wstring& reason) {
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(folder, MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) return ERROR_BAD_PATHNAME;
    std::wstring path(full);
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    // A removable or network drive can be written from another machine, or
    // with its own rules; FAT keeps no access lists at all.
    DWORD flags = 0;
    if (path.size() < 4 || path[1] != L':' || path[2] != L'\\' || GetDriveTypeW(path.substr(0, 3).c_str()) != DRIVE_FIXED ||
        !GetVolumeInformationW(path.substr(0, 3).c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) ||
        !(flags & FILE_PERSISTENT_ACLS)) {
        reason = path + L" is not a folder on a local NTFS drive.";
        return ERROR_BAD_PATHNAME;
    }
    PSECURITY_DESCRIPTOR made = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kProtected, SDDL_REVISION_1, &made, nullptr)) {
        return GetLastError();
    }
    const unique_local descriptor(made);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, made, FALSE};
    const Trusted trusted;

    // From the drive down: a folder that exists must be one no other user
    // can rename or re-permission, in a parent they cannot delete from; a
    // missing one is made protected from the start. The install folder
    // itself gets its list below; if others could write to it, it must be
    // empty, or Varnok's own from an earlier install.
    std::wstring parent = path.substr(0, 3);
    bool wasWritable = false;
    for (size_t at = 3;;) {
        const size_t end = path.find(L'\\', at);
        const std::wstring current = path.substr(0, end);
        const DWORD attributesFound = GetFileAttributesW(current.c_str());
        if (attributesFound == INVALID_FILE_ATTRIBUTES) {
            if (!CreateDirectoryW(current.c_str(), &attributes)) return GetLastError();
        } else if (!(attributesFound & FILE_ATTRIBUTE_DIRECTORY) || (attributesFound & FILE_ATTRIBUTE_REPARSE_POINT)) {
            reason = current + L" is a file or a link, not a folder.";
            return ERROR_DIRECTORY;
        } else if ((end != std::wstring::npos && othersHold(current, kTakeRights, trusted)) ||
                   othersHold(parent, FILE_DELETE_CHILD, trusted)) {
            reason = L"Users other than administrators can rename or replace " + current + L".";
            return ERROR_ACCESS_DENIED;
        } else if (end == std::wstring::npos) {
            wasWritable = !installed && othersHold(current, kWriteRights, trusted);
        }
        if (end == std::wstring::npos) break;
        parent = current;
        at = end + 1;
    }

    // Every install, upgrade and repair puts the list back, whatever was
    // loosened since; the files inside inherit it.
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    PSID owner = nullptr;
    GetSecurityDescriptorDacl(made, &present, &dacl, &defaulted);
    GetSecurityDescriptorOwner(made, &owner, &defaulted);
    const DWORD error = SetNamedSecurityInfoW(
        &path[0], SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
        owner, nullptr, dacl, nullptr);
    // Looked into once nobody else can add to it, so that nothing slips in
    // between the look and the new list.
    if (error == ERROR_SUCCESS && wasWritable && !isEmpty(path)) {
        reason = L"Users other than administrators could write to " + path +
                 L", and it holds files they could have put there.";
        return ERROR_ACCESS_DENIED;
    }
    return error;
}

} // namespace setup
