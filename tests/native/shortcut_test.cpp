#include <gtest/gtest.h>

#include "tests/fakes/FakeShortcuts.h"
#include "question/ShortcutText.h"
#include "tests/fakes/FakeUi.h"
#include "watch/ShortcutSource.h"
#include "watch/Watch.h"

using platform::LinkData;
using platform::ShortcutPlace;
using store::Shortcut;
using store::ShortcutSnapshot;

namespace {

const std::wstring kIe = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";
const std::wstring kEdge = L"C:\\Program Files (x86)\\Microsoft\\Edge\\Application\\MSEDGE.EXE";
const std::wstring kLink = L"C:\\Users\\u\\Desktop\\Internet Explorer.lnk";

ShortcutSnapshot holding(const std::optional<LinkData>& link) {
    if (!link) return {};
    return {{store::pathKey(kLink), Shortcut{kLink, ShortcutPlace::Desktop, L"Internet Explorer", *link}}};
}

} // namespace

// One shortcut, as the reference had it and as it is now.
TEST(ShortcutTest, WhatIsAskedAboutAndWhatIsTakenAsItIs) {
    const struct {
        const char* what;
        std::optional<LinkData> reference, now;
        bool asked;
    } rows[] = {
        {"a URL added", LinkData{kIe, L""}, LinkData{kIe, L"http://evil.example/"}, true},
        {"another URL", LinkData{kIe, L"http://a.example/"}, LinkData{kIe, L"http://b.example/"}, true},
        {"any argument", LinkData{kIe, L""}, LinkData{kIe, L"-private"}, true},
        {"a new shortcut with a URL", std::nullopt, LinkData{kIe, L"http://evil.example/"}, true},
        {"Edge, its name in capitals", LinkData{kEdge, L""}, LinkData{kEdge, L"--new-window http://e.example/"}, true},
        {"another program's shortcut turned to the browser", LinkData{L"C:\\w\\notepad.exe", L"a.txt"},
         LinkData{kIe, L"http://evil.example/"}, true},
        {"another browser's path, same URL", LinkData{kIe, L"http://a.example/"},
         LinkData{L"\"C:\\IE\\IEXPLORE.EXE\"", L"http://a.example/"}, true},
        {"unchanged", LinkData{kIe, L"http://a.example/"}, LinkData{kIe, L"http://a.example/"}, false},
        {"a new shortcut without arguments", std::nullopt, LinkData{kIe, L""}, false},
        {"arguments taken away", LinkData{kIe, L"http://a.example/"}, LinkData{kIe, L""}, false},
        {"blanks only", LinkData{kIe, L""}, LinkData{kIe, L" \t "}, false},
        {"removed", LinkData{kIe, L"http://a.example/"}, std::nullopt, false},
        {"another program", LinkData{L"C:\\w\\notepad.exe", L""}, LinkData{L"C:\\w\\notepad.exe", L"b.txt"}, false},
        {"a name that only ends like it", std::nullopt, LinkData{L"C:\\x\\notiexplore.exe", L"http://e.example/"}, false},
        {"a name that only begins like it", std::nullopt, LinkData{L"C:\\x\\iexplore.exe.exe", L"http://e.example/"}, false},
    };
    for (const auto& r : rows) {
        const store::ShortcutDiff d = store::diff(holding(r.reference), holding(r.now));
        ASSERT_EQ(d.changes.size(), r.asked ? 1u : 0u) << r.what;
        // Until answered, the reference keeps what it had; anything else is taken in.
        EXPECT_EQ(d.settled, holding(r.asked ? r.reference : r.now)) << r.what;
        if (r.asked) {
            EXPECT_EQ(d.changes[0].now.link, *r.now) << r.what;
            EXPECT_EQ(d.changes[0].before, r.reference) << r.what;
        }
    }
}

TEST(ShortcutTest, QuestionsNameTheShortcutAndWhatItOpens) {
    const auto change = [](ShortcutPlace place, std::wstring name, std::wstring target, std::wstring args, bool isNew) {
        store::ShortcutChange c{{L"C:\\x.lnk", place, std::move(name), {std::move(target), std::move(args)}}, {}};
        if (!isNew) c.before = LinkData{kIe, L""};
        return c;
    };
    const auto desktop = change(ShortcutPlace::Desktop, L"Internet Explorer", kIe, L"http://evil.example/", false);
    const struct {
        std::vector<store::ShortcutChange> changes;
        std::wstring text;
    } rows[] = {
        {{desktop},
         L"The Internet Explorer shortcut 'Internet Explorer' on the Desktop has been changed to open "
         L"'http://evil.example/'! Do you wish to keep this setting?"},
        {{change(ShortcutPlace::TaskBar, L"Web", kEdge, L"http://e.example/", true)},
         L"A new Microsoft Edge shortcut 'Web' pinned to the taskbar opens 'http://e.example/'! Do you wish to keep "
         L"this setting?"},
        // What the name and the arguments hold is shown as a start page is.
        {{change(ShortcutPlace::StartMenu, L"Tools\\IE\u202Eexe.txt", kIe, L"http://\u0430pple.com/", false)},
         L"The Internet Explorer shortcut 'Tools\\IE[U+202E]exe.txt' in the Start menu has been changed to open "
         L"'http://xn--pple-43d.com/'! Do you wish to keep this setting?"},
        {{change(ShortcutPlace::SharedDesktop, L"Internet Explorer", kIe, L"http://evil.example/", false),
          change(ShortcutPlace::SharedStartMenu, L"IE", kIe, L"-k", true)},
         L"The Internet Explorer shortcut 'Internet Explorer' on the Desktop of all users has been changed to open "
         L"'http://evil.example/'!\nA new Internet Explorer shortcut 'IE' in the Start menu of all users opens '-k'! "
         L"Only an administrator can undo this."},
        {std::vector<store::ShortcutChange>(5, desktop),
         L"The Internet Explorer shortcut 'Internet Explorer' on the Desktop has been changed to open "
         L"'http://evil.example/'!\nThe Internet Explorer shortcut 'Internet Explorer' on the Desktop has been changed "
         L"to open 'http://evil.example/'!\nThe Internet Explorer shortcut 'Internet Explorer' on the Desktop has been "
         L"changed to open 'http://evil.example/'!\nAnd 2 more shortcuts like these! Do you wish to keep this "
         L"setting?"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(r.changes[0].told() ? question::shortcutNotice(r.changes) : question::shortcutQuestion(r.changes), r.text);
    }
}

// The folders as the shell lists them, read, read again and put back.
TEST(ShortcutTest, TheStoreReadsTheFoldersAndPutsShortcutsBack) {
    FakeShortcuts shell;
    shell.watched = {{ShortcutPlace::Desktop, L"C:\\D", false},
                     {ShortcutPlace::StartMenu, L"C:\\P", true},
                     {ShortcutPlace::SharedDesktop, L"C:\\All", false}};
    shell.put(L"C:\\D\\IE.lnk", LinkData{kIe, L""});
    shell.put(L"C:\\D\\Sub\\Deep.lnk", LinkData{kIe, L"x"}); // below a folder that is not read whole
    shell.put(L"C:\\D\\notes.txt", LinkData{kIe, L"x"});      // no shortcut by its name
    shell.put(L"C:\\D\\Broken.lnk", std::nullopt);
    shell.put(L"C:\\P\\Accessories\\IE.LNK", LinkData{kIe, L""});
    shell.put(L"C:\\All\\IE.lnk", LinkData{kIe, L""});
    const store::ShortcutStore store(shell);
    ShortcutSnapshot snapshot = store.read(store.folders());
    std::vector<std::wstring> names;
    for (const auto& [key, s] : snapshot) names.push_back(s.name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"IE", L"IE", L"Accessories\\IE"}));
    EXPECT_EQ(store::parse(store::serialize(snapshot)), snapshot);

    // Another program's writes, heard as a folder's change and as a file's.
    shell.put(L"C:\\P\\Accessories\\IE.LNK", LinkData{kIe, L"http://p.example/"});
    shell.put(L"C:\\D\\New.lnk", LinkData{kIe, L"http://n.example/"});
    shell.put(L"C:\\All\\IE.lnk", LinkData{kIe, L"http://a.example/"});
    ShortcutSnapshot now = snapshot;
    store.reread(now, shell.watched[1]);
    store.reread(now, shell.watched[0], {L"C:\\D\\New.lnk"});
    store.reread(now, shell.watched[2], {L"C:\\All\\IE.lnk"});
    const store::ShortcutDiff d = store::diff(snapshot, now);
    ASSERT_EQ(d.changes.size(), 3u);
    for (const store::ShortcutChange& c : d.changes) EXPECT_EQ(store.putBack(c), !c.told()) << c.now.name;
    EXPECT_EQ(store.read(store.folders()).size(), 3u); // the new one removed
    EXPECT_EQ(shell.read(L"c:\\p\\accessories\\ie.lnk"), (LinkData{kIe, L""}));
    EXPECT_EQ(shell.read(L"C:\\All\\IE.lnk"), (LinkData{kIe, L"http://a.example/"})); // never written
    // A refused write is no restore.
    shell.failWrites = true;
    EXPECT_FALSE(store.putBack(d.changes[0]));
}

// The shortcuts through the one watch, on fake folders: what another
// program writes, the box it brings and its answer, and what stands after.
TEST(WatchSources, ShortcutsAskedToldAndPutBack) {
    const std::wstring ie = L"C:\\D\\IE.lnk", added = L"C:\\D\\Offer.lnk", shared = L"C:\\All\\IE.lnk";
    const LinkData plain{kIe, L""}, url{kIe, L"http://evil.example/"};
    const std::wstring asked = L"The Internet Explorer shortcut 'IE' on the Desktop has been changed to open "
                               L"'http://evil.example/'! Do you wish to keep this setting?";
    using Files = std::vector<std::pair<std::wstring, std::optional<LinkData>>>;
    const struct {
        const char* what;
        Files change;
        ui::Answer answer;
        bool again; // the same written once more after the answer
        std::vector<std::wstring> boxes;
        Files after; // nothing: the file is gone
        int writes;
    } rows[] = {
        {"a URL added: asked, naming it; No takes it out", {{ie, url}}, ui::Answer::No, false, {asked}, {{ie, plain}}, 1},
        {"Yes keeps it", {{ie, url}}, ui::Answer::Yes, false, {asked, L"New Homepage stored"}, {{ie, url}}, 0},
        {"written again after a No: put back unasked", {{ie, url}}, ui::Answer::No, true, {asked}, {{ie, plain}}, 2},
        {"a new shortcut with a URL: No removes it", {{added, url}}, ui::Answer::No, false,
         {L"A new Internet Explorer shortcut 'Offer' on the Desktop opens 'http://evil.example/'! Do you wish to keep "
          L"this setting?"},
         {{added, std::nullopt}, {ie, plain}}, 1},
        {"another program's shortcut turned to the browser: No gives it back", {{L"C:\\D\\Notes.lnk", url}},
         ui::Answer::No, false,
         {L"The Internet Explorer shortcut 'Notes' on the Desktop has been changed to open 'http://evil.example/'! Do "
          L"you wish to keep this setting?"},
         {{L"C:\\D\\Notes.lnk", LinkData{L"C:\\W\\notepad.exe", L"a.txt"}}}, 1},
        {"a shortcut to another program: nothing asked", {{added, LinkData{L"C:\\W\\notepad.exe", L"x"}}},
         ui::Answer::No, false, {}, {{added, LinkData{L"C:\\W\\notepad.exe", L"x"}}}, 0},
        {"all users' shortcut: told once, never written", {{shared, url}}, ui::Answer::No, true,
         {L"The Internet Explorer shortcut 'IE' on the Desktop of all users has been changed to open "
          L"'http://evil.example/'! Only an administrator can undo this."},
         {{shared, url}}, 0},
    };
    for (const auto& row : rows) {
        FakeShortcuts shell;
        shell.watched = {{ShortcutPlace::Desktop, L"C:\\D", false}, {ShortcutPlace::SharedDesktop, L"C:\\All", false}};
        shell.put(ie, plain);
        shell.put(shared, plain);
        shell.put(L"C:\\D\\Notes.lnk", LinkData{L"C:\\W\\notepad.exe", L"a.txt"});
        const store::ShortcutStore store(shell);
        watch::ShortcutSource mine(store, {shell.watched[0]}, false), all(store, {shell.watched[1]}, true);
        FakeCaption lblHomePage, lblStatus{watch::kScanning}, cmdDisable{L"Disable"}, mDisable{L"Disable"};
        FakeTimer timer1;
        FakeClock clock;
        ScriptedDialogs dialogs;
        dialogs.answers = {row.answer};
        watch::Watch w{{lblHomePage, lblStatus, cmdDisable, mDisable, timer1}, dialogs, {&mine, &all}, clock};
        w.begin();
        shell.writes = 0;
        for (int round = 0; round < (row.again ? 2 : 1); ++round) {
            for (const auto& [path, link] : row.change) {
                shell.put(path, link);
                (path == shared ? all : mine).heard({0, {path}, false});
                w.sourceChanged(path == shared ? 1 : 0);
            }
            w.Timer1_Timer();
            w.Timer1_Timer(); // nothing more to ask or tell
        }
        std::vector<std::wstring> boxes;
        for (const auto& b : dialogs.shown) boxes.push_back(b.text);
        EXPECT_EQ(boxes, row.boxes) << row.what;
        for (const auto& [path, link] : row.after) EXPECT_EQ(shell.read(path), link) << row.what;
        EXPECT_EQ(shell.writes, row.writes) << row.what;
        EXPECT_EQ(lblStatus.text, watch::kScanning) << row.what;
    }
}
