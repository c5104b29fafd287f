// Drives one watcher from outside, as another program and the user would:
//   start <exe> <class> <reference>     sets the reference, times a start to idle, leaves the program running
//   latency <class> <reference> [n] [idle_ms]
//                                       changes the value n times, times each question, answers No;
//                                       the first change after idle_ms of quiet (this driver's own start in it)
//   stop <class>                        ends the program
// Results go to stdout as "key value" lines for bench/run.sh.
#include "common.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

double nowMs() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / perMs;
}

// Sleep(1) rounds up to a full millisecond or more; half of one keeps the
// poll fine without spinning a core away from the program being timed.
void napHalfMs() {
    using Delay = LONG(NTAPI*)(BOOLEAN, PLARGE_INTEGER);
    static const auto delay =
        reinterpret_cast<Delay>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDelayExecution")));
    if (!delay) {
        Sleep(0);
        return;
    }
    LARGE_INTEGER interval;
    interval.QuadPart = -5000; // 100 ns units, relative
    delay(FALSE, &interval);
}

DWORD ownerOf(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    return pid;
}

HWND findMain(const wchar_t* cls, DWORD pid = 0) {
    for (HWND w = FindWindowExW(nullptr, nullptr, cls, nullptr); w; w = FindWindowExW(nullptr, w, cls, nullptr)) {
        if (!pid || ownerOf(w) == pid) return w;
    }
    return nullptr;
}

// The question as a user sees it: a visible top-level dialog of the program.
HWND visibleWarning(DWORD pid) {
    struct Search {
        DWORD pid;
        HWND found;
    } s{pid, nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(p);
            // Cheapest test first: each of these is a trip to wineserver for a foreign window.
            if (ownerOf(w) != s.pid || !IsWindowVisible(w)) return TRUE;
            wchar_t text[32]{};
            wchar_t cls[16]{};
            GetClassNameW(w, cls, 16);
            GetWindowTextW(w, text, 32);
            if (wcscmp(cls, L"#32770") != 0 || wcscmp(text, L"Warning!") != 0) return TRUE;
            s.found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// As the user: once No takes a click (Varnok's question holds its buttons
// back for a moment), whatever its caption.
void clickNo(HWND box) {
    HWND no = GetDlgItem(box, IDNO);
    for (const double t0 = nowMs(); no && !IsWindowEnabled(no) && nowMs() - t0 < 3000;) napHalfMs();
    if (no) PostMessageW(no, BM_CLICK, 0, 0);
}

// Varnok puts back every page unasked after two Nos within a minute;
// Disable and Enable forget them, as a user does. The references have no
// such button.
void forgetAnswers(HWND main) {
    const wchar_t* const captions[] = {L"Disable", L"Enable", L"Disable"};
    for (int i = 0; i < 2; ++i) {
        HWND button = FindWindowExW(main, nullptr, L"Button", captions[i]);
        if (!button) return;
        PostMessageW(button, BM_CLICK, 0, 0);
        for (int n = 0; n < 1000 && !FindWindowExW(main, nullptr, L"Button", captions[i + 1]); ++n) Sleep(1);
    }
}

// Launch to idle with the main window there; -1 on failure. Keeps the process when asked.
double launch(const wchar_t* exe, const wchar_t* cls, bool keep) {
    std::wstring cmd = L"\"" + std::wstring(exe) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const double t0 = nowMs();
    if (!CreateProcessW(exe, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "CreateProcess failed: %lu\n", GetLastError());
        return -1;
    }
    const DWORD idle = WaitForInputIdle(pi.hProcess, 20000);
    HWND main = nullptr;
    while (!(main = findMain(cls, pi.dwProcessId)) && nowMs() - t0 < 20000) napHalfMs();
    const double t1 = nowMs();
    if (idle != 0 || !main) std::fprintf(stderr, "no idle main window of class %ls (WaitForInputIdle %lu)\n", cls, idle);
    if (!keep || idle != 0 || !main) {
        TerminateProcess(pi.hProcess, 0);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return idle == 0 && main ? t1 - t0 : -1;
}

int start(const wchar_t* exe, const wchar_t* cls, const wchar_t* reference) {
    bench::writeStartPage(reference);
    // Brings up Wine's desktop process now, so that its start is not charged to the program.
    GetDesktopWindow();
    const double ms = launch(exe, cls, true);
    if (ms < 0) return 1;
    std::printf("startup_ms %.1f\n", ms);
    return 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Nearest rank: the p95 of 20 samples is the 19th.
double p95(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t rank = (95 * v.size() + 99) / 100;
    return v[std::max<size_t>(rank, 1) - 1];
}

int latency(const wchar_t* cls, const std::wstring& reference, int rounds, int idleMs) {
    HWND main = findMain(cls);
    if (!main) {
        std::fprintf(stderr, "no window of class %ls\n", cls);
        return 1;
    }
    const DWORD pid = ownerOf(main);
    std::vector<double> seen;
    Sleep(idleMs);
    int polls = 0;
    double pollMs = 0;
    for (int i = 0; i < rounds; ++i) {
        const std::wstring page = L"http://changed.example/" + std::to_wstring(i);
        HWND box = nullptr;
        const double t0 = nowMs();
        bench::writeStartPage(page);
        double t1 = t0;
        while (nowMs() - t0 < 3000) {
            const double before = nowMs();
            box = visibleWarning(pid);
            t1 = nowMs();
            ++polls;
            pollMs += t1 - before;
            if (box) break;
            napHalfMs();
        }
        if (box) {
            seen.push_back(t1 - t0);
            clickNo(box);
        } else {
            std::fprintf(stderr, "round %d: no question within 3 s\n", i);
        }
        // The answer is in once the box is gone and the reference is back.
        const double answered = nowMs();
        bool clicked = box != nullptr;
        while (nowMs() - answered < 3000) {
            box = visibleWarning(pid);
            if (!box && bench::readStartPage() == reference) break;
            // A late question, or a click that went astray.
            if (box && (!clicked || nowMs() - answered > 500)) {
                clickNo(box);
                clicked = true;
            }
            Sleep(1);
        }
        if (box || bench::readStartPage() != reference) {
            std::fprintf(stderr, "round %d: the reference did not come back; writing it\n", i);
            if (box) clickNo(box);
            bench::writeStartPage(reference);
        }
        forgetAnswers(main);
        Sleep(300);
    }
    std::printf("detected %zu\nrounds %d\npoll_ms %.3f\nsamples_ms", seen.size(), rounds, polls ? pollMs / polls : 0.0);
    for (double ms : seen) std::printf(" %.2f", ms);
    std::printf("\n");
    if (!seen.empty()) {
        std::printf("median_ms %.1f\np95_ms %.1f\nmax_ms %.1f\n", median(seen), p95(seen),
                    *std::max_element(seen.begin(), seen.end()));
    }
    return 0;
}

int stop(const wchar_t* cls) {
    HWND main = findMain(cls);
    if (!main) return 0;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ownerOf(main));
    if (!process) return 1;
    TerminateProcess(process, 0);
    const bool gone = WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return gone ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring what = argc > 1 ? argv[1] : L"";
    if (what == L"start" && argc == 5) return start(argv[2], argv[3], argv[4]);
    if (what == L"latency" && argc >= 4 && argc <= 6)
        return latency(argv[2], argv[3], argc >= 5 ? _wtoi(argv[4]) : 20, argc == 6 ? _wtoi(argv[5]) : 0);
    if (what == L"stop" && argc == 3) return stop(argv[2]);
    std::fprintf(stderr, "usage: bench_driver start <exe> <class> <reference> | latency <class> <reference> [n] [idle_ms] | "
                         "stop <class>\n");
    return 2;
}
