#pragma once
// Real .lnk files for the tests, made through the shell as any program
// would make them, on this prefix's Desktop; each removed when it goes.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "platform/win32/unique_handles.h"

namespace wintest {

inline const wchar_t* kIexplore = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";

inline std::wstring desktopFolder() {
    wchar_t path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

class ShortcutFile {
public:
    explicit ShortcutFile(std::wstring name) : path_(desktopFolder() + L"\\" + name + L".lnk") {}
    ~ShortcutFile() { DeleteFileW(path_.c_str()); }
    ShortcutFile(const ShortcutFile&) = delete;
    ShortcutFile& operator=(const ShortcutFile&) = delete;

    // Another program's write: a new shortcut, or this one with new arguments.
    bool save(const std::wstring& target, const std::wstring& arguments) const {
        platform::unique_com<IShellLinkW> link;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put()))) {
            return false;
        }
        const auto file = link.query<IPersistFile>();
        return file && SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link->SetArguments(arguments.c_str())) &&
               SUCCEEDED(file->Save(path_.c_str(), TRUE));
    }
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

} // namespace wintest
