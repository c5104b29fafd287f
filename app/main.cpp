#include <windows.h>

#include "platform/Win32Launcher.h"
#include "platform/Win32Registry.h"
#include "ui/AboutWindow.h"
#include "ui/MainWindow.h"
#include "ui/Win32Controls.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    platform::Win32Registry registry;
    platform::Win32Launcher launcher;
    ui::Win32Program program;
    ui::AboutWindow about(instance, program, launcher);
    const auto main = ui::MainWindow::create(instance, registry, program, about);
    if (!main) return 1;
    about.setOwner(main->hwnd());

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (about.preTranslateMessage(msg) || main->preTranslateMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
