#include <gtest/gtest.h>

#include "platform/win32/FolderWatch.h"
#include "platform/win32/Win32Shortcuts.h"
#include "store/Shortcuts.h"
#include "tests/windows/ShortcutFiles.h"
#include "tests/windows/VarnokProcess.h"
#include "tests/windows/WinTestSupport.h"

namespace {

using platform::LinkData;

class ShortcutTest : public ::testing::Test {
protected:
    platform::ComApartment com;
    platform::Win32Shortcuts shell;
    wintest::ShortcutFile file{L"Varnok test " + std::to_wstring(GetCurrentProcessId())};

    platform::ShortcutFolder desktop() {
        for (const auto& f : shell.folders()) {
            if (f.place == platform::ShortcutPlace::Desktop) return f;
        }
        ADD_FAILURE() << "no Desktop among the folders";
        return {};
    }
};

// The changes the watch reports, as they come, until the test has heard
// what it waits for or a generous time has passed.
void hear(platform::FolderWatch& watch, std::vector<platform::FolderChange>& out, const std::function<bool()>& done) {
    const ULONGLONG until = GetTickCount64() + 20000;
    while (!done() && GetTickCount64() < until) {
        const auto handles = watch.waitables();
        const DWORD r = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, 500);
        if (r < WAIT_OBJECT_0 + handles.size()) {
            if (auto c = watch.signalled(r - WAIT_OBJECT_0)) out.push_back(std::move(*c));
        }
    }
}

} // namespace

TEST_F(ShortcutTest, ReadsAndWritesThroughTheShell) {
    ASSERT_TRUE(com.started());
    ASSERT_TRUE(file.save(wintest::kIexplore, L"http://evil.example/?a=1&b=\u00e9"));
    const store::ShortcutStore store(shell);
    const auto snapshot = store.read({desktop()});
    const auto found = snapshot.find(store::pathKey(file.path()));
    ASSERT_NE(found, snapshot.end());
    EXPECT_EQ(found->second.link, (LinkData{wintest::kIexplore, L"http://evil.example/?a=1&b=\u00e9"}));
    EXPECT_EQ(store::browserStartedBy(found->second.link.target), store::Browser::InternetExplorer);

    // Put back as it was: the arguments go, the target stays.
    const store::ShortcutChange change{found->second, LinkData{wintest::kIexplore, L""}};
    EXPECT_TRUE(store.putBack(change));
    EXPECT_EQ(shell.read(file.path()), (LinkData{wintest::kIexplore, L""}));
    // A new one is removed.
    EXPECT_TRUE(store.putBack({found->second, std::nullopt}));
    EXPECT_EQ(GetFileAttributesW(file.path().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(shell.read(file.path()));
}

TEST_F(ShortcutTest, HearsAShortcutMadeAndChanged) {
    platform::FolderWatch watch({desktop()});
    ASSERT_TRUE(watch.armed(0));
    const auto names = [&](const std::vector<platform::FolderChange>& seen) {
        return std::any_of(seen.begin(), seen.end(), [&](const platform::FolderChange& c) {
            return c.whole || std::find_if(c.files.begin(), c.files.end(), [&](const std::wstring& f) {
                                  return store::pathKey(f) == store::pathKey(file.path());
                              }) != c.files.end();
        });
    };
    std::vector<platform::FolderChange> seen;
    ASSERT_TRUE(file.save(wintest::kIexplore, L""));
    hear(watch, seen, [&] { return names(seen); });
    EXPECT_TRUE(names(seen)) << seen.size() << " changes heard, none of the new shortcut";

    seen.clear();
    // Another document on the Desktop is no concern: only the shortcut is named.
    const std::wstring other = wintest::desktopFolder() + L"\\varnok-note.txt";
    CloseHandle(CreateFileW(other.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file.save(wintest::kIexplore, L"http://evil.example/"));
    hear(watch, seen, [&] { return names(seen); });
    DeleteFileW(other.c_str());
    EXPECT_TRUE(names(seen)) << seen.size() << " changes heard, none of the changed shortcut";
    for (const auto& c : seen) {
        EXPECT_FALSE(c.whole);
        for (const auto& f : c.files) EXPECT_EQ(store::pathKey(f), store::pathKey(file.path())) << wintest::narrow(f);
    }
}

// The real program: a URL added to the browser's shortcut on the Desktop is
// asked about, and No takes it out; the shortcut still starts the browser.
class ShortcutProcessTest : public wintest::VarnokProcessTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(com.started());
        ASSERT_TRUE(file.save(wintest::kIexplore, L""));
        VarnokProcessTest::SetUp();
    }
    std::wstring reads() {
        const auto link = shell.read(file.path());
        return link ? link->target + L" " + link->arguments : L"<no shortcut>";
    }

    platform::ComApartment com;
    platform::Win32Shortcuts shell;
    const std::wstring name = L"Internet Explorer " + std::to_wstring(GetCurrentProcessId());
    wintest::ShortcutFile file{name};
};

TEST_F(ShortcutProcessTest, AUrlAddedToADesktopShortcutIsAskedAboutAndTakenOut) {
    ASSERT_TRUE(file.save(wintest::kIexplore, L"http://evil.example/"));
    auto no = wintest::answerBox(L"Warning!", L"&No", pi.dwProcessId, 20000);
    const auto seen = no.get();
    ASSERT_TRUE(seen.has_value()) << "no question; the shortcut reads " << wintest::narrow(reads());
    EXPECT_EQ(seen->text, L"The Internet Explorer shortcut '" + name +
                              L"' on the Desktop has been changed to open 'http://evil.example/'! Do you wish to keep "
                              L"this setting?");
    EXPECT_TRUE(wintest::waitFor([&] { return shell.read(file.path()) == LinkData{wintest::kIexplore, L""}; }, 10000))
        << wintest::narrow(reads());
    // The start page was never in question.
    EXPECT_EQ(stored(), L"http://ref.example/");
}
