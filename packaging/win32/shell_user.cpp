// Whose desktop the installer runs on. Varnok started after an install is
// handed to this desktop's shell, so it runs as whoever the shell runs as:
// only right when that is the account running the installer, in a session
// someone signed in to (not session 0, where services run).
#include <windows.h>

#include <string>

#include "platform/win32/unique_handles.h"
#include "setup_actions.h"

namespace setup {

DWORD shellBelongsTo(PSID user, std::wstring& reason) {
    HWND shell = GetShellWindow();
    // Wine's explorer owns the desktop window and registers no shell window.
    // On Windows the desktop window belongs to csrss, the system account,
    // which the comparison below turns away.
    if (!shell) shell = GetDesktopWindow();
    DWORD pid = 0;
    GetWindowThreadProcessId(shell, &pid);
    DWORD session = 0;
    if (!pid || !ProcessIdToSessionId(pid, &session) || session == 0) {
        reason = L"no one is signed in to this desktop";
        return ERROR_NO_SUCH_LOGON_SESSION;
    }
    const platform::unique_handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    platform::unique_handle token;
    alignas(TOKEN_USER) BYTE buffer[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
    DWORD size = 0;
    if (!process || !OpenProcessToken(process.get(), TOKEN_QUERY, token.put()) ||
        !GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size)) {
        reason = L"the desktop's shell could not be asked whose it is";
        return ERROR_ACCESS_DENIED;
    }
    if (!user || !EqualSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, user)) {
        reason = L"the desktop's shell runs as another account than the installer";
        return ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

} // namespace setup
