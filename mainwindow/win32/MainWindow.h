#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "mainwindow/Form1.h"
#include "platform/Stacking.h"
#include "platform/win32/Win32NotifyIcon.h"
#include "platform/win32/unique_handles.h"
#include "store/RegEdit.h"
#include "ui/Window.h"
#include "ui/win32/Win32Controls.h"
#include "ui/win32/Win32Dialogs.h"
#include "ui/win32/WindowProc.h"
#include "varnok_contract.h"

namespace mainwindow {

inline constexpr wchar_t kMainWindowClass[] = VARNOK_WINDOW_CLASS_W;

// What the main window is given rather than makes: the platform and window
// system services, all made by the program's entry point. The window binds
// the ones that need its handle once it exists.
struct MainWindowServices {
    const RegEdit& store;
    std::vector<watch::Source*> sources; // the start page first
    platform::Stacking& stacking;
    platform::Win32NotifyIcon& notifyIcon;
    ui::Win32Dialogs& dialogs;
    ui::Win32Timer& Timer1;
    ui::Win32Timer& trayRetry;
    ui::Program& program;
    ui::Window& form2; // the about window
    const platform::Clock& clock;
};

// The main window as a Win32 window: it creates the controls, turns messages
// into the handlers of Form1 and owns every handle it uses.
class MainWindow final : public ui::Window {
public:
    // Creates the window and runs its start-up sequence; null on failure.
    static std::unique_ptr<MainWindow> create(HINSTANCE instance, const MainWindowServices& services);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // A change signal of these sources: a tick at once, while watching.
    void onChangeSignal(std::span<const size_t> sources);
    // Tab order, access keys and Esc, as in a dialog.
    bool preTranslateMessage(MSG& msg);
    HWND hwnd() const { return hwnd_; }
    Form1& form() { return *form_; }

    void show() override;
    void hide() override;
    void unload() override;
    ui::NativeWindow handle() const override { return hwnd_; }

private:
    struct Parts;

    MainWindow(HINSTANCE instance, const MainWindowServices& services);
    template <typename T>
    friend LRESULT CALLBACK ui::routeToObject(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND hwnd) { hwnd_ = hwnd; }
    LRESULT onMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void onCreate();
    void applyDpi(int dpi);
    void loadIcons(int dpi);
    void loadTrayIcon();
    void onDpiChanged(int dpi, const RECT& suggested);
    void onTaskbarCreated();
    bool onRegisteredMessage(UINT msg);
    void onCommand(UINT id);
    void onTimer(UINT_PTR id);
    void tickIfWatching();
    void onRightButtonDown(WPARAM keys);
    void onContextMenu(LPARAM where);
    void onActivate(WPARAM state);
    void onEndSession(bool ending);

    HINSTANCE instance_;
    MainWindowServices s_;
    HWND hwnd_ = nullptr;
    HWND lastFocus_ = nullptr;
    UINT taskbarCreated_ = 0, showMessage_ = 0, exitMessage_ = 0;
    // The density the window is laid out for: its monitor's.
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    platform::unique_hicon bigIcon_, smallIcon_, trayIcon_;
    SIZE trayIconSize_{};
    ui::ControlFonts fonts_;
    std::unique_ptr<Parts> parts_;
    std::optional<Form1> form_;
    bool questionPrepared_ = false;
};

} // namespace mainwindow
