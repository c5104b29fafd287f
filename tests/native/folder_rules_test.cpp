#include <gtest/gtest.h>

#include "packaging/folder_rules.h"

using namespace setup;

namespace {

FolderFacts folder(const wchar_t* path, unsigned others = kNothing, bool ownerTrusted = true,
                   FolderFacts::Kind kind = FolderFacts::Folder) {
    return {path, kind, ownerTrusted, others};
}
FolderFacts missing(const wchar_t* path) { return folder(path, kEverything, false, FolderFacts::Missing); }

// The folders below C:\, which lets others add folders, as on Windows.
InstallFolderFacts at(std::vector<FolderFacts> way, std::vector<std::wstring> files = {}) {
    InstallFolderFacts facts;
    facts.path = way.back().path;
    facts.localNtfs = true;
    facts.root = folder(L"C:\\", kAddFolders);
    facts.contentsRead = way.back().kind == FolderFacts::Folder;
    facts.way = std::move(way);
    facts.files = std::move(files);
    return facts;
}
InstallFolderFacts registered(InstallFolderFacts facts) {
    facts.registered = true;
    return facts;
}

} // namespace

TEST(InstallFolder, MakesItOrTakesOnlyAFolderNoOneElseCanHaveHeld) {
    const FolderFacts apps = folder(L"C:\\Apps"), varnok = folder(L"C:\\Apps\\Varnok");
    InstallFolderFacts notNtfs = at({apps, varnok}), atRoot = at({apps, varnok}), unreadable = at({apps, varnok}),
                       subfolder = at({apps, varnok}), underRoot = at({folder(L"C:\\Varnok")});
    notNtfs.localNtfs = false;
    atRoot.way.clear();
    unreadable.contentsRead = false;
    subfolder.others = {L"varnok.exe.local"};
    struct Case {
        const char* what;
        InstallFolderFacts facts;
        size_t makeFrom; // when accepted
        const wchar_t* refusal = nullptr;
        bool renew = false;
    } cases[] = {
        {"both missing: made", at({missing(L"C:\\Apps"), missing(L"C:\\Apps\\Varnok")}), 0},
        {"missing under a folder others may add to",
         at({folder(L"C:\\Apps", kAddFolders | kAddFiles), missing(L"C:\\Apps\\Varnok")}), 1},
        {"empty, only administrators could write it", at({apps, varnok}), 2},
        {"the files an install leaves, in any case",
         at({apps, varnok}, {L"VARNOK.EXE", L"README.md", L"LICENSE", L"Uninstall.exe", L"nsz1A2f.tmp", L"varnok.exe.new"}), 2},
        {"registered, and open to everyone: made anew", registered(at({apps, folder(L"C:\\Apps\\Varnok", kEverything)}, {L"varnok.exe"})),
         1, nullptr, true},
        {"registered, others could add files: made anew, a planted DLL no matter",
         registered(at({apps, folder(L"C:\\Apps\\Varnok", kAddFiles)}, {L"varnok.exe", L"version.dll"})), 1, nullptr, true},
        {"registered, owned by a user: made anew", registered(at({apps, folder(L"C:\\Apps\\Varnok", kNothing, false)})), 1,
         nullptr, true},
        {"registered, its list unreadable: made anew",
         registered(at({apps, folder(L"C:\\Apps\\Varnok", kNothing, true, FolderFacts::Unreadable)})), 1, nullptr, true},
        {"registered, only administrators could write it: kept", registered(at({apps, varnok}, {L"varnok.exe"})), 2},
        {"registered, but a link", registered(at({apps, folder(L"C:\\Apps\\Varnok", kNothing, true, FolderFacts::NotFolder)})), 0,
         L"is a file or a link"},
        {"not on a local NTFS drive", notNtfs, 0, L"C:\\Apps\\Varnok is not a folder on a local NTFS drive."},
        {"a drive's root", atRoot, 0, L"not a folder on a local NTFS drive"},
        {"others may delete from the folder above", at({folder(L"C:\\Apps", kDeleteChildren), missing(L"C:\\Apps\\Varnok")}), 0,
         L"delete what C:\\Apps holds"},
        {"others may take a folder on the way", at({folder(L"C:\\Apps", kTake), missing(L"C:\\Apps\\Varnok")}), 0,
         L"rename or replace C:\\Apps."},
        {"a folder on the way owned by a user", at({folder(L"C:\\Apps", kNothing, false), missing(L"C:\\Apps\\Varnok")}), 0,
         L"rename or replace C:\\Apps."},
        {"a link on the way", at({folder(L"C:\\Apps", kNothing, true, FolderFacts::NotFolder), missing(L"C:\\Apps\\Varnok")}), 0,
         L"C:\\Apps is a file or a link"},
        {"a list that cannot be read",
         at({folder(L"C:\\Apps", kNothing, true, FolderFacts::Unreadable), missing(L"C:\\Apps\\Varnok")}), 0,
         L"Who may change C:\\Apps could not be read."},
        {"empty, but others may add folders beside it", underRoot, 0, L"C:\\Varnok already exists"},
        {"empty, but others may write to it", at({apps, folder(L"C:\\Apps\\Varnok", kAddFiles)}), 0, L"already exists"},
        {"empty, owned by a user", at({apps, folder(L"C:\\Apps\\Varnok", kNothing, false)}), 0, L"already exists"},
        {"registered, others may delete from the folder above", registered(at({folder(L"C:\\Apps", kDeleteChildren), varnok})), 0,
         L"delete what C:\\Apps holds"},
        {"what it holds cannot be read", unreadable, 0, L"What C:\\Apps\\Varnok holds could not be read."},
        {"another program's folder", at({apps, varnok}, {L"varnok.exe", L"other.exe"}), 0,
         L"holds other.exe, which Varnok did not put there."},
        {"a DLL beside the installed Varnok", registered(at({apps, varnok}, {L"varnok.exe", L"version.dll"})), 0,
         L"holds version.dll"},
        {"a folder in it", subfolder, 0, L"holds varnok.exe.local"},
        {"a name only like a moved-aside program", at({apps, varnok}, {L"ns1a2b.tmp"}), 0, L"holds ns1a2b.tmp"},
    };
    for (const auto& c : cases) {
        const FolderVerdict verdict = decideInstallFolder(c.facts);
        EXPECT_EQ(verdict.accepted, !c.refusal) << c.what;
        if (c.refusal) {
            EXPECT_NE(verdict.reason.find(c.refusal), std::wstring::npos) << c.what;
        } else {
            EXPECT_EQ(verdict.makeFrom, c.makeFrom) << c.what;
            EXPECT_EQ(verdict.renew, c.renew) << c.what;
        }
    }
}

TEST(InstallFolder, ARollbackRemovesOnlyTheFoldersItMade) {
    const FileId apps{7, 0, 11}, varnok{7, 0, 12}, other{7, 0, 99};
    const std::wstring record = recordMade({{L"C:\\Apps", apps}, {L"C:\\Apps\\Varnok", varnok}});
    using F = FoundFolder;
    struct Case {
        const char* what;
        std::wstring record;
        std::vector<FoundFolder> found;
        std::vector<size_t> removed; // the deepest first
    } cases[] = {
        {"both still the ones made", record, {{F::PlainFolder, apps}, {F::PlainFolder, varnok}}, {1, 0}},
        {"the deeper one gone already", record, {{F::PlainFolder, apps}, {F::Gone, {}}}, {0}},
        {"someone else's folder in place of the deeper one", record, {{F::PlainFolder, apps}, {F::PlainFolder, other}}, {}},
        {"a link to the very folder made", record, {{F::PlainFolder, apps}, {F::Other, varnok}}, {}},
        {"someone else's folder where the outer was", record, {{F::PlainFolder, other}, {F::Gone, {}}}, {}},
        {"a record cut short", record.substr(0, record.size() - 1), {{F::PlainFolder, apps}, {F::PlainFolder, varnok}}, {}},
        {"a record of nothing", L"", {}, {}},
        {"a number too large", L"4294967296.0.1 C:\\Apps\n", {{F::PlainFolder, {0, 0, 1}}}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(madeToRemove(readMade(c.record), c.found), c.removed) << c.what;
    }
    const std::vector<MadeFolder> back = readMade(record);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].path, L"C:\\Apps\\Varnok");
    EXPECT_EQ(back[1].id, varnok);
}
