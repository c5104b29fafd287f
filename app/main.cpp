#include <windows.h>

#include "platform/Win32ChangeSignal.h"
#include "platform/Win32Launcher.h"
#include "platform/SingleInstance.h"
#include "platform/Win32Registry.h"
#include "store/CachingRegistry.h"
#include "store/RegEdit.h"
#include "store/RegistryPath.h"
#include "ui/AboutWindow.h"
#include "ui/EventLoop.h"
#include "ui/MainWindow.h"
#include "ui/Win32Controls.h"
#include "varnok_contract.h"

namespace {

// What a second start does: bring the running one's window back.
void showRunningInstance() {
    HWND running = FindWindowW(VARNOK_WINDOW_CLASS_W, nullptr);
    if (!running) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(running, &pid);
    AllowSetForegroundWindow(pid);
    PostMessageW(running, RegisterWindowMessageW(VARNOK_SHOW_MESSAGE_W), 0, 0);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const platform::SingleInstance single(L"Local\\Varnok.SingleInstance");
    if (!single.first()) {
        showRunningInstance();
        return 0;
    }
    const auto watched = store::parseRegistryPath(StartPageKey);
    if (!watched) return 1;
    platform::Win32Registry registry;
    platform::Win32ChangeSignal signal(platform::rootKeyOf(watched->hive), watched->key);
    platform::Win32Clock clock;
    store::CachingRegistry cached(registry, signal, clock, *watched);
    platform::Win32Launcher launcher;
    ui::Win32Program program;
    ui::EventLoop loop;
    ui::AboutWindow about(instance, program, launcher);
    const auto main = ui::MainWindow::create(instance, cached, program, about, loop);
    if (!main) return 1;
    about.setOwner(main->hwnd());

    loop.addPreTranslate([&](MSG& m) { return about.preTranslateMessage(m); });
    loop.addPreTranslate([&](MSG& m) { return main->preTranslateMessage(m); });
    loop.watch(signal.handles(), [&](size_t which) {
        signal.acknowledge(which);
        main->onRegistrySignal();
    });
    int exitCode = 0;
    loop.run({}, nullptr, &exitCode);
    return exitCode;
}
