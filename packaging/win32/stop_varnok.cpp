// Ending a running Varnok before its files are replaced or removed. Found by
// the image its process runs, in the install folder: any program can make a
// window of Varnok's class, and one that never answers would stall the
// installer at every message sent to it.
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <string>
#include <vector>

#include "setup_actions.h"
#include "varnok_contract.h"

namespace {

constexpr DWORD kAnswerTimeoutMs = 2000;
constexpr DWORD kExitTimeoutMs = 5000;

struct Running {
    std::vector<DWORD> ids;
    std::vector<platform::unique_handle> processes;
    UINT exitMessage = 0;
};

bool isVarnoksImage(HANDLE process, const std::vector<std::wstring>& folders) {
    wchar_t image[MAX_PATH];
    DWORD size = MAX_PATH;
    if (!QueryFullProcessImageNameW(process, 0, image, &size)) return false;
    const std::wstring path(image, size);
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || CompareStringOrdinal(path.c_str() + slash + 1, -1, L"varnok.exe", -1, TRUE) != CSTR_EQUAL) {
        return false;
    }
    for (const std::wstring& folder : folders) {
        if (setup::sameFolder(path.substr(0, slash), folder)) return true;
    }
    return false;
}

// Its window, only: a window of that class in another process is not asked.
BOOL CALLBACK askToExit(HWND window, LPARAM param) {
    const Running& running = *reinterpret_cast<const Running*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t name[64];
    for (DWORD id : running.ids) {
        if (id == pid && GetClassNameW(window, name, 64) && lstrcmpW(name, VARNOK_WINDOW_CLASS_W) == 0) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(window, running.exitMessage, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &ignored);
        }
    }
    return TRUE;
}

} // namespace

namespace setup {

bool stopVarnok(const std::vector<std::wstring>& folders) {
    Running running;
    running.exitMessage = RegisterWindowMessageW(VARNOK_EXIT_MESSAGE_W);
    const HANDLE list = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (list == INVALID_HANDLE_VALUE) return false;
    const platform::unique_handle snapshot(list);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, L"varnok.exe") != 0) continue;
        platform::unique_handle process(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (!process || !isVarnoksImage(process.get(), folders)) continue;
        running.ids.push_back(entry.th32ProcessID);
        running.processes.push_back(std::move(process));
    }
    if (running.ids.empty()) return false;
    EnumWindows(askToExit, reinterpret_cast<LPARAM>(&running));
    // The window goes before the image is released; wait for the processes.
    std::vector<HANDLE> handles;
    for (const auto& process : running.processes) handles.push_back(process.get());
    for (size_t at = 0; at < handles.size(); at += MAXIMUM_WAIT_OBJECTS) {
        const DWORD count = static_cast<DWORD>(std::min<size_t>(handles.size() - at, MAXIMUM_WAIT_OBJECTS));
        WaitForMultipleObjects(count, handles.data() + at, TRUE, kExitTimeoutMs);
    }
    return true;
}

} // namespace setup
