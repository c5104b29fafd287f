#pragma once
#include <chrono>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "store/RegEdit.h"
#include "ui/Caption.h"
#include "ui/Dialogs.h"
#include "ui/Timer.h"
#include "watch/Rejections.h"

namespace watch {

inline constexpr wchar_t kScanning[] = L"Scanning for changes...";
inline constexpr wchar_t kChanged[] = L"HomePage changed!";
inline constexpr wchar_t kDisabled[] = L"Disabled";

// The controls whose captions hold the watch's state.
struct WatchControls {
    ui::Caption& lblHomePage; // the reference home page
    ui::Caption& lblStatus;
    ui::Caption& cmdDisable; // "Disable" while watching, "Enable" while suspended
    ui::Caption& mDisable;   // mirrors cmdDisable
    ui::Timer& Timer1;
};

// Compares the reference with the store on every tick and asks the user
// about any difference; also the watching toggle and the Change command.
// A No holds for a minute: the same value written again within it is put
// back unasked, so a program that rewrites its page cannot wear the user
// down with questions.
class Watch {
public:
    Watch(WatchControls controls, ui::Dialogs& dialogs, const RegEdit& store, const platform::Clock& clock)
        : c_(controls), dialogs_(dialogs), store_(store), clock_(clock) {}

    void Timer1_Timer();
    void cmdDisable_Click();
    void mDisable_Click() { cmdDisable_Click(); }
    // The user's own new start page: written and made the reference in one
    // handler, so no tick can take it for a foreign change.
    void cmdChange_Click();
    // Windows is ending the session, or an installer is closing Varnok. An
    // open question counts as answered No, as at Exit: the reference is
    // written back now, since the process may not live to see the answer.
    // Nothing else is written, and no tick runs after it.
    void sessionEnding();

    bool asking() const { return asking_; }
    // False while suspended, and while a rejected value that came back
    // within a pause waits for it to end: a change notification would wake
    // the program for nothing, once for every write of another program.
    bool wantsChangeSignals() const {
        return c_.Timer1.enabled() && !(cameBackInPause_ && clock_.now() < pausedUntil_);
    }

private:
    using Time = std::chrono::milliseconds;
    void onChange(const std::wstring& value);
    std::wstring questionAbout(const std::wstring& value) const;
    ui::Answer ask(const std::wstring& text);
    bool restore(const std::wstring& replaced);
    bool pacing(const std::wstring& current, Time now);
    void restored(const std::wstring& value, Time now);
    void restoreFailed(const std::wstring& value, Time now);

    WatchControls c_;
    ui::Dialogs& dialogs_;
    const RegEdit& store_;
    const platform::Clock& clock_;
    Rejections rejections_;
    // A No whose write did not take: tried again on every tick, and asked
    // about again at once, then no more than once a minute.
    struct Unfinished {
        std::wstring value;
        Time askAt;
    };
    std::optional<Unfinished> unfinished_;
    // When the user was last asked again because a restore had failed.
    std::optional<Time> toldOfFailure_;
    // Against a program that writes a rejected value back as fast as it can,
    // the restores slow down (each pause twice the last, up to a second), so
    // that Varnok never spends more than the program that drives it. A
    // value that stays away for a pause ends the pacing.
    Time pace_{0}, pausedUntil_{0};
    bool cameBackInPause_ = false;
    // Set while a tick's question or confirmation is open; ticks that fall
    // due meanwhile do nothing, so the user never faces two questions.
    bool asking_ = false;
    bool questionOpen_ = false;
    // Set while the Change box is open: a question would take the keyboard
    // from the box in which the user is typing a page.
    bool changing_ = false;
    bool ended_ = false;
};

} // namespace watch
