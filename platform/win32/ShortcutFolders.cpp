#include <windows.h>
#include <shlobj.h>

#include "platform/win32/Win32Shortcuts.h"

namespace platform {
namespace {

bool isFolder(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

std::vector<ShortcutFolder> shortcutFolders() {
    struct Known {
        ShortcutPlace place;
        int csidl;
        const wchar_t* below;
        bool recursive;
    };
    static constexpr Known kKnown[] = {
        {ShortcutPlace::Desktop, CSIDL_DESKTOPDIRECTORY, L"", false},
        {ShortcutPlace::StartMenu, CSIDL_PROGRAMS, L"", true},
        {ShortcutPlace::TaskBar, CSIDL_APPDATA, L"\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\TaskBar", false},
        {ShortcutPlace::SharedDesktop, CSIDL_COMMON_DESKTOPDIRECTORY, L"", false},
        {ShortcutPlace::SharedStartMenu, CSIDL_COMMON_PROGRAMS, L"", true},
    };
    std::vector<ShortcutFolder> out;
    for (const Known& k : kKnown) {
        wchar_t path[MAX_PATH];
        if (FAILED(SHGetFolderPathW(nullptr, k.csidl, nullptr, SHGFP_TYPE_CURRENT, path))) continue;
        ShortcutFolder f{k.place, std::wstring(path) + k.below, k.recursive};
        if (isFolder(f.path)) out.push_back(std::move(f));
    }
    return out;
}

} // namespace platform
