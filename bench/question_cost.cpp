// What Varnok does between a change and opening its box, step by step and
// under the same Wine: reading the value (through the key kept open, and
// through its path), the status caption, the question's display of the
// value (measured against the pages the user knows) and its fitting on the screen. Prints the median of
// each step in microseconds, for the bench's own values and for hostile ones.
// "question_cost first [prepared]" times each step once, in a fresh process
// (after the preparation that Varnok makes on its first safety tick):
// what the first question costs.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/Win32Registry.h"
#include "store/RegEdit.h"
#include "ui/win32/EventLoop.h"
#include "ui/win32/QuestionGuard.h"
#include "ui/win32/Win32Dialogs.h"
#include "question/QuestionText.h"

namespace {

template <typename F>
double medianMicroseconds(F&& step, int runs = 201) {
    std::vector<double> us;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        step(i);
        us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(us.begin(), us.begin() + runs / 2, us.end());
    return us[runs / 2];
}

double onceMicroseconds(const std::function<void()>& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND main = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"cost", WS_OVERLAPPEDWINDOW, 0, 0, 400, 120, nullptr,
                                nullptr, instance, nullptr);
    HWND status = CreateWindowExW(0, L"STATIC", L"Scanning for changes...", WS_CHILD | WS_VISIBLE, 8, 8, 200, 20, main,
                                  nullptr, instance, nullptr);
    if (!main || !status) return 1;
    ui::EventLoop loop;
    ui::Win32Dialogs dialogs(instance, loop);
    dialogs.setOwner(main);

    platform::Win32Registry registry;
    const RegEdit store{registry};
    if (argc >= 2 && std::wstring(argv[1]) == L"first") {
        const auto question = [&](const std::wstring& page) {
            return L"HomePage has been changed to '" + question::shownInQuestion(page) + L"'! Do you wish to keep this setting?";
        };
        if (argc == 3) {
            dialogs.questionFits(question(L"http://www.example.com/"));
            dialogs.prepareQuestion();
            Sleep(1000);
        }
        std::wstring text;
        const double read = onceMicroseconds([&] { store.ReadStartPage(StartPageKey); });
        const double display = onceMicroseconds([&] { text = question(L"http://changed.example/17"); });
        const double fits = onceMicroseconds([&] { dialogs.questionFits(text); });
        const double guard = onceMicroseconds([] { const ui::QuestionGuard g; });
        std::printf("first read %.1f display %.1f fitting %.1f guard %.1f\n", read, display, fits, guard);
        return 0;
    }
    std::printf("reading the value: %.1f us through the key kept open, %.1f us through its path\n",
                medianMicroseconds([&](int) { store.ReadStartPage(StartPageKey); }),
                medianMicroseconds([&](int) {
                    store.ForgetOpenKeys();
                    store.ReadStartPage(StartPageKey);
                }));
    std::printf("status caption: %.1f us\n", medianMicroseconds([&](int i) {
                    SetWindowTextW(status, i % 2 ? L"HomePage changed!" : L"Scanning for changes...");
                }));
    const struct {
        const char* what;
        std::wstring value;
    } values[] = {
        {"the bench's value", L"http://changed.example/17"},
        {"a lookalike host", L"http://www.ex\u0430mple.com/"},
        {"a tab before a lookalike host", L"\thttp://www.ex\u0430mple.com/"},
        {"a whole-script lookalike", L"http://\u043e\u0440\u0435\u043f\u0430\u0456.com/"},
        {"a host that reads as the reference", L"http://www.ex\u0227mple.com/"},
        {"a mebibyte", L"http://x.example/" + std::wstring(1 << 20, L'\u05d0')},
    };
    // As the watch asks: with the reference and a page accepted in this run.
    const std::vector<std::wstring> known = {L"http://www.example.com/", L"http://changed.example/16"};
    question::Display d = question::kDisplays[0];
    d.known = &known;
    for (const auto& v : values) {
        std::wstring text;
        const double display =
            medianMicroseconds([&](int) { text = question::shownInQuestion(v.value, d); });
        const std::wstring question = L"HomePage has been changed to '" + text + L"'! Do you wish to keep this setting?";
        const double fits = medianMicroseconds([&](int) { dialogs.questionFits(question); });
        std::printf("%s: display %.1f us, fitting %.1f us\n", v.what, display, fits);
    }
    return 0;
}
