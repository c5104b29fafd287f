// The composition root: every Win32 implementation is made here and handed
// to the windows, which make none of their own.
#include <windows.h>

#include "about/win32/AboutWindow.h"
#include "mainwindow/win32/MainWindow.h"
#include "platform/win32/FolderWatch.h"
#include "platform/win32/RegistryWatch.h"
#include "platform/win32/SingleInstance.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Launcher.h"
#include "platform/win32/Win32NotifyIcon.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shortcuts.h"
#include "platform/win32/Win32Stacking.h"
#include "store/OpenAtStart.h"
#include "store/RegEdit.h"
#include "store/RegistryPath.h"
#include "store/Shortcuts.h"
#include "ui/win32/EventLoop.h"
#include "ui/win32/Win32Controls.h"
#include "ui/win32/Win32Dialogs.h"
#include "ui/win32/ids.h"
#include "varnok_contract.h"
#include "watch/RegistrySources.h"
#include "watch/ShortcutSource.h"

namespace {

// The safety tick: changes arrive by notification, and this still reads the
// store for real about once a second, also inside menus and boxes, where the
// notifications wait.
constexpr UINT kSafetyTickMs = 1000;
constexpr UINT kTrayRetryMs = 2000;
// How long a second start waits for the first one's window: it may have
// taken the name and not yet made its window.
constexpr DWORD kFindRunningMs = 3000;

// What a second start does: bring the running one's window back. False when
// no Varnok of this session could be reached; then this one must run.
bool showRunningInstance() {
    HWND running = nullptr;
    for (DWORD waited = 0; !(running = FindWindowW(VARNOK_WINDOW_CLASS_W, nullptr)) && waited < kFindRunningMs;
         waited += 50) {
        Sleep(50);
    }
    if (!running) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(running, &pid);
    AllowSetForegroundWindow(pid);
    return PostMessageW(running, RegisterWindowMessageW(VARNOK_SHOW_MESSAGE_W), 0, 0) != FALSE;
}

// A registry key whose change signals concern these sources.
struct KeySignals {
    platform::RegistryWatch watch;
    std::vector<size_t> sources;
};

// The loop waits on a key's events only while the watch would act on every
// source they concern: the program would otherwise wake for nothing, once
// for every write of a program that the watch waits out. They stay armed and
// report once when waited on again.
ui::WaitSource signalsOf(KeySignals& key, platform::Win32Registry& registry, mainwindow::MainWindow& main) {
    return {[&] {
                for (const size_t s : key.sources) {
                    if (!main.form().watch().wantsChangeSignals(s)) return std::span<const HANDLE>{};
                }
                return key.watch.waitables();
            },
            [&](size_t which) {
                // A key on the path renamed, deleted or made anew: the
                // store's kept handle may hold another key than the path's.
                if (key.watch.signalled(which)) registry.forgetOpenKeys();
                main.onChangeSignal(key.sources);
            },
            [&] { key.watch.reset(); }};
}

// The shortcut folders of one source: the user's, or all users'.
struct FolderSignals {
    FolderSignals(std::vector<platform::ShortcutFolder> folders, const store::ShortcutStore& store, bool shared,
                  size_t index)
        : watch(folders), source(store, std::move(folders), shared), index(index) {}
    platform::FolderWatch watch; // armed before the source's first read
    watch::ShortcutSource source;
    size_t index; // the source's among the watch's
};

// As for a key: waited on only while the watch would act on a change; a
// pending read keeps what changes meanwhile and reports it when waited on
// again. A change that names no shortcut (a document saved to the Desktop)
// wakes nothing further.
ui::WaitSource signalsOf(FolderSignals& folders, mainwindow::MainWindow& main) {
    return {[&] {
                return main.form().watch().wantsChangeSignals(folders.index) ? folders.watch.waitables()
                                                                             : std::span<const HANDLE>{};
            },
            [&](size_t which) {
                const auto change = folders.watch.signalled(which);
                if (!change || (!change->whole && change->files.empty())) return;
                folders.source.heard(*change);
                const size_t mine[] = {folders.index};
                main.onChangeSignal(mine);
            },
            [&] { folders.watch.reset(); }};
}

std::vector<platform::ShortcutFolder> foldersWhere(const std::vector<platform::ShortcutFolder>& all, bool shared) {
    std::vector<platform::ShortcutFolder> out;
    for (const auto& f : all) {
        if (store::sharedPlace(f.place) == shared) out.push_back(f);
    }
    return out;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const platform::SingleInstance single(L"Local\\Varnok.SingleInstance");
    if (single.maybeAnother() && showRunningInstance()) return 0;
    const auto watched = store::parseRegistryPath(StartPageKey);
    if (!watched) return 1;
    // An installer that closes Varnok to replace it may start it again; a
    // crash or a hang is not a reason to.
    RegisterApplicationRestart(L"", RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT);

    // The shell's shortcut objects are made and used on this thread only.
    const platform::ComApartment com;
    platform::Win32Registry registry;
    const RegEdit store(registry);
    // The sources, the start page first, and the keys that signal their changes.
    watch::StartPageSource startPage(store);
    watch::HomeTabsSource homeTabs(registry);
    watch::LastSessionSource lastSession(registry);
    watch::PolicySource policies(registry);
    platform::Win32Shortcuts shell;
    const store::ShortcutStore shortcutStore(shell);
    const auto shortcutFolders = shortcutStore.folders();
    FolderSignals shortcuts[] = {{foldersWhere(shortcutFolders, false), shortcutStore, false, 4},
                                 {foldersWhere(shortcutFolders, true), shortcutStore, true, 5}};
    const std::vector<watch::Source*> sources{&startPage, &homeTabs,           &lastSession,
                                              &policies,  &shortcuts[0].source, &shortcuts[1].source};
    const std::wstring policyKey = store::kPoliciesKey;
    KeySignals keys[] = {
        {platform::RegistryWatch(platform::rootKeyOf(watched->hive), watched->key), {0, 1}},
        {platform::RegistryWatch(HKEY_CURRENT_USER, store::kLastSessionKey), {2}},
        {platform::RegistryWatch(HKEY_CURRENT_USER, policyKey, true), {3}},
        {platform::RegistryWatch(HKEY_LOCAL_MACHINE, policyKey, true), {3}},
    };
    platform::Win32Stacking stacking;
    platform::Win32NotifyIcon notifyIcon(TRAY_ICON_UID, WMAPP_NOTIFYCALLBACK);
    platform::Win32Launcher launcher;
    const platform::Win32Clock clock;
    ui::Win32Program program;
    ui::EventLoop loop;
    ui::Win32Dialogs dialogs(instance, loop);
    ui::Win32Timer timer1(IDT_TIMER1, kSafetyTickMs, true, IDT_TIMER1_DELAYED);
    ui::Win32Timer trayRetry(IDT_TRAY_RETRY, kTrayRetryMs, false);
    about::AboutWindow about(instance, program, launcher);
    const auto main = mainwindow::MainWindow::create(
        instance, {store, sources, stacking, notifyIcon, dialogs, timer1, trayRetry, program, about, clock});
    if (!main) return 1;
    about.setOwner(main->hwnd());

    loop.addPreTranslate([&](MSG& m) { return about.preTranslateMessage(m); });
    loop.addPreTranslate([&](MSG& m) { return main->preTranslateMessage(m); });
    for (KeySignals& key : keys) loop.watch(signalsOf(key, registry, *main));
    for (FolderSignals& folders : shortcuts) loop.watch(signalsOf(folders, *main));
    int exitCode = 0;
    loop.run({}, nullptr, &exitCode);
    return exitCode;
}
