#include "mainwindow/Tray.h"

namespace mainwindow {

void TrayIcon::registerIcon() {
    retriesLeft_ = kMaxRetries;
    tryAdd();
}

void TrayIcon::tryAdd() {
    registered_ = icon_.add(kTrayTip);
    if (registered_) {
        retry_.setEnabled(false);
    } else {
        retry_.setEnabled(retriesLeft_-- > 0);
    }
}

void TrayIcon::retryTimer_Timer() {
    if (!registered_) tryAdd();
}

void TrayIcon::taskbarCreated() {
    // A restarted shell has forgotten the icon; a broadcast without a restart
    // has not, and adding it twice would fail: delete, then add.
    icon_.remove();
    registered_ = false;
    registerIcon();
}

void TrayIcon::unregisterIcon() {
    retry_.setEnabled(false);
    // Also after a failed add: the shell may have shown the icon anyway, and
    // one left behind would outlive the program.
    icon_.remove();
    registered_ = false;
}

} // namespace mainwindow
