#pragma once
#include <cstdint>
#include <vector>

#include "mainwindow/Tray.h"
#include "platform/Clock.h"
#include "platform/Stacking.h"
#include "ui/Caption.h"
#include "ui/Dialogs.h"
#include "ui/PopupMenu.h"
#include "ui/Window.h"
#include "watch/Watch.h"

namespace mainwindow {

// The right mouse button alone, as the window reports a button press.
inline constexpr int kRightButton = 2;

struct Form1Parts {
    watch::WatchControls controls;
    ui::Caption& mShow; // "Show" while hidden, "Hide" while shown
    ui::Window& window;
    ui::Window& form2; // the about window; shown on request
    ui::PopupMenu& mPopup;
    ui::Dialogs& dialogs;
    ui::Program& program;
    platform::Stacking& stacking;
    TrayIcon& tray;
    std::vector<watch::Source*> sources; // the start page first
    const platform::Clock& clock;
};

// The main window's behaviour: the start-up sequence, the toggles, the
// context menu and the tray's notifications. Owns all state for the run.
class Form1 {
public:
    explicit Form1(Form1Parts parts)
        : p_(parts), watch_(parts.controls, parts.dialogs, parts.sources, parts.clock) {}

    void Form_Load();
    // The close box hides, as Hide does, instead of ending the watch.
    void Form_QueryUnload();
    // However the window goes: no dead icon is left in the tray.
    void Form_Unload();
    // Windows ends the session, or an installer closes Varnok: a way out
    // like Exit, without delaying the end.
    void Form_EndSession();
    void Form_MouseDown(int button);
    void TrayNotify(std::uint32_t code);
    void PopupContextMenu();

    void Timer1_Timer() { watch_.Timer1_Timer(); }
    void cmdDisable_Click() { watch_.cmdDisable_Click(); }
    void mDisable_Click() { watch_.mDisable_Click(); }
    void cmdChange_Click() { watch_.cmdChange_Click(); }
    void mShow_Click();
    void cmdHide_Click() { mShow_Click(); }
    void cmdExit_Click();
    void mExit_Click();
    void mAbout_Click();

    watch::Watch& watch() { return watch_; }

private:
    void exitProgram();

    Form1Parts p_;
    watch::Watch watch_;
    // Set while a tray notification is acted on: the menu's own loop can
    // deliver further notifications, which must not open a second menu.
    bool trayBusy_ = false;
    bool ended_ = false;
};

} // namespace mainwindow
