#include "watch/Watch.h"

#include <algorithm>

#include "ui/ScopedValue.h"
#include "watch/QuestionText.h"

namespace watch {
namespace {

void setIfDifferent(ui::Caption& c, const std::wstring& text) {
    if (c.caption() != text) c.setCaption(text);
}

} // namespace

namespace {

constexpr std::chrono::milliseconds kFirstPause{25}, kLongestPause{1000};

} // namespace

void Watch::Timer1_Timer() {
    // Suspended, nothing is read and nothing is written.
    if (asking_ || changing_ || ended_ || !c_.Timer1.enabled()) return;
    const Time now = clock_.now();
    // Once a rejected value has come back within the pause, nothing more is
    // read until it ends.
    if (now < pausedUntil_ && cameBackInPause_) return;
    const std::wstring current = store_.ReadStartPage(StartPageKey);
    if (pacing(current, now)) return;
    if (current != c_.lblHomePage.caption()) {
        onChange(current);
    } else {
        // The reference is back, by whatever hand: nothing left to finish.
        unfinished_.reset();
    }
    // Watching may have been suspended while the question was open; the
    // status then stays "Disabled" rather than claiming to scan.
    if (c_.Timer1.enabled()) setIfDifferent(c_.lblStatus, kScanning);
}

// True while a restore waits for its pause to end.
bool Watch::pacing(const std::wstring& current, Time now) {
    const bool rejected = current != c_.lblHomePage.caption() && rejections_.holds(current, now);
    if (now < pausedUntil_) {
        if (rejected) return cameBackInPause_ = true;
        pace_ = Time{0};
        pausedUntil_ = Time{0};
        return false;
    }
    if (!rejected) {
        pace_ = Time{0};
        return false;
    }
    pace_ = cameBackInPause_ ? std::min(std::max(pace_ * 2, kFirstPause), kLongestPause) : kFirstPause;
    cameBackInPause_ = false;
    pausedUntil_ = now + pace_;
    return false;
}

void Watch::onChange(const std::wstring& current) {
    const Time now = clock_.now();
    const bool rejected = rejections_.holds(current, now);
    // The user has answered this value No already: the reference goes back
    // without a question. The minute runs from the answer, not from here.
    if (rejected || (unfinished_ && unfinished_->value == current)) {
        if (restore(current)) {
            if (!rejected) restored(current, now); // that No has taken at last
            return;
        }
        if (rejected) {
            rejections_.forget(current);
            restoreFailed(current, now);
        }
    }
    // While restores fail, the user is not asked more often than the rule says.
    if (unfinished_ && now < unfinished_->askAt) return;
    if (unfinished_) toldOfFailure_ = now;

    const ui::ScopedValue asking(asking_, true);
    c_.lblStatus.setCaption(kChanged);
    // The question shows the value this tick read, and Yes accepts exactly
    // that value: a later change is asked about at the next tick.
    const ui::Answer answer = ask(questionAbout(current));
    // The session ended while the question was open: the reference is back.
    if (ended_) return;
    const Time answeredAt = clock_.now();
    if (answer == ui::Answer::Yes) {
        unfinished_.reset();
        c_.lblHomePage.setCaption(current);
        dialogs_.inform(L"New Homepage stored", L"HomePage stored");
        c_.Timer1.requestTick();
    } else if (restore(current)) {
        restored(current, answeredAt);
    } else {
        restoreFailed(current, answeredAt);
    }
}

// Writes the reference back and reads, through the path, whether it took. A
// refused write, or the replaced value still there (a write that changed
// nothing, or was undone before it could be read), is no kept No. Any other
// value there means the write took and a new change followed it: the next
// tick deals with that one.
bool Watch::restore(const std::wstring& replaced) {
    return store_.WriteStartPage(StartPageKey, c_.lblHomePage.caption()) &&
           store_.ReadStartPageAfresh(StartPageKey) != replaced;
}

void Watch::restored(const std::wstring& value, Time now) {
    unfinished_.reset();
    rejections_.remember(value, now);
}

// Never remembered as rejected. The user learns at once that No did not
// take; while it keeps failing, at most once a minute.
void Watch::restoreFailed(const std::wstring& value, Time now) {
    const bool toldLately = toldOfFailure_ && now < *toldOfFailure_ + Rejections::kHeld;
    unfinished_ = Unfinished{value, toldLately ? *toldOfFailure_ + Rejections::kHeld : now};
    if (!toldLately) c_.Timer1.requestTick();
}

// The question with the fullest display of the value that still fits on
// the screen, buttons and all: a box that reaches past the screen could be
// answered only blind, by the keyboard.
std::wstring Watch::questionAbout(const std::wstring& value) const {
    std::wstring text;
    for (const Display& d : kDisplays) {
        text = L"HomePage has been changed to '" + shownInQuestion(value, d) + L"'! Do you wish to keep this setting?";
        if (dialogs_.questionFits(text)) break;
    }
    return text;
}

ui::Answer Watch::ask(const std::wstring& text) {
    const ui::ScopedValue open(questionOpen_, true);
    return dialogs_.askYesNo(text, L"Warning!");
}

void Watch::sessionEnding() {
    if (questionOpen_) store_.WriteStartPage(StartPageKey, c_.lblHomePage.caption());
    ended_ = true;
}

void Watch::cmdChange_Click() {
    std::wstring typed;
    {
        const ui::ScopedValue changing(changing_, true);
        typed = dialogs_.inputBox(L"Enter a new HomePage for Microsoft Internet Explorer", L"New HomePage",
                                  L"http://www.");
    }
    if (!typed.empty()) {
        store_.WriteStartPage(StartPageKey, typed);
        c_.lblHomePage.setCaption(typed);
    }
    // What changed while the box was open, or a write that did not take, is
    // found now, not at the next tick.
    c_.Timer1.requestTick();
}

void Watch::cmdDisable_Click() {
    if (c_.cmdDisable.caption() == L"Disable") {
        c_.Timer1.setEnabled(false);
        c_.lblStatus.setCaption(kDisabled);
        c_.cmdDisable.setCaption(L"Enable");
        c_.mDisable.setCaption(L"Enable");
        // Suspending lets changes through; resumed, the user decides again.
        rejections_.clear();
        unfinished_.reset();
        pace_ = pausedUntil_ = Time{0};
        cameBackInPause_ = false;
    } else {
        c_.Timer1.setEnabled(true);
        c_.lblStatus.setCaption(kScanning);
        c_.cmdDisable.setCaption(L"Disable");
        c_.mDisable.setCaption(L"Disable");
        // A change made while suspended is found at once.
        c_.Timer1.requestTick();
    }
}

} // namespace watch
