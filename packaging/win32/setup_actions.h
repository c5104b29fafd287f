#pragma once
// What both installers ask of their helper DLL (varnok_msi_actions.dll): the
// NSIS installer calls the exported functions through its System plug-in,
// the MSI through its custom actions (msi_actions.cpp).
#include <windows.h>

#include <string>

#include "platform/win32/unique_handles.h"

namespace setup {

inline void freeLocal(HLOCAL memory) { LocalFree(memory); }
using unique_local = platform::unique_any<HLOCAL, freeLocal>;

// Reads `folder` and each folder above it and decides whether Varnok may be
// installed there (packaging/folder_rules.h); `registered` when it is where
// the installed Varnok's registration says it lives. Writes nothing. 0, and
// in `saved` what restoreInstallFolder needs to undo protectInstallFolder;
// or an error and `reason`, a text for the user.
DWORD checkInstallFolder(const wchar_t* folder, bool registered, std::wstring& reason, std::wstring& saved);

// The same check; then, only if it passes, makes the folder (and any missing
// above it) with an access list only administrators and the system account
// can change, or gives an existing one that list and resets the owner and
// list of everything in it. What a failure had changed is put back.
DWORD protectInstallFolder(const wchar_t* folder, bool registered, std::wstring& reason);

// Puts back the owners and lists that `saved` holds and removes the folders
// that were to be made, if they are empty.
void restoreInstallFolder(const std::wstring& saved);

// 0 when this desktop's shell runs as `user` in a session someone signs in
// to, so that a start handed to it runs as that user; else why not.
DWORD shellBelongsTo(PSID user, std::wstring& reason);

} // namespace setup
