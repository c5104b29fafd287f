#include "mainwindow/Form1.h"

#include "mainwindow/Module2.h"
#include "ui/ScopedValue.h"

namespace mainwindow {

void Form1::Form_Load() {
    p_.tray.registerIcon();
    watch_.begin();
    Module2::MakeTopmost(p_.window, p_.stacking);
    p_.window.hide();
}

void Form1::Form_QueryUnload() {
    p_.window.hide();
    p_.mShow.setCaption(L"Show");
}

void Form1::Form_MouseDown(int button) {
    if (button == kRightButton) PopupContextMenu();
}

void Form1::TrayNotify(std::uint32_t code) {
    if (trayBusy_) return;
    const ui::ScopedValue busy(trayBusy_, true);
    if (code == kTrayDoubleClick) {
        p_.window.show();
    } else if (code == kTrayRightUp) {
        PopupContextMenu();
    }
}

void Form1::PopupContextMenu() {
    switch (p_.mPopup.track()) {
    case ui::MenuEntry::Show: mShow_Click(); break;
    case ui::MenuEntry::Disable: mDisable_Click(); break;
    case ui::MenuEntry::About: mAbout_Click(); break;
    case ui::MenuEntry::Exit: mExit_Click(); break;
    case ui::MenuEntry::None: break;
    }
}

void Form1::mShow_Click() {
    if (p_.mShow.caption() == L"Show") {
        p_.window.show();
        p_.mShow.setCaption(L"Hide");
    } else {
        p_.window.hide();
        p_.mShow.setCaption(L"Show");
    }
}

void Form1::cmdExit_Click() { exitProgram(); }
void Form1::mExit_Click() { exitProgram(); }

void Form1::mAbout_Click() { p_.form2.show(); }

void Form1::exitProgram() {
    if (ended_) return;
    ended_ = true;
    // The tray menu, the button and the installers' exit message leave as
    // the end of the session does: the process may not live to see an open
    // question answered, nor a held page's restore.
    watch_.sessionEnding();
    p_.window.unload();
    p_.program.end();
}

void Form1::Form_EndSession() { exitProgram(); }

void Form1::Form_Unload() {
    p_.controls.Timer1.setEnabled(false);
    p_.tray.unregisterIcon();
}

} // namespace mainwindow
