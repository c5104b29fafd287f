#include "packaging/folder_rules.h"

#include <algorithm>

namespace setup {
namespace {

// Names compare as Windows compares them, for the ASCII letters they hold.
std::wstring lower(std::wstring text) {
    for (wchar_t& c : text) c = c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c;
    return text;
}

// The files the installers put there: each is written anew by an install,
// or never loaded (a varnok.exe moved aside while it ran).
// Anything else, a DLL above all, may have been planted to be loaded by
// varnok.exe.
bool isVarnoksOwn(const std::wstring& name) {
    const std::wstring n = lower(name);
    for (const wchar_t* own : {L"varnok.exe", L"readme.md", L"license", L"uninstall.exe", L"varnok.exe.new", L"varnok.exe.old"}) {
        if (n == own) return true;
    }
    // NSIS names it "ns", a letter, up to four hex digits and ".tmp".
    return n.size() >= 8 && n.size() <= 11 && n.compare(0, 2, L"ns") == 0 && n[2] >= L'a' && n[2] <= L'z' &&
           n.compare(n.size() - 4, 4, L".tmp") == 0 &&
           std::all_of(n.begin() + 3, n.end() - 4, [](wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'); });
}

// An owner may always rewrite its folder's list.
unsigned othersMay(const FolderFacts& folder) { return folder.ownerTrusted ? folder.othersMay : kEverything; }

FolderVerdict refuse(std::wstring reason) { return {false, std::move(reason), 0}; }

} // namespace

FolderVerdict decideInstallFolder(const InstallFolderFacts& facts) {
    if (!facts.localNtfs || facts.way.empty()) return refuse(facts.path + L" is not a folder on a local NTFS drive.");
    const FolderFacts* parent = &facts.root;
    for (size_t i = 0; i < facts.way.size(); ++i) {
        const FolderFacts& folder = facts.way[i];
        const bool last = i + 1 == facts.way.size();
        if (othersMay(*parent) & kDeleteChildren) {
            return refuse(L"Users other than administrators can delete what " + parent->path + L" holds, and put a " +
                          folder.path + L" of their own in its place.");
        }
        switch (folder.kind) {
        case FolderFacts::Missing:
            // Made with the protected list: no one else ever holds it.
            return {true, L"", i};
        case FolderFacts::NotFolder:
            return refuse(folder.path + L" is a file or a link, not a folder.");
        case FolderFacts::Unreadable:
            return refuse(L"Who may change " + folder.path + L" could not be read.");
        case FolderFacts::Folder:
            break;
        }
        if (!last) {
            if (othersMay(folder) & kTake) {
                return refuse(L"Users other than administrators can rename or replace " + folder.path + L".");
            }
        } else if (facts.registered ? !folder.ownerTrusted
                                    : (othersMay(folder) != kNothing || (othersMay(*parent) & kAddFolders))) {
            // A handle opened while others could write keeps its rights
            // after the list changes: only the installed Varnok's own
            // folder, whose list an install resets, or one that only
            // administrators could ever have made or written is taken.
            return refuse(folder.path + L" already exists, and users other than administrators could have made it or written to it.");
        }
        parent = &folder;
    }
    const std::wstring& folder = facts.way.back().path;
    if (!facts.contentsRead) return refuse(L"What " + folder + L" holds could not be read.");
    const std::wstring* foreign = facts.others.empty() ? nullptr : &facts.others.front();
    for (const std::wstring& name : facts.files) {
        if (!foreign && !isVarnoksOwn(name)) foreign = &name;
    }
    if (foreign) return refuse(folder + L" holds " + *foreign + L", which Varnok did not put there.");
    return {true, L"", facts.way.size()};
}

} // namespace setup
