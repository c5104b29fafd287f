#pragma once
// Whether the installers may put Varnok into a folder, decided from what was
// read before anything is written. The per-machine Run entry starts
// varnok.exe from there at every user's sign-in: a folder that anyone but
// administrators could have made, written to or swapped runs their code in
// every session, administrators' included.
#include <cstddef>
#include <string>
#include <vector>

namespace setup {

// What accounts other than Administrators, SYSTEM and TrustedInstaller may do
// to a folder, by its access list.
enum OthersMay : unsigned {
    kNothing = 0,
    kTake = 1, // delete, rename or re-permission it
    kAddFiles = 2,
    kAddFolders = 4,
    kDeleteChildren = 8, // delete what it holds, whatever their own lists say
    kEverything = 15,
};

struct FolderFacts {
    enum Kind { Missing, Folder, NotFolder, Unreadable };
    std::wstring path;
    Kind kind = Missing;
    bool ownerTrusted = false; // Administrators, SYSTEM or TrustedInstaller own it
    unsigned othersMay = kEverything; // a folder without a list lets everyone do everything
};

struct InstallFolderFacts {
    std::wstring path;
    bool localNtfs = false;
    FolderFacts root; // the drive's root
    std::vector<FolderFacts> way; // each folder below it, the install folder last
    bool registered = false; // where the installed Varnok's registration says it is
    bool contentsRead = false;
    std::vector<std::wstring> files,
        others; // what the install folder holds: plain files, and the rest
};

struct FolderVerdict {
    bool accepted = false;
    std::wstring reason; // for the user: which folder, and why not
    size_t makeFrom = 0; // the first folder of `way` the installer makes;
                         // way.size() when all exist
};

FolderVerdict decideInstallFolder(const InstallFolderFacts& facts);

} // namespace setup
