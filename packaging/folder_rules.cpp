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
FolderVerdict renew(size_t at) { return {true, L"", at, true}; }

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
            if (last && facts.registered) return renew(i);
            return refuse(L"Who may change " + folder.path + L" could not be read.");
        case FolderFacts::Folder:
            break;
        }
        if (!last) {
            if (othersMay(folder) & kTake) {
                return refuse(L"Users other than administrators can rename or replace " + folder.path + L".");
            }
        } else if (facts.registered) {
            // Earlier installers left a folder outside Program Files open:
            // what is in it now does not matter, it goes.
            if (othersMay(folder) != kNothing) return renew(i);
        } else if (othersMay(folder) != kNothing || (othersMay(*parent) & kAddFolders)) {
            // A handle opened while others could write keeps its rights
            // after the list changes: only one that only administrators
            // could ever have made or written is taken.
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

std::wstring recordMade(const std::vector<MadeFolder>& made) {
    std::wstring record;
    for (const MadeFolder& folder : made) {
        record += std::to_wstring(folder.id.volume) + L"." + std::to_wstring(folder.id.high) + L"." +
                  std::to_wstring(folder.id.low) + L" " + folder.path + L"\n";
    }
    return record;
}

std::vector<MadeFolder> readMade(const std::wstring& record) {
    std::vector<MadeFolder> made;
    for (size_t at = 0; at < record.size();) {
        const size_t end = record.find(L'\n', at);
        if (end == std::wstring::npos) return {};
        const std::wstring line = record.substr(at, end - at);
        at = end + 1;
        const size_t space = line.find(L' ');
        if (space == std::wstring::npos || space + 1 == line.size()) return {};
        std::uint32_t parts[3];
        size_t from = 0;
        for (size_t i = 0; i < 3; ++i) {
            const size_t to = i < 2 ? line.find(L'.', from) : space;
            if (to == std::wstring::npos || to > space || to == from || to - from > 10) return {};
            unsigned long long value = 0;
            for (size_t c = from; c < to; ++c) {
                if (line[c] < L'0' || line[c] > L'9') return {};
                value = value * 10 + (line[c] - L'0');
            }
            if (value > 0xFFFFFFFFull) return {};
            parts[i] = static_cast<std::uint32_t>(value);
            from = to + 1;
        }
        made.push_back({line.substr(space + 1), {parts[0], parts[1], parts[2]}});
    }
    return made;
}

std::vector<size_t> madeToRemove(const std::vector<MadeFolder>& made, const std::vector<FoundFolder>& found) {
    std::vector<size_t> remove;
    for (size_t i = made.size(); i-- > 0;) {
        if (i >= found.size()) return {};
        if (found[i].kind == FoundFolder::Gone) continue;
        if (found[i].kind != FoundFolder::PlainFolder || !(found[i].id == made[i].id)) break;
        remove.push_back(i);
    }
    return remove;
}

} // namespace setup
