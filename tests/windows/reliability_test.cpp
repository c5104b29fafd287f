// Varnok against hostile programs and odd data: floods of writes, huge and
// deceptive values, a second start, and many cycles in a row. The figures
// are printed for the record; the assertions are about behaviour and leaks.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/windows/VarnokProcess.h"

using namespace wintest;
using Clock = std::chrono::steady_clock;

// The command line of the Varnok under test, as /proc lists it: its own
// path, not another build's.
std::string varnokCommand() {
    std::string path = narrow(fromUnix(env(L"VARNOK_EXE")));
    std::transform(path.begin(), path.end(), path.begin(), [](char c) { return static_cast<char>(tolower(c)); });
    return path;
}

namespace {

struct Counts {
    DWORD handles = 0, gdi = 0, user = 0, windows = 0;
    std::vector<std::string> windowList;
    SIZE_T memoryKiB = 0;
};

// Wine answers GetProcessHandleCount for another process with 0, but lists
// every process's handles through the system handle information.
DWORD handlesFromSystemList(DWORD pid) {
    struct Entry {
        ULONG pid;
        UCHAR type, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    std::vector<char> buf(1 << 20);
    ULONG got = 0;
    constexpr ULONG kSystemHandleInformation = 16;
    LONG status;
    while ((status = query(kSystemHandleInformation, buf.data(), static_cast<ULONG>(buf.size()), &got)) ==
               static_cast<LONG>(0xC0000004L) &&
           buf.size() < (256u << 20)) {
        buf.resize(buf.size() * 2);
    }
    if (status != 0) return 0;
    const ULONG n = *reinterpret_cast<ULONG*>(buf.data());
    const auto* entries = reinterpret_cast<const Entry*>(buf.data() + sizeof(ULONG_PTR));
    DWORD mine = 0;
    for (ULONG i = 0; i < n; ++i) mine += entries[i].pid == pid;
    return mine;
}

// Windows are USER objects that Wine does let us count. Those counted are the
// program's own: its two windows, its boxes and menus, and their children.
// Windows and Wine also make helper windows for a thread the first time it
// needs them (the IME's; COM's apartment window, once the IME activates an
// input context for a box that takes the focus): they come once and do not
// grow, so they are listed but not counted. Each window is described by
// class, title, owner and visibility, so a count that grows says which; and
// all come from one snapshot, so none is counted twice or missed while
// others move in the z-order.
struct Windows {
    DWORD counted = 0;
    std::vector<std::string> list;
};

Windows windowsOf(DWORD pid) {
    Windows out;
    const auto describe = [](HWND w, const char* indent, bool counted) {
        const std::wstring cls = classOf(w), title = textOf(w).substr(0, 40);
        HWND owner = GetWindow(w, GW_OWNER);
        char line[256];
        std::snprintf(line, sizeof line, "%s%ls \"%ls\"%s%s%ls%s", indent, cls.c_str(), title.c_str(),
                      IsWindowVisible(w) ? " visible" : "", owner ? " owned by " : "", owner ? classOf(owner).c_str() : L"",
                      counted ? "" : " (helper, not counted)");
        return std::string(line);
    };
    for (HWND top : topLevelWindows(L"", pid)) {
        const std::wstring cls = classOf(top);
        const bool own = cls == L"VarnokForm1" || cls == L"VarnokForm2" || cls == L"#32770" || cls == L"#32768";
        const auto kids = children(top);
        out.list.push_back(describe(top, "", own));
        for (HWND c : kids) out.list.push_back(describe(c, "  ", own));
        if (own) out.counted += 1 + static_cast<DWORD>(kids.size());
    }
    return out;
}

Counts countsOf(HANDLE process) {
    Counts c;
    GetProcessHandleCount(process, &c.handles);
    if (c.handles == 0) c.handles = handlesFromSystemList(GetProcessId(process));
    const Windows w = windowsOf(GetProcessId(process));
    c.windowList = w.list;
    c.windows = w.counted;
    c.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    c.user = GetGuiResources(process, GR_USEROBJECTS);
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(process, &pmc, sizeof pmc)) c.memoryKiB = pmc.PagefileUsage / 1024;
    return c;
}

// Wine does not report GDI and USER object counts (they read 0 there); on
// Windows they are real.
void print(const char* when, const Counts& c) {
    std::printf("  %-7s handles %lu, GDI objects %lu, USER objects %lu, windows %lu, private memory %zu KiB\n", when,
                c.handles, c.gdi, c.user, c.windows, c.memoryKiB);
}

// Counts once the program is at rest: no box of it left, not even one being
// destroyed (a box outlives its children by a moment), and no more windows
// than before, or five seconds gone. A window that stays is a leak; the
// failure lists it.
Counts countsAtRest(const PROCESS_INFORMATION& pi, const Counts& before) {
    waitFor([&] { return topLevelWindows(L"#32770", pi.dwProcessId).empty(); }, 10000);
    waitFor([&] { return windowsOf(pi.dwProcessId).counted <= before.windows; }, 5000);
    return countsOf(pi.hProcess);
}

// Leaks show as growth with every cycle; a few objects of the system's own
// may come and go.
void expectNoGrowth(const Counts& before, const Counts& after) {
    EXPECT_LE(after.handles, before.handles + 10);
    EXPECT_LE(after.gdi, before.gdi + 10);
    EXPECT_LE(after.user, before.user + 10);
    EXPECT_LE(after.windows, before.windows) << [&] {
        std::string seen = "windows before:\n";
        for (const auto& w : before.windowList) seen += "  " + w + "\n";
        seen += "windows after:\n";
        for (const auto& w : after.windowList) seen += "  " + w + "\n";
        return seen;
    }();
    EXPECT_LE(after.memoryKiB, before.memoryKiB + 8 * 1024);
}

// CPU time so far, user and kernel: of the calling thread, or of the Unix
// process whose command line holds `name`, from /proc in 10 ms ticks (Wine
// answers GetProcessTimes for another process with the caller's own times).
double cpuMs(const std::string& name = {}) {
    FILETIME c, e, kernel, user;
    if (name.empty() && GetThreadTimes(GetCurrentThread(), &c, &e, &kernel, &user)) {
        return (ULARGE_INTEGER{{kernel.dwLowDateTime, kernel.dwHighDateTime}}.QuadPart +
                ULARGE_INTEGER{{user.dwLowDateTime, user.dwHighDateTime}}.QuadPart) / 10000.0;
    }
    double ms = 0;
    WIN32_FIND_DATAA fd;
    const HANDLE find = FindFirstFileA("Z:\\proc\\*", &fd);
    for (BOOL more = find != INVALID_HANDLE_VALUE; !name.empty() && more; more = FindNextFileA(find, &fd)) {
        const std::string dir = std::string("Z:\\proc\\") + fd.cFileName;
        std::ifstream cmdline(dir + "\\cmdline"), stat(dir + "\\stat");
        std::string cmd((std::istreambuf_iterator<char>(cmdline)), {}), line;
        std::transform(cmd.begin(), cmd.end(), cmd.begin(), [](char c) { return static_cast<char>(tolower(c)); });
        std::getline(stat, line);
        if (!isdigit(fd.cFileName[0]) || cmd.find(name) == std::string::npos || line.empty()) continue;
        // After the name in brackets: the state, then utime and stime as fields 12 and 13.
        std::istringstream rest(line.substr(line.rfind(')') + 2));
        std::string field;
        for (int i = 1; i <= 13 && rest >> field; ++i) ms += i >= 12 ? std::stod(field) * 10 : 0;
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    return ms;
}

SIZE_T peakMemoryKiB(HANDLE process) {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    return GetProcessMemoryInfo(process, &pmc, sizeof pmc) ? pmc.PeakPagefileUsage / 1024 : 0;
}

// Measures how long the main window takes to answer, on its own thread.
class ResponsivenessProbe {
public:
    explicit ResponsivenessProbe(HWND w)
        : thread_([this, w] {
              while (!stop_) {
                  const auto t0 = Clock::now();
                  DWORD_PTR r = 0;
                  // Hung, not slow: a loaded machine may take a while to answer.
                  if (!SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r)) ++timeouts_;
                  worstMs_ = std::max<long long>(
                      worstMs_, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count());
                  Sleep(20);
              }
          }) {}
    ~ResponsivenessProbe() { finish(); }
    void finish() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    long long worstMs() const { return worstMs_; }
    int timeouts() const { return timeouts_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<long long> worstMs_{0};
    std::atomic<int> timeouts_{0};
    std::thread thread_;
};

} // namespace

class ReliabilityTest : public VarnokProcessTest {
protected:
    // Answers No to the question if one comes within the time (counting it
    // the moment it is seen), and waits for it to close.
    std::optional<BoxSeen> rejectQuestion(int withinMs = 200, std::atomic<int>* count = nullptr) const {
        HWND box = nullptr;
        const auto seen = answerBox(L"Warning!", L"&No", pi.dwProcessId, withinMs, [&](HWND b) {
                              box = b;
                              if (count) ++*count;
                          }).get();
        if (seen) waitFor([&] { return !IsWindowVisible(box); }, 2000);
        return seen;
    }
};

TEST_F(ReliabilityTest, AThousandWritesASecondForTenSeconds) {
    int writes = 0;
    const auto flood = [&](std::chrono::seconds length) {
        const auto start = Clock::now();
        for (auto next = start; next < start + length; next += std::chrono::milliseconds(1)) {
            while (Clock::now() < next) std::this_thread::yield();
            page.setString(L"Start Page", L"http://flood" + std::to_wstring(writes++ % 7) + L".example/");
        }
    };
    // Suspended, Varnok writes nothing.
    const auto toggle = [&](const wchar_t* caption) {
        PostMessageW(control(IDC_CMDDISABLE), BM_CLICK, 0, 0);
        EXPECT_TRUE(waitFor([&] { return textOf(control(IDC_CMDDISABLE)) == caption; }));
    };
    toggle(L"Enable");
    flood(std::chrono::seconds(1));
    EXPECT_EQ(stored(), L"http://flood" + std::to_wstring((writes - 1) % 7) + L".example/");
    page.setString(L"Start Page", L"http://ref.example/");
    toggle(L"Disable");
    writes = 0;

    const Counts before = countsOf(pi.hProcess);
    ResponsivenessProbe probe(main);
    std::atomic<bool> flooding{true};
    std::atomic<int> mostOpen{0}, answered{0};
    // An attentive user who rejects every question as it comes.
    std::thread user([&] {
        while (flooding) {
            if (const auto seen = rejectQuestion()) mostOpen = std::max(mostOpen.load(), seen->openAtOnce), ++answered;
        }
    });
    // Halfway through, the tray menu is opened.
    std::atomic<bool> menuOpened{false};
    std::thread tray([&] {
        Sleep(5000);
        PostMessageW(trayIcons()[0], WM_RBUTTONUP, 0, 0);
        menuOpened = waitFor([&] { return menus().size() == 1; }, 3000);
        for (HWND m : menus()) PostMessageW(m, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    const double varnokCpu0 = cpuMs(varnokCommand()), writerCpu0 = cpuMs();
    flood(std::chrono::seconds(10));
    const double varnokCpu = cpuMs(varnokCommand()) - varnokCpu0, writerCpu = cpuMs() - writerCpu0;
    flooding = false;
    user.join();
    tray.join();
    EXPECT_TRUE(menuOpened) << "the tray menu opens during the flood";


    // The flood is over: No to whatever is still asked, until the reference
    // is back and no question is open.
    EXPECT_TRUE(waitFor([&] {
        rejectQuestion(100);
        return visibleBoxes(L"Warning!", pi.dwProcessId).empty() && stored() == L"http://ref.example/";
    }, 20000)) << "stored: " << narrow(stored());
    probe.finish();
    const Counts after = countsAtRest(pi, before);

    std::printf("flood: %d writes in 10 s, %d questions answered, at most %d open at once, "
                "slowest WM_NULL answer %lld ms (%d timeouts); CPU: Varnok %.0f ms, the writer %.0f ms; "
                "peak private memory %zu KiB\n",
                writes, answered.load(), mostOpen.load(), probe.worstMs(), probe.timeouts(), varnokCpu, writerCpu,
                peakMemoryKiB(pi.hProcess));
    print("before", before);
    print("after", after);
    EXPECT_LE(mostOpen.load(), 1);
    EXPECT_GT(answered.load(), 0);
    EXPECT_LE(answered.load(), 3) << "two Nos within a minute hold every value";
    EXPECT_LT(varnokCpu, writerCpu) << "no write war at the writer's pace";
    EXPECT_EQ(probe.timeouts(), 0);
    expectNoGrowth(before, after);
}

// A watchdog: another program that writes a new address, a new host each
// time, 300 ms after every restore, for 20 s, while the user answers No to
// every question. After two Nos every page is put back unasked; the window
// answers throughout, the tray menu opens, and Disable forgets the Nos.
TEST_F(ReliabilityTest, AWatchdogThatWritesANewPageAfterEveryRestore) {
    ResponsivenessProbe probe(main);
    std::atomic<bool> watching{true};
    std::atomic<int> questions{0};
    std::thread user([&] {
        while (watching) rejectQuestion(200, &questions);
    });
    const double cpu0 = cpuMs(varnokCommand());
    std::vector<double> stood; // ms, of the pages put back unasked
    int restores = 0;
    for (const auto end = Clock::now() + std::chrono::seconds(20); Clock::now() < end; ++restores) {
        const int asked = questions;
        page.setString(L"Start Page", L"http://watchdog" + std::to_wstring(restores) + L".example/?" + std::to_wstring(restores));
        const auto written = Clock::now();
        while (stored() != L"http://ref.example/" && Clock::now() < end) Sleep(1);
        if (stored() != L"http://ref.example/") break;
        if (questions == asked) stood.push_back(std::chrono::duration<double, std::milli>(Clock::now() - written).count());
        Sleep(300);
    }
    const double cpu = cpuMs(varnokCommand()) - cpu0;
    EXPECT_TRUE(waitFor([&] { return stored() == L"http://ref.example/"; })) << "the user's page is back";
    watching = false;
    user.join();
    probe.finish();
    std::sort(stood.begin(), stood.end());
    std::printf("watchdog: %d questions faced and %d restores in 20 s; the page stood %.1f ms (median), %.1f ms at "
                "the longest before it was put back; slowest WM_NULL answer %lld ms; Varnok's CPU %.0f ms (%.2f %% of "
                "one core), private memory %zu KiB (peak %zu KiB)\n",
                questions.load(), restores, stood.empty() ? 0 : stood[stood.size() / 2], stood.empty() ? 0 : stood.back(),
                probe.worstMs(), cpu, cpu / 200.0, countsOf(pi.hProcess).memoryKiB, peakMemoryKiB(pi.hProcess));
    EXPECT_GE(questions.load(), 1);
    EXPECT_LE(questions.load(), 3);
    EXPECT_GE(restores, 20);
    EXPECT_EQ(probe.timeouts(), 0);

    PostMessageW(trayIcons()[0], WM_RBUTTONUP, 0, 0);
    EXPECT_TRUE(waitFor([&] { return menus().size() == 1; })) << "the tray menu opens";
    for (HWND m : menus()) PostMessageW(m, WM_KEYDOWN, VK_ESCAPE, 0);
    forgetAnswers();
    page.setString(L"Start Page", L"http://watchdog.example/");
    EXPECT_TRUE(rejectQuestion(5000).has_value()) << "after Disable and Enable the next page is asked about";
}

// Each answer waits out the question's half second; a hundred cycles show a leak as plainly as more.
TEST_F(ReliabilityTest, AHundredChangeAndAnswerCycles) {
    constexpr int kCycles = 100;
    const Counts before = countsOf(pi.hProcess);
    const auto t0 = Clock::now();
    int asked = 0;
    for (int i = 0; i < kCycles; ++i) {
        forgetAnswers();
        auto box = answerBox(L"Warning!", L"&No", pi.dwProcessId);
        page.setString(L"Start Page", L"http://soak" + std::to_wstring(i) + L".example/");
        asked += box.get().has_value();
        ASSERT_TRUE(waitFor([&] { return stored() == L"http://ref.example/"; })) << i;
        ASSERT_TRUE(waitFor([&] { return visibleBoxes(L"Warning!", pi.dwProcessId).empty(); })) << i;
    }
    const auto seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    const Counts after = countsAtRest(pi, before);
    std::printf("soak: %d change-and-answer cycles in %.1f s, %d asked\n", kCycles, seconds, asked);
    print("before", before);
    print("after", after);
    EXPECT_EQ(asked, kCycles);
    expectNoGrowth(before, after);
}

TEST_F(ReliabilityTest, AMebibyteValueIsAskedAboutAndActedOnWhole) {
    std::wstring big(1 << 20, L'b');
    big.replace(0, 19, L"http://big.example/");
    page.setString(L"Start Page", big);
    auto yes = answerBox(L"Warning!", L"&Yes", pi.dwProcessId);
    auto ok = answerBox(L"HomePage stored", L"OK", pi.dwProcessId);
    const auto seen = yes.get();
    ASSERT_TRUE(seen.has_value());
    EXPECT_LT(seen->text.size(), 2200u);
    EXPECT_NE(seen->text.find(L"characters left out"), std::wstring::npos);
    ASSERT_TRUE(ok.get().has_value());
    ASSERT_TRUE(waitFor([&] { return textLengthOf(control(IDC_LBLHOMEPAGE)) == big.size(); }));

    // No now writes the whole mebibyte back.
    auto no = answerBox(L"Warning!", L"&No", pi.dwProcessId);
    page.setString(L"Start Page", L"http://small.example/");
    ASSERT_TRUE(no.get().has_value());
    EXPECT_TRUE(waitFor([&] { return stored() == big; }));
}

TEST_F(ReliabilityTest, DirectionOverridesAreShownAsEscapes) {
    auto box = answerBox(L"Warning!", L"&No", pi.dwProcessId);
    page.setString(L"Start Page", L"http://bank.example\u202E/moc.live//:ptth");
    const auto seen = box.get();
    ASSERT_TRUE(seen.has_value());
    EXPECT_NE(seen->text.find(L"http://bank.example[U+202E]/moc.live//:ptth"), std::wstring::npos);
    EXPECT_EQ(seen->text.find(L'\u202E'), std::wstring::npos);
    EXPECT_TRUE(waitFor([&] { return stored() == L"http://ref.example/"; }));
}

TEST_F(ReliabilityTest, ASecondStartShowsTheRunningOneAndLeaves) {
    PROCESS_INFORMATION second = launch();
    ASSERT_NE(second.hProcess, nullptr);
    EXPECT_EQ(WaitForSingleObject(second.hProcess, 10000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(second.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(second.hThread);
    CloseHandle(second.hProcess);
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(main) != FALSE; }));
    Sleep(200);
    EXPECT_EQ(trayIcons().size(), 1u);
    EXPECT_EQ(topLevelWindows(L"VarnokForm1").size(), 1u);
    EXPECT_TRUE(visibleBoxes(L"Warning!").empty());
}
