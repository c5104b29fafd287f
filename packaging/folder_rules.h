#pragma once
// Whether the installers may put Varnok into a folder, decided from what was
// read before anything is written. The per-machine Run entry starts
// varnok.exe from there at every user's sign-in: a folder that anyone but
// administrators could have made, written to or swapped runs their code in
// every session, administrators' included.
#include <cstddef>
#include <cstdint>
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
    // The installed Varnok's folder, which others could once write: a handle
    // opened then keeps its rights whatever its list says now. It is moved
    // aside and removed, and a fresh one made in its place (makeFrom is the
    // last of `way`).
    bool renew = false;
};

FolderVerdict decideInstallFolder(const InstallFolderFacts& facts);

// Which object a handle holds, whatever its name is now.
struct FileId {
    std::uint32_t volume = 0, high = 0, low = 0;
    bool operator==(const FileId&) const = default;
};

// The folders an install made, for its rollback: a path alone could name,
// by then, a folder or a link that someone else put there.
struct MadeFolder {
    std::wstring path;
    FileId id;
};
std::wstring recordMade(const std::vector<MadeFolder>& made);
// Nothing from a record that does not read back whole.
std::vector<MadeFolder> readMade(const std::wstring& record);

// What stands at a made folder's path when the rollback looks.
struct FoundFolder {
    enum Kind { Gone, PlainFolder, Other }; // Other: a file, a link, unreadable
    Kind kind = Gone;
    FileId id;
};
// Which of `made` (the outermost first, as made) the rollback removes, the
// deepest first: only a plain folder that is still the object made. One that
// is not keeps every folder above it, which holds it.
std::vector<size_t> madeToRemove(const std::vector<MadeFolder>& made, const std::vector<FoundFolder>& found);

} // namespace setup
