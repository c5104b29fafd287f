// The install folder: read, decided on by packaging/folder_rules.cpp, and
// only then made or re-permissioned. The per-machine Run entry starts
// varnok.exe from it at every user's sign-in.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "packaging/folder_rules.h"
#include "setup_actions.h"

namespace {

using setup::FileId;
using setup::FolderFacts;
using setup::unique_local;

// Owner Administrators; Administrators and SYSTEM full control, Users read
// and execute, for the folder and all within; nothing from the parent.
constexpr wchar_t kProtected[] = L"O:BAD:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";
// What each file in it gets: those entries as inherited ones, none of its own.
constexpr wchar_t kInheritedOnly[] = L"O:BAD:AI(A;ID;FA;;;BA)(A;ID;FA;;;SY)(A;ID;0x1200a9;;;BU)";
constexpr wchar_t kTrustedInstaller[] = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
constexpr SECURITY_INFORMATION kOwnerAndList = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

void closeFind(HANDLE search) { FindClose(search); }
using unique_find = platform::unique_any<HANDLE, closeFind>;

// Administrators, the system account and TrustedInstaller (which owns
// Windows' own folders). Not the administrator running the installer: that
// account's unelevated programs run as it too.
class Trusted {
public:
    Trusted() {
        ConvertStringSidToSidW(kTrustedInstaller, reinterpret_cast<PSID*>(trustedInstaller_.put()));
        // Wine has one account, which owns every file and which it makes an
        // administrator: there it stands for Administrators. No Windows
        // ntdll exports this name.
        platform::unique_handle token;
        DWORD size = 0;
        if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") &&
            OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) &&
            GetTokenInformation(token.get(), TokenUser, wineUser_, sizeof wineUser_, &size)) {
            wineSid_ = reinterpret_cast<TOKEN_USER*>(wineUser_)->User.Sid;
        }
    }
    bool operator()(PSID sid) const {
        return IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid) ||
               (trustedInstaller_ && EqualSid(sid, trustedInstaller_.get())) || (wineSid_ && EqualSid(sid, wineSid_));
    }

private:
    unique_local trustedInstaller_;
    alignas(TOKEN_USER) BYTE wineUser_[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)] = {};
    PSID wineSid_ = nullptr;
};

// Administrators and the system account hold these, disabled: to take a file
// whose owner shut them out, and to give it back to that owner on a rollback.
class Privileges {
public:
    Privileges() {
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token_.put())) return;
        TOKEN_PRIVILEGES* wanted = reinterpret_cast<TOKEN_PRIVILEGES*>(wanted_);
        wanted->PrivilegeCount = 2;
        wanted->Privileges[0].Attributes = wanted->Privileges[1].Attributes = SE_PRIVILEGE_ENABLED;
        DWORD size = 0;
        if (!LookupPrivilegeValueW(nullptr, SE_TAKE_OWNERSHIP_NAME, &wanted->Privileges[0].Luid) ||
            !LookupPrivilegeValueW(nullptr, SE_RESTORE_NAME, &wanted->Privileges[1].Luid) ||
            !AdjustTokenPrivileges(token_.get(), FALSE, wanted, sizeof before_, reinterpret_cast<TOKEN_PRIVILEGES*>(before_), &size)) {
            token_.reset();
        }
    }
    ~Privileges() {
        if (token_) AdjustTokenPrivileges(token_.get(), FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(before_), 0, nullptr, nullptr);
    }
    Privileges(const Privileges&) = delete;
    Privileges& operator=(const Privileges&) = delete;

private:
    platform::unique_handle token_;
    alignas(TOKEN_PRIVILEGES) BYTE wanted_[sizeof(TOKEN_PRIVILEGES) + sizeof(LUID_AND_ATTRIBUTES)] = {};
    alignas(TOKEN_PRIVILEGES) BYTE before_[sizeof(TOKEN_PRIVILEGES) + sizeof(LUID_AND_ATTRIBUTES)] = {};
};

// What accounts other than the trusted ones may do, by `dacl`'s entries.
unsigned othersMay(PACL dacl, const Trusted& trusted) {
    if (!dacl) return setup::kEverything;
    GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    unsigned may = setup::kNothing;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) return setup::kEverything;
        if (header->AceFlags & INHERIT_ONLY_ACE) continue;
        if (header->AceType == ACCESS_ALLOWED_OBJECT_ACE_TYPE) return setup::kEverything;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE) continue;
        auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        if (trusted(&ace->SidStart)) continue;
        ACCESS_MASK mask = ace->Mask;
        MapGenericMask(&mask, &mapping);
        if (mask & (DELETE | WRITE_DAC | WRITE_OWNER)) may |= setup::kTake;
        if (mask & FILE_ADD_FILE) may |= setup::kAddFiles;
        if (mask & FILE_ADD_SUBDIRECTORY) may |= setup::kAddFolders;
        if (mask & FILE_DELETE_CHILD) may |= setup::kDeleteChildren;
    }
    return may;
}

// What is at `path` itself, never what a link there leads to: a folder, or
// a file that has no other name (a hard link would make a reset of its list
// the reset of another file's). The installers run as administrators or
// the system account on paths that users may have prepared.
struct Opened {
    platform::unique_handle handle;
    DWORD error = ERROR_SUCCESS;
    bool folder = false, loneFile = false;
    FileId id;
};
Opened openItself(const std::wstring& path, DWORD access, DWORD share) {
    Opened opened;
    const HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        opened.error = GetLastError();
        return opened;
    }
    opened.handle.reset(handle);
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info)) {
        opened.error = GetLastError();
        return opened;
    }
    const DWORD kind = info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    opened.folder = kind == FILE_ATTRIBUTE_DIRECTORY;
    opened.loneFile = kind == 0 && info.nNumberOfLinks == 1;
    opened.id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return opened;
}
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

FolderFacts readFolder(const std::wstring& path, const Trusted& trusted, FileId* id = nullptr) {
    FolderFacts facts{path};
    const Opened opened = openItself(path, READ_CONTROL | FILE_READ_ATTRIBUTES, kShareAll);
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (opened.error == ERROR_FILE_NOT_FOUND || opened.error == ERROR_PATH_NOT_FOUND) {
        facts.kind = FolderFacts::Missing;
    } else if (opened.error != ERROR_SUCCESS) {
        facts.kind = FolderFacts::Unreadable;
    } else if (!opened.folder) {
        facts.kind = FolderFacts::NotFolder;
    } else if (GetSecurityInfo(opened.handle.get(), SE_FILE_OBJECT, kOwnerAndList, &owner, nullptr, &dacl, nullptr,
                               &descriptor) != ERROR_SUCCESS) {
        facts.kind = FolderFacts::Unreadable;
    } else {
        const unique_local held(descriptor);
        facts.kind = FolderFacts::Folder;
        facts.ownerTrusted = owner && trusted(owner);
        facts.othersMay = othersMay(dacl, trusted);
    }
    // An unreadable list too: such a folder may be made anew.
    if (id && opened.folder) *id = opened.id;
    return facts;
}

// False when the folder cannot be listed to the end.
bool readContents(const std::wstring& folder, std::vector<std::wstring>& files, std::vector<std::wstring>& others) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    const unique_find held(search);
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        (openItself(folder + L"\\" + name, FILE_READ_ATTRIBUTES, kShareAll).loneFile ? files : others).push_back(name);
    } while (FindNextFileW(search, &found));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

// `path` (full, no trailing backslash) and each folder above it, from the
// drive's root down; below a missing one, nothing is read. `id`: which
// object the install folder is, when it exists.
setup::InstallFolderFacts readInstallFolder(const std::wstring& path, bool registered, const Trusted& trusted, FileId& id) {
    setup::InstallFolderFacts facts;
    facts.path = path;
    facts.registered = registered;
    // A removable or network drive can be written from another machine, or
    // with its own rules; FAT keeps no access lists at all.
    const std::wstring root = path.substr(0, 3);
    DWORD flags = 0;
    facts.localNtfs = path.size() > 3 && path[1] == L':' && path[2] == L'\\' && GetDriveTypeW(root.c_str()) == DRIVE_FIXED &&
                      GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
                      (flags & FILE_PERSISTENT_ACLS);
    if (!facts.localNtfs) return facts;
    facts.root = readFolder(root, trusted);
    bool exists = true;
    for (size_t end = path.find(L'\\', 3);; end = path.find(L'\\', end + 1)) {
        const std::wstring current = path.substr(0, end);
        const bool last = end == std::wstring::npos;
        facts.way.push_back(exists ? readFolder(current, trusted, last ? &id : nullptr) : FolderFacts{current});
        exists = facts.way.back().kind != FolderFacts::Missing;
        if (last) break;
    }
    if (facts.way.back().kind == FolderFacts::Folder) facts.contentsRead = readContents(path, facts.files, facts.others);
    return facts;
}

bool fullPath(const wchar_t* folder, std::wstring& path) {
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(folder, MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) return false;
    path = full;
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return true;
}

unique_local descriptorOf(const wchar_t* text) {
    PSECURITY_DESCRIPTOR made = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(text, SDDL_REVISION_1, &made, nullptr);
    return unique_local(made);
}

// The owner and list of the object `handle` holds, as text; empty if they
// cannot be read.
std::wstring describe(HANDLE handle) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!handle || GetSecurityInfo(handle, SE_FILE_OBJECT, kOwnerAndList, nullptr, nullptr, nullptr, nullptr, &descriptor) !=
                       ERROR_SUCCESS) {
        return L"";
    }
    const unique_local held(descriptor);
    wchar_t* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, kOwnerAndList, &text, nullptr)) return L"";
    const unique_local textHeld(text);
    return text;
}

// Exactly the owner and list `descriptor` holds, whether its list takes
// entries from the folder above included; nothing is passed on to what a
// folder holds (each file gets its own).
DWORD setOwnerAndList(HANDLE handle, PSECURITY_DESCRIPTOR descriptor) {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!descriptor || !GetSecurityDescriptorControl(descriptor, &control, &revision)) return ERROR_INVALID_SECURITY_DESCR;
    const SECURITY_INFORMATION inheritance =
        (control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION;
    return SetKernelObjectSecurity(handle, kOwnerAndList | inheritance, descriptor) ? ERROR_SUCCESS : GetLastError();
}

// Rights to change an owner and a list, and to read a folder: the last keeps
// others from renaming or deleting it while it is held, since the handle
// does not share that.
constexpr DWORD kChange = READ_CONTROL | WRITE_DAC | WRITE_OWNER | FILE_READ_ATTRIBUTES;
constexpr DWORD kShareNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;
// Tries to move a folder made anew, 100 ms apart.
constexpr int kMoveAttempts = 30;

// One line each, "path|owner and list", for the install folder when it is
// kept, then for each file in it; nothing for one that is made.
std::wstring save(const setup::InstallFolderFacts& facts, size_t makeFrom) {
    if (makeFrom < facts.way.size()) return L"";
    std::wstring saved = facts.path + L"|" + describe(openItself(facts.path, READ_CONTROL, kShareAll).handle.get()) + L"\n";
    for (const std::wstring& name : facts.files) {
        const std::wstring file = facts.path + L"\\" + name;
        saved += file + L"|" + describe(openItself(file, READ_CONTROL, kShareAll).handle.get()) + L"\n";
    }
    return saved;
}

// Deletes what `opened` holds: on its close, if it is an empty folder or a
// file. A link is deleted itself, never what it leads to.
bool deleteHeld(const Opened& opened) {
    FILE_DISPOSITION_INFO info = {TRUE};
    return opened.error == ERROR_SUCCESS && SetFileInformationByHandle(opened.handle.get(), FileDispositionInfo, &info, sizeof info);
}

// Everything in the folder at `path`, then the folder, each held without
// sharing deletion while it is worked on, so that nothing on the way can be
// renamed or swapped for a link. What cannot be deleted stays.
// What a folder holds, read through the handle held on it: a search by its
// name would need that handle to share deletion.
std::vector<std::wstring> listHeld(HANDLE folder) {
    std::vector<std::wstring> names;
    alignas(8) BYTE buffer[16384];
    for (auto kind = FileIdBothDirectoryRestartInfo;
         GetFileInformationByHandleEx(folder, kind, buffer, sizeof buffer); kind = FileIdBothDirectoryInfo) {
        for (BYTE* at = buffer;;) {
            const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            const std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") names.push_back(name);
            if (!entry->NextEntryOffset) break;
            at += entry->NextEntryOffset;
        }
    }
    return names;
}

void removeTree(const std::wstring& path, const Opened& folder) {
    const std::vector<std::wstring> names = folder.folder ? listHeld(folder.handle.get()) : std::vector<std::wstring>();
    for (const std::wstring& name : names) {
        const Opened item =
            openItself(path + L"\\" + name, DELETE | FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE);
        if (item.error != ERROR_SUCCESS) continue;
        if (item.folder) removeTree(path + L"\\" + name, item);
        deleteHeld(item);
    }
    deleteHeld(folder);
}

DWORD makeFolders(const setup::InstallFolderFacts& facts, size_t makeFrom, std::wstring& reason, std::vector<setup::MadeFolder>& made) {
    const unique_local protectedList = descriptorOf(kProtected);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, protectedList.get(), FALSE};
    for (size_t i = makeFrom; i < facts.way.size(); ++i) {
        const std::wstring& path = facts.way[i].path;
        if (protectedList && CreateDirectoryW(path.c_str(), &attributes)) {
            // No one else may delete it, nor what its parent holds: it is still
            // the one made.
            const Opened opened = openItself(path, FILE_READ_ATTRIBUTES, kShareAll);
            if (opened.folder) {
                made.push_back({path, opened.id});
                continue;
            }
        }
        const DWORD error = !protectedList ? ERROR_INVALID_SECURITY_DESCR : GetLastError() ? GetLastError() : ERROR_ACCESS_DENIED;
        if (error == ERROR_ALREADY_EXISTS) reason = L"Someone else made " + path + L" as the installer was about to.";
        setup::restoreInstallFolder(L"", setup::recordMade(made));
        made.clear();
        return error;
    }
    return ERROR_SUCCESS;
}

// The installed Varnok's folder, which others could once write: held so that
// no one else can delete or rename it, moved aside, a fresh one made in its
// place, the old removed. A handle someone keeps open on it without sharing
// deletion blocks the move: then nothing changes.
DWORD renewFolder(const setup::InstallFolderFacts& facts, const FileId& decided, std::wstring& reason,
                  std::vector<setup::MadeFolder>& made) {
    // A scanner, an indexer or a program just ended may hold it a moment;
    // one that keeps it open makes the install refuse.
    Opened old;
    for (int attempt = 0; attempt < kMoveAttempts; ++attempt) {
        if (attempt) Sleep(100);
        old = openItself(facts.path, DELETE | FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE);
        if (old.error != ERROR_SHARING_VIOLATION && old.error != ERROR_ACCESS_DENIED) break;
    }
    if (old.error == ERROR_SHARING_VIOLATION || old.error == ERROR_ACCESS_DENIED) {
        reason = L"It was open to users other than administrators, so it is replaced by a new folder, but another "
                 L"program holds it or a file in it open. Close that program, or restart Windows, and install again.";
        return old.error;
    }
    if (old.error != ERROR_SUCCESS) return old.error;
    if (!old.folder || !(old.id == decided)) {
        reason = facts.path + L" changed while the installer replaced it.";
        return ERROR_ACCESS_DENIED;
    }
    // Beside it, by its full name in the object manager's form: a bare name
    // would be taken relative to the current folder under Wine.
    const std::wstring leaf = facts.path.substr(facts.path.find_last_of(L'\\') + 1);
    const std::wstring parent = facts.path.substr(0, facts.path.size() - leaf.size());
    const auto rename = [&](const std::wstring& name) {
        const std::wstring to = L"\\??\\" + parent + name;
        std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t));
        auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
        std::copy(to.begin(), to.end(), info->FileName);
        return SetFileInformationByHandle(old.handle.get(), FileRenameInfo, info, static_cast<DWORD>(buffer.size()))
                   ? ERROR_SUCCESS
                   : GetLastError();
    };
    const std::wstring aside = leaf + L"~" + std::to_wstring(GetCurrentProcessId()) + L".old";
    DWORD error = rename(aside);
    for (int attempt = 1; error != ERROR_SUCCESS && attempt < kMoveAttempts; ++attempt) {
        Sleep(100);
        error = rename(aside);
    }
    if (error != ERROR_SUCCESS) {
        reason = L"It was open to users other than administrators, so it is replaced by a new folder, but it could "
                 L"not be moved aside (error " + std::to_wstring(error) + L"). Close the programs that use it, or "
                 L"restart Windows, and install again.";
        return error;
    }
    error = makeFolders(facts, facts.way.size() - 1, reason, made);
    if (error != ERROR_SUCCESS) {
        rename(leaf);
        return error;
    }
    removeTree(parent + aside, old);
    // Wine deletes a folder on its handle's close by the name it was opened
    // with; once more by its new name, if it is still the same folder.
    old.handle.reset();
    const Opened again = openItself(parent + aside, DELETE | FILE_READ_ATTRIBUTES, kShareNoDelete);
    if (again.folder && again.id == decided) deleteHeld(again);
    return ERROR_SUCCESS;
}

// An existing folder, held so that no one can rename it: the one that was
// decided on, not one put in its place since. Its list first, so that no
// one else can add to it while it is looked into again; then each file in
// it belongs to Administrators and keeps only what it inherits.
DWORD resetFolder(const setup::InstallFolderFacts& facts, const FileId& decided, const Trusted& trusted, std::wstring& reason) {
    const Privileges privileges;
    const std::wstring saved = save(facts, facts.way.size());
    const Opened folder = openItself(facts.path, kChange | FILE_LIST_DIRECTORY, kShareNoDelete);
    DWORD error = folder.error;
    if (error == ERROR_SUCCESS && (!folder.folder || !(folder.id == decided))) error = ERROR_ACCESS_DENIED;
    if (error == ERROR_SUCCESS) error = setOwnerAndList(folder.handle.get(), descriptorOf(kProtected).get());
    setup::InstallFolderFacts now;
    if (error == ERROR_SUCCESS) {
        FileId id;
        now = readInstallFolder(facts.path, facts.registered, trusted, id);
        const setup::FolderVerdict verdict = setup::decideInstallFolder(now);
        if (!verdict.accepted || verdict.makeFrom != now.way.size() || !(id == decided)) {
            reason = verdict.reason;
            error = ERROR_ACCESS_DENIED;
        }
    }
    const unique_local inherited = descriptorOf(kInheritedOnly);
    for (size_t i = 0; error == ERROR_SUCCESS && i < now.files.size(); ++i) {
        const Opened file = openItself(facts.path + L"\\" + now.files[i], kChange, kShareAll);
        error = file.error != ERROR_SUCCESS ? file.error
                : file.loneFile             ? setOwnerAndList(file.handle.get(), inherited.get())
                                            : ERROR_ACCESS_DENIED;
    }
    if (error != ERROR_SUCCESS && reason.empty()) reason = facts.path + L" changed while the installer protected it.";
    if (error != ERROR_SUCCESS) setup::restoreInstallFolder(saved, L"");
    return error;
}

DWORD check(const wchar_t* folder, bool registered, const Trusted& trusted, setup::InstallFolderFacts& facts, FileId& id,
            setup::FolderVerdict& verdict) {
    std::wstring path;
    if (!fullPath(folder, path)) {
        verdict.reason = std::wstring(folder) + L" is not a folder's name.";
        return ERROR_BAD_PATHNAME;
    }
    facts = readInstallFolder(path, registered, trusted, id);
    verdict = setup::decideInstallFolder(facts);
    return verdict.accepted ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

} // namespace

namespace setup {

DWORD checkInstallFolder(const wchar_t* folder, bool registered, std::wstring& reason, std::wstring& saved, bool* renew) {
    InstallFolderFacts facts;
    FileId id;
    FolderVerdict verdict;
    const DWORD error = check(folder, registered, Trusted(), facts, id, verdict);
    reason = verdict.reason;
    if (renew) *renew = verdict.renew;
    if (error == ERROR_SUCCESS) saved = save(facts, verdict.makeFrom);
    return error;
}

DWORD protectInstallFolder(const wchar_t* folder, bool registered, std::wstring& reason, std::wstring& madeRecord) {
    const Trusted trusted;
    InstallFolderFacts facts;
    FileId id;
    FolderVerdict verdict;
    DWORD error = check(folder, registered, trusted, facts, id, verdict);
    reason = verdict.reason;
    if (error != ERROR_SUCCESS) return error;
    std::vector<MadeFolder> made;
    error = verdict.renew                         ? renewFolder(facts, id, reason, made)
            : verdict.makeFrom < facts.way.size() ? makeFolders(facts, verdict.makeFrom, reason, made)
                                                  : resetFolder(facts, id, trusted, reason);
    madeRecord = recordMade(made);
    return error;
}

void restoreInstallFolder(const std::wstring& saved, const std::wstring& madeRecord) {
    const Privileges privileges;
    bool first = true;
    for (size_t at = 0; at < saved.size();) {
        size_t end = saved.find(L'\n', at);
        if (end == std::wstring::npos) end = saved.size();
        const std::wstring line = saved.substr(at, end - at);
        at = end + 1;
        const size_t bar = line.find(L'|');
        if (bar != std::wstring::npos && bar + 1 < line.size()) {
            // The folder first, then its files; never what a link leads to.
            const Opened opened = openItself(line.substr(0, bar), kChange, kShareAll);
            if (first ? opened.folder : opened.loneFile) setOwnerAndList(opened.handle.get(), descriptorOf(line.c_str() + bar + 1).get());
            first = false;
        }
    }
    // Each made folder held, and looked at, before any is removed.
    const std::vector<MadeFolder> made = readMade(madeRecord);
    std::vector<Opened> held;
    std::vector<FoundFolder> found;
    for (const MadeFolder& folder : made) {
        held.push_back(openItself(folder.path, DELETE | FILE_READ_ATTRIBUTES, kShareAll));
        const Opened& opened = held.back();
        const bool gone = opened.error == ERROR_FILE_NOT_FOUND || opened.error == ERROR_PATH_NOT_FOUND;
        found.push_back({gone ? FoundFolder::Gone : opened.folder ? FoundFolder::PlainFolder : FoundFolder::Other, opened.id});
    }
    // The deepest first, each closed before the one above it; one that holds
    // anything stays.
    for (size_t i : madeToRemove(made, found)) {
        deleteHeld(held[i]);
        held[i].handle.reset();
    }
}

} // namespace setup
