#pragma once
// What both installers ask of their helper DLL (varnok_msi_actions.dll): the
// NSIS installer calls the exported functions through its System plug-in,
// the MSI through its custom actions (msi_actions.cpp).
#include <windows.h>

#include <string>

namespace setup {

// Gives `folder` an access list only administrators and the system account
// can change, making it (and any folder missing on the way) if need be.
// Refuses, with `reason` for the user, a path that another user could
// rename or replace, or a folder they could already have written into,
// unless it is `installed` (the folder of the Varnok installed now, whose
// protection an upgrade or repair puts back). 0, or a Win32 error.
DWORD protectInstallFolder(const wchar_t* folder, bool installed, std::wstring& reason);

// 0 when this desktop's shell runs as `user` in a session someone signs in
// to, so that a start handed to it runs as that user; else why not.
DWORD shellBelongsTo(PSID user, std::wstring& reason);

} // namespace setup
