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
    // The new shell has no icon of ours, whatever we believed before.
    registered_ = false;
    registerIcon();
}

void TrayIcon::unregisterIcon() {
    retry_.setEnabled(false);
    if (registered_) icon_.remove();
    registered_ = false;
}

} // namespace mainwindow
