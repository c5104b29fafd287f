#include "platform/win32/Win32Shortcuts.h"

#include <windows.h>
#include <shlobj.h>


#include "platform/win32/unique_handles.h"

namespace platform {
namespace {

// Bounds on a folder tree that no user's Start menu comes near: a tree
// grown past them is read as far as they go.
constexpr int kDeepest = 8;
constexpr size_t kMostFiles = 4096;
// Arguments can be far longer than a path; the shell truncates to the buffer.
constexpr int kLongestArguments = 32768;

struct Link {
    unique_com<IShellLinkW> shell;
    unique_com<IPersistFile> file;
};

Link load(const std::wstring& path, DWORD mode) {
    Link l;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, l.shell.put()))) return {};
    l.file = l.shell.query<IPersistFile>();
    if (!l.file || FAILED(l.file->Load(path.c_str(), mode))) return {};
    return l;
}

// The target as stored, before its variables are expanded: the file name
// decides, and a target written back keeps its form.
std::wstring targetOf(IShellLinkW* link) {
    wchar_t target[MAX_PATH] = L"";
    if (link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH) != S_OK) return {};
    return target;
}

void walk(const std::wstring& folder, int depth, bool recursive, std::vector<std::wstring>& out) {
    WIN32_FIND_DATAW found;
    const HANDLE first =
        FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (first == INVALID_HANDLE_VALUE) return;
    const unique_hfind find(first);
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A link to a folder elsewhere could lead in circles.
            if (recursive && depth < kDeepest && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                walk(path, depth + 1, recursive, out);
            }
        } else {
            out.push_back(path);
        }
    } while (out.size() < kMostFiles && FindNextFileW(find.get(), &found));
}

} // namespace

std::vector<ShortcutFolder> Win32Shortcuts::folders() { return shortcutFolders(); }

std::vector<std::wstring> Win32Shortcuts::list(const ShortcutFolder& folder) {
    std::vector<std::wstring> out;
    walk(folder.path, 0, folder.recursive, out);
    return out;
}

std::optional<LinkData> Win32Shortcuts::read(const std::wstring& path) {
    const Link l = load(path, STGM_READ | STGM_SHARE_DENY_NONE);
    if (!l.file) return std::nullopt;
    std::wstring arguments(kLongestArguments, L'\0');
    if (FAILED(l.shell->GetArguments(arguments.data(), kLongestArguments))) return std::nullopt;
    arguments.resize(wcslen(arguments.c_str()));
    return LinkData{targetOf(l.shell.get()), std::move(arguments)};
}

bool Win32Shortcuts::write(const std::wstring& path, const LinkData& link) {
    // Loaded to read only: the shell reads the file whole and lets it go, and
    // Save opens it anew, so no share mode of ours stands in its way.
    const Link l = load(path, STGM_READ | STGM_SHARE_DENY_NONE);
    if (!l.file) return false;
    // The target is set only where it differs: setting it again would write
    // it expanded and lose the form it was stored in.
    if (targetOf(l.shell.get()) != link.target && FAILED(l.shell->SetPath(link.target.c_str()))) return false;
    return SUCCEEDED(l.shell->SetArguments(link.arguments.c_str())) && SUCCEEDED(l.file->Save(path.c_str(), TRUE));
}

bool Win32Shortcuts::remove(const std::wstring& path) { return DeleteFileW(path.c_str()) != FALSE; }

} // namespace platform
