#pragma once
#include <windows.h>

#include <memory>
#include <optional>

#include "mainwindow/Form1.h"
#include "platform/Registry.h"
#include "platform/Win32Stacking.h"
#include "platform/unique_handles.h"
#include "store/RegEdit.h"
#include "ui/EventLoop.h"
#include "ui/Window.h"
#include "varnok_contract.h"

namespace ui {

inline constexpr wchar_t kMainWindowClass[] = VARNOK_WINDOW_CLASS_W;

// The main window as a Win32 window: it creates the controls, turns messages
// into the handlers of Form1 and owns every handle it uses.
class MainWindow final : public Window {
public:
    // Creates the window and runs its start-up sequence; null on failure.
    static std::unique_ptr<MainWindow> create(HINSTANCE instance, platform::Registry& registry, Program& program,
                                              Window& form2, EventLoop& loop);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The watched key reported a change: a tick at once, while watching.
    void onRegistrySignal();
    // Tab order, access keys and Esc, as in a dialog.
    bool preTranslateMessage(MSG& msg);
    HWND hwnd() const { return hwnd_; }
    mainwindow::Form1& form() { return *form_; }

    void show() override;
    void hide() override;
    void unload() override;
    NativeWindow handle() const override { return hwnd_; }

private:
    struct Parts;

    MainWindow(HINSTANCE instance, platform::Registry& registry, Program& program, Window& form2, EventLoop& loop);
    template <typename T>
    friend LRESULT CALLBACK routeToObject(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND hwnd) { hwnd_ = hwnd; }
    LRESULT onMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void onCreate();
    bool onRegisteredMessage(UINT msg);
    void onCommand(UINT id);
    void onTimer(UINT_PTR id);
    void tickIfWatching();
    void onRightButtonDown(WPARAM keys);
    void onContextMenu(LPARAM where);
    void onActivate(WPARAM state);

    HINSTANCE instance_;
    Program& program_;
    Window& form2_;
    EventLoop& loop_;
    RegEdit store_;
    platform::Win32Stacking stacking_;
    HWND hwnd_ = nullptr;
    HWND lastFocus_ = nullptr;
    UINT taskbarCreated_ = 0, showMessage_ = 0, exitMessage_ = 0;
    platform::unique_hicon bigIcon_, smallIcon_;
    platform::unique_hfont font_;
    std::unique_ptr<Parts> parts_;
    std::optional<mainwindow::Form1> form_;
};

} // namespace ui
