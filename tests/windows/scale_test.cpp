// The display scale changed while a Wine session runs, before Varnok starts:
// Wine 10 then draws a new window's frame at the new scale while the window
// keeps the session's. Whatever the frame, every control must stay whole.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/windows/VarnokProcess.h"

using namespace wintest;

namespace {

// Where Wine reads the scale from.
void setScale(DWORD dpi) {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts",
                    L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
}

// This process keeps the session running throughout, and its desktop, which
// it brings up first at 96 dpi, as a user's is when the scale is changed.
class ScaleChangedTest : public VarnokProcessTest {
protected:
    void SetUp() override {
        ASSERT_NE(GetDesktopWindow(), nullptr);
        setScale(144);
        VarnokProcessTest::SetUp();
    }
    void TearDown() override {
        VarnokProcessTest::TearDown();
        setScale(96);
    }
};

} // namespace

TEST_F(ScaleChangedTest, EveryControlLiesWhollyInTheClientArea) {
    PostMessageW(trayIcons()[0], WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    ASSERT_TRUE(waitFor([&] { return IsWindowVisible(main) != FALSE; }));
    RECT client{}, frame{};
    GetClientRect(main, &client);
    GetWindowRect(main, &frame);
    std::printf("window %ld x %ld, client %ld x %ld\n", frame.right - frame.left, frame.bottom - frame.top,
                client.right, client.bottom);
    const auto controls = children(main);
    EXPECT_EQ(controls.size(), 8u);
    for (HWND c : controls) {
        RECT r{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
            << narrow(textOf(c)) << " at " << r.left << "," << r.top << " to " << r.right << "," << r.bottom
            << " in a client area of " << client.right << " x " << client.bottom;
    }
}
