#pragma once
// What both installers ask of their helper DLL (varnok_setup_actions.dll,
// setup_actions.cpp): the NSIS installer calls its exported functions
// through its System plug-in, the MSI through its custom actions.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/unique_handles.h"

namespace setup {

inline void freeLocal(HLOCAL memory) { LocalFree(memory); }
using unique_local = platform::unique_any<HLOCAL, freeLocal>;

// Whether two paths name the same folder, as Windows compares names; a
// trailing backslash does not count. The one rule for "is this the
// installed Varnok's folder" and "is this Varnok's own process".
bool sameFolder(std::wstring a, std::wstring b);

// Reads `folder` and each folder above it and decides whether Varnok may be
// installed there (packaging/folder_rules.h); `registered` when it is where
// the installed Varnok's registration says it lives. Writes nothing. 0, and
// in `saved` what restoreInstallFolder needs to undo protectInstallFolder;
// or an error and `reason`, a text for the user. `renew`: whether the
// protection will make the folder anew.
DWORD checkInstallFolder(const wchar_t* folder, bool registered, std::wstring& reason, std::wstring& saved,
                         bool* renew = nullptr);

// The same check; then, only if it passes, makes the folder (and any missing
// above it) with an access list only administrators and the system account
// can change, or gives an existing one that list and resets the owner and
// list of everything in it, or, for an installed Varnok's folder that others
// could write, moves it aside, makes a fresh one and removes the old. What
// a failure had changed is put back. `made`: what it made, as
// folder_rules.h's recordMade writes it, for restoreInstallFolder.
DWORD protectInstallFolder(const wchar_t* folder, bool registered, std::wstring& reason, std::wstring& made);

// Puts back the owners and lists that `saved` holds, and removes the folders
// that `made` records if they are still those folders and empty.
void restoreInstallFolder(const std::wstring& saved, const std::wstring& made);

// Ends Varnok's own processes, those whose image is varnok.exe in one of
// `folders`, through their exit message, and waits a few seconds at most
// for them to go. A window of Varnok's class in any other process is left
// alone. True when it found one.
bool stopVarnok(const std::vector<std::wstring>& folders);

// 0 when this desktop's shell runs as `user` in a session someone signs in
// to, so that a start handed to it runs as that user; else why not.
DWORD shellBelongsTo(PSID user, std::wstring& reason);

} // namespace setup
