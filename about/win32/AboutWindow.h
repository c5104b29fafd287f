#pragma once
#include <windows.h>

#include <optional>

#include "about/Form2.h"
#include "platform/Launcher.h"
#include "platform/win32/unique_handles.h"
#include "ui/Window.h"
#include "ui/win32/Win32Controls.h"
#include "ui/win32/WindowProc.h"

namespace about {

inline constexpr wchar_t kAboutWindowClass[] = L"VarnokForm2";

// The about box: created when first shown, gone when the user closes it; one
// at a time, so showing it again brings the open one to the front.
class AboutWindow final : public ui::Window {
public:
    AboutWindow(HINSTANCE instance, const ui::Program& program, platform::Launcher& launcher);
    ~AboutWindow() override;
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;

    // Owned windows stay above their owner and go with it.
    void setOwner(HWND owner) { owner_ = owner; }
    bool preTranslateMessage(MSG& msg);
    HWND hwnd() const { return hwnd_; }

    void show() override;
    void hide() override;
    void unload() override;
    ui::NativeWindow handle() const override { return hwnd_; }

private:
    template <typename T>
    friend LRESULT CALLBACK ui::routeToObject(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND hwnd) { hwnd_ = hwnd; }
    LRESULT onMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool create();
    void onCreate();
    void onDpiChanged(int dpi, const RECT& suggested);
    void onThemeChanged();
    void drawLink(const DRAWITEMSTRUCT& item);

    HINSTANCE instance_;
    HWND owner_ = nullptr;
    HWND hwnd_ = nullptr;
    // The density the window is laid out for: its monitor's.
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    ui::ControlFonts fonts_;
    Form2 form_;
};

} // namespace about
