// The installers' helper DLL: the MSI's custom actions, and the same checks
// exported for the NSIS installer, which calls them through its System
// plug-in. Windows Installer's Restart Manager ends a running Varnok on
// Windows when it sees the file in use, but only for programs in the
// installer's own session and not under Wine; the exit message works in both.
#include <windows.h>

#include <msiquery.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "platform/win32/unique_handles.h"
#include "setup_actions.h"

namespace {

// Where ProtectFolder records the folders it made, for RestoreFolder, its
// rollback, which sees only what CheckFolder knew: a key only
// administrators and the system account can write.
constexpr wchar_t kChoicesKey[] = L"Software\\Varnok";
constexpr wchar_t kMadeValue[] = L"FoldersMade";

using setup::unique_local;
void closeRecord(MSIHANDLE record) { MsiCloseHandle(record); }
using unique_record = platform::unique_any<MSIHANDLE, closeRecord>;

std::wstring property(MSIHANDLE session, const wchar_t* name) {
    DWORD size = 0;
    wchar_t empty[1] = L"";
    if (MsiGetPropertyW(session, name, empty, &size) != ERROR_MORE_DATA) return L"";
    std::wstring value(++size, L'\0');
    if (MsiGetPropertyW(session, name, &value[0], &size) != ERROR_SUCCESS) return L"";
    value.resize(size);
    return value;
}

// Into the installer's log (msiexec /l*v), or its error box.
void report(MSIHANDLE session, INSTALLMESSAGE kind, const std::wstring& text) {
    const unique_record record(MsiCreateRecord(0));
    MsiRecordSetStringW(record.get(), 0, text.c_str());
    MsiProcessMessage(session, kind, record.get());
}

// Where the installed Varnoks live: this product, and the ones an upgrade
// replaces.
std::vector<std::wstring> installedFolders(MSIHANDLE session) {
    const std::wstring products = property(session, L"ProductCode") + L";" + property(session, L"WIX_UPGRADE_DETECTED");
    std::vector<std::wstring> folders;
    for (size_t at = 0; at < products.size();) {
        const size_t end = products.find(L';', at);
        const std::wstring code = products.substr(at, end - at);
        wchar_t location[MAX_PATH];
        DWORD size = MAX_PATH;
        if (MsiGetProductInfoW(code.c_str(), INSTALLPROPERTY_INSTALLLOCATION, location, &size) == ERROR_SUCCESS) {
            folders.push_back(location);
        }
        if (end == std::wstring::npos) break;
        at = end + 1;
    }
    return folders;
}

bool isRegistered(const std::wstring& folder, const std::vector<std::wstring>& registered) {
    for (const std::wstring& location : registered) {
        if (setup::sameFolder(location, folder)) return true;
    }
    return false;
}

platform::unique_hkey choicesKey(REGSAM access, bool create) {
    platform::unique_hkey key;
    if (create) {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kChoicesKey, 0, nullptr, 0, access | KEY_WOW64_64KEY, nullptr, key.put(), nullptr);
    } else {
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kChoicesKey, 0, access | KEY_WOW64_64KEY, key.put());
    }
    return key;
}

// Gone, and the key too when it holds nothing else (a first install made it).
void forgetMade() {
    DWORD subkeys = 1, values = 1;
    if (const platform::unique_hkey key = choicesKey(KEY_SET_VALUE | KEY_QUERY_VALUE, false)) {
        RegDeleteValueW(key.get(), kMadeValue);
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                         nullptr);
    }
    if (subkeys == 0 && values == 0) RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kChoicesKey, KEY_WOW64_64KEY, 0);
}

std::wstring madeKept() {
    const platform::unique_hkey key = choicesKey(KEY_QUERY_VALUE, false);
    DWORD type = 0, size = 0;
    if (!key || RegQueryValueExW(key.get(), kMadeValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) {
        return L"";
    }
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.get(), kMadeValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&text[0]), &size) != ERROR_SUCCESS) {
        return L"";
    }
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

DWORD copyReason(const std::wstring& reason, wchar_t* out, DWORD size) {
    if (out && size) lstrcpynW(out, reason.c_str(), static_cast<int>(size));
    return 0;
}

// Into the log and, with a user interface, a box; the install fails.
UINT refuse(MSIHANDLE session, std::wstring folder, const std::wstring& reason) {
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    report(session, INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR),
           L"Varnok cannot be installed in " + folder + L". " + reason);
    return ERROR_INSTALL_FAILURE;
}

} // namespace

namespace setup {

bool sameFolder(std::wstring a, std::wstring b) {
    while (!a.empty() && a.back() == L'\\') a.pop_back();
    while (!b.empty() && b.back() == L'\\') b.pop_back();
    return !a.empty() && CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

} // namespace setup

// Always succeeds: a Varnok that will not end leaves the file in use, which
// Windows Installer then handles as for any other program (Restart Manager,
// or a replacement at the next restart). Sets VarnokWasRunning when it ended
// one, so that the upgrade, or a failed one, starts it again.
extern "C" __declspec(dllexport) UINT __stdcall CloseVarnok(MSIHANDLE session) {
    std::vector<std::wstring> folders = installedFolders(session);
    folders.push_back(property(session, L"INSTALLFOLDER"));
    if (setup::stopVarnok(folders)) MsiSetPropertyW(session, L"VarnokWasRunning", L"1");
    return ERROR_SUCCESS;
}

// Immediate, before anything is written: refuses a folder Varnok may not go
// into, or says whether it is made anew (VarnokRenewsFolder) and hands
// ProtectFolder (deferred, which sees no properties) the folder and whether
// it is the installed Varnok's, as "1|C:\...\", and RestoreFolder, its
// rollback, the owners and lists it changes.
extern "C" __declspec(dllexport) UINT __stdcall CheckFolder(MSIHANDLE session) {
    const std::wstring folder = property(session, L"INSTALLFOLDER");
    const bool registered = isRegistered(folder, installedFolders(session));
    std::wstring reason, saved;
    bool renew = false;
    if (setup::checkInstallFolder(folder.c_str(), registered, reason, saved, &renew) != ERROR_SUCCESS) {
        return refuse(session, folder, reason);
    }
    // A folder made anew is moved aside first, which Varnok running from it
    // would block on Windows.
    if (renew) MsiSetPropertyW(session, L"VarnokRenewsFolder", L"1");
    MsiSetPropertyW(session, L"ProtectFolder", ((registered ? L"1|" : L"0|") + folder).c_str());
    MsiSetPropertyW(session, L"RestoreFolder", saved.c_str());
    return ERROR_SUCCESS;
}

// Deferred, as the system account, before the files go in: decides again,
// since the folder may have changed since CheckFolder looked, and protects
// it; a refusal rolls the install back.
extern "C" __declspec(dllexport) UINT __stdcall ProtectFolder(MSIHANDLE session) {
    const std::wstring data = property(session, L"CustomActionData");
    if (data.size() < 3 || data[1] != L'|') return ERROR_INSTALL_FAILURE;
    forgetMade();
    std::wstring reason, made;
    const DWORD error = setup::protectInstallFolder(data.c_str() + 2, data[0] == L'1', reason, made);
    if (!made.empty()) {
        const platform::unique_hkey key = choicesKey(KEY_SET_VALUE, true);
        if (!key || RegSetValueExW(key.get(), kMadeValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(made.c_str()),
                                   static_cast<DWORD>((made.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS) {
            // Without the record a rollback could not remove them: none made.
            setup::restoreInstallFolder(L"", made);
            return refuse(session, data.substr(2), L"What the installer made could not be recorded.");
        }
    }
    if (error == ERROR_SUCCESS) return ERROR_SUCCESS;
    if (reason.empty()) reason = L"It could not be protected (error " + std::to_wstring(error) + L").";
    return refuse(session, data.substr(2), reason);
}

// Rollback: the owners and lists ProtectFolder changed, as CheckFolder
// found them, and the folders ProtectFolder recorded that it made.
extern "C" __declspec(dllexport) UINT __stdcall RestoreFolder(MSIHANDLE session) {
    setup::restoreInstallFolder(property(session, L"CustomActionData"), madeKept());
    forgetMade();
    return ERROR_SUCCESS;
}

// Commit: the install stands, and the record of what it made goes.
extern "C" __declspec(dllexport) UINT __stdcall ForgetFolders(MSIHANDLE) {
    forgetMade();
    return ERROR_SUCCESS;
}

// Immediate, last of all, and when an install that ended Varnok fails:
// starts it again through the desktop's shell, so unelevated and as the
// user who ran msiexec (UserSID), or leaves it to the next sign-in and
// says why in the log.
extern "C" __declspec(dllexport) UINT __stdcall StartVarnok(MSIHANDLE session) {
    const std::wstring program = property(session, L"INSTALLFOLDER") + L"varnok.exe";
    PSID user = nullptr;
    ConvertStringSidToSidW(property(session, L"UserSID").c_str(), &user);
    const unique_local userHeld(user);
    std::wstring reason;
    if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
        reason = program + L" is not there";
    } else if (setup::shellBelongsTo(user, reason) == ERROR_SUCCESS) {
        const std::wstring shell = property(session, L"WindowsFolder") + L"explorer.exe";
        std::wstring command = L"\"" + shell + L"\" \"" + program + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        if (CreateProcessW(shell.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
            CloseHandle(started.hThread);
            CloseHandle(started.hProcess);
            return ERROR_SUCCESS;
        }
        reason = L"explorer.exe did not start (error " + std::to_wstring(GetLastError()) + L")";
    }
    report(session, INSTALLMESSAGE_INFO, L"Varnok starts at the next sign-in: " + reason + L".");
    return ERROR_SUCCESS;
}

// For the NSIS installer: 0, or an error and `reason` (a text for the user).
// `registered`: the folder its uninstall entry names, if any. The check
// alone, for the folder page; the check and the protection, for the
// install.
extern "C" __declspec(dllexport) DWORD __stdcall CheckInstallFolder(const wchar_t* folder, const wchar_t* registered,
                                                                    wchar_t* reason, DWORD size) {
    std::wstring why, saved;
    const DWORD error = setup::checkInstallFolder(folder, setup::sameFolder(registered, folder), why, saved);
    copyReason(why, reason, size);
    return error;
}

extern "C" __declspec(dllexport) DWORD __stdcall ProtectInstallFolder(const wchar_t* folder, const wchar_t* registered,
                                                                      wchar_t* reason, DWORD size) {
    std::wstring why, made;
    const DWORD error = setup::protectInstallFolder(folder, setup::sameFolder(registered, folder), why, made);
    if (error != ERROR_SUCCESS && why.empty()) why = L"It could not be protected (error " + std::to_wstring(error) + L").";
    copyReason(why, reason, size);
    return error;
}

// For the NSIS installer and uninstaller: 1 when it ended a Varnok running
// from `folder` or `registered`, else 0.
extern "C" __declspec(dllexport) DWORD __stdcall StopVarnok(const wchar_t* folder, const wchar_t* registered) {
    return setup::stopVarnok({folder, registered}) ? 1 : 0;
}

// For the NSIS installer: 0 when the desktop's shell runs as the account
// that runs the installer; else an error and why.
extern "C" __declspec(dllexport) DWORD __stdcall ShellIsInstallers(wchar_t* reason, DWORD size) {
    platform::unique_handle token;
    alignas(TOKEN_USER) BYTE buffer[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
    DWORD got = 0;
    PSID user = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) &&
        GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &got)) {
        user = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
    }
    std::wstring why;
    const DWORD error = setup::shellBelongsTo(user, why);
    copyReason(why, reason, size);
    return error;
}
