#include "watch/WatchState.h"

#include <algorithm>
#include <utility>

namespace watch {
namespace {

using Actions = std::vector<Action>;

// What has run out by now. Not while the question is open: the minute is
// counted to the change asked about, not to a slow answer.
void age(State& s, Time now) {
    if (s.phase == Phase::Asking) return;
    if (s.guard == Guard::Hold && now >= s.lastForeign + kMinute) s.guard = Guard::Wary;
    if ((s.guard == Guard::OneNo && now >= s.lastNo + kMinute) ||
        (s.guard == Guard::Wary && now >= s.lastForeign + 2 * kMinute)) {
        s.guard = Guard::None;
        s.rejected.clear();
        s.lastNo = s.lastForeign = Time{0};
    }
}

// A No is remembered against the writer: the first for its value, a second
// within the minute (or the first just after a hold) for whatever it writes.
void rememberNo(State& s, const std::wstring& value, Time now) {
    if (s.guard == Guard::None) {
        s.guard = Guard::OneNo;
        s.rejected = value;
    } else {
        s.guard = Guard::Hold;
        s.rejected.clear();
        s.lastForeign = now;
    }
    s.lastNo = now;
}

// Put back without a question, but never at the other program's pace: a
// value back within the pause after its restore waits for the pause to end.
void restoreUnasked(State& s, Actions& out, const std::wstring& value, Time now) {
    if (now < s.pausedUntil) {
        s.cameBack = true;
        out.push_back({Action::WakeAt, {}, s.pausedUntil});
        return;
    }
    s.pace = s.cameBack ? std::min(std::max(s.pace * 2, kFirstPause), kLongestPause) : kFirstPause;
    s.cameBack = false;
    s.pausedUntil = now + s.pace;
    out.push_back({Action::Restore, value});
}

void onRead(State& s, Actions& out, const std::wstring& value, Time now) {
    if (s.phase != Phase::Idle || s.suspended) return;
    if (s.failing != value) s.failing.reset();
    // Nothing is read while a held value waits out its pause: a value read
    // after it that is not put back means the held one went away, which ends
    // the pacing.
    if (value == s.reference) return void(s.cameBack = false);
    // In a hold, only the minute counts, whatever the value; outside one, a
    // value whose restore failed is asked about again, so that the user
    // sees that the No did not take.
    bool held = s.guard == Guard::OneNo && value == s.rejected && !s.failing;
    if (s.guard == Guard::Hold) {
        s.lastForeign = now;
        held = now < s.lastNo + kMinute;
    }
    if (held) return restoreUnasked(s, out, value, now);
    s.cameBack = false;
    s.phase = Phase::Asking;
    s.asked = value;
    out.push_back({Action::Ask, value});
}

void onAnswer(State& s, Actions& out, bool yes, Time now) {
    if (s.phase != Phase::Asking) return;
    const std::wstring value = std::exchange(s.asked, {});
    s.failing.reset();
    if (yes) {
        s.reference = value;
        s.phase = Phase::Confirming;
        out.push_back({Action::ShowReference, value});
        out.push_back({Action::Confirm});
        return;
    }
    s.phase = Phase::Idle;
    // Suspended, the answer is carried out and nothing is remembered.
    if (!s.suspended) rememberNo(s, value, now);
    out.push_back({Action::Restore, value});
}

void onRestoreFailed(State& s, Actions& out, const std::wstring& value) {
    if (s.suspended) return;
    s.failing = value;
    if (s.guard != Guard::Hold) out.push_back({Action::RequestTick});
}

void onToggle(State& s, Actions& out) {
    if (s.suspended) {
        s.suspended = false;
        out.push_back({Action::Resume});
        out.push_back({Action::RequestTick}); // a change made meanwhile is found at once
        return;
    }
    // Suspending lets changes through; resumed, the user decides again.
    State fresh;
    fresh.reference = std::move(s.reference);
    fresh.phase = s.phase;
    fresh.asked = std::move(s.asked);
    fresh.suspended = true;
    s = std::move(fresh);
    out.push_back({Action::Suspend});
}

} // namespace

bool listening(const State& s, Time now) {
    return s.phase == Phase::Idle && !s.suspended && !(s.cameBack && now < s.pausedUntil);
}

const wchar_t* statusOf(const State& s) {
    if (s.suspended) return kDisabled;
    if (s.phase == Phase::Asking || s.phase == Phase::Confirming || s.failing) return kChanged;
    return kScanning;
}

Step next(State state, const Event& e, Time now) {
    Step step{std::move(state), {}};
    State& s = step.state;
    Actions& out = step.actions;
    if (s.phase == Phase::Ended) return step;
    age(s, now);
    switch (e.kind) {
    case Event::Begin:
        s.reference = e.value;
        out.push_back({Action::ShowReference, e.value});
        break;
    case Event::Tick:
        if (listening(s, now)) {
            out.push_back({Action::ReadValue});
        } else if (s.phase == Phase::Idle && !s.suspended) {
            out.push_back({Action::WakeAt, {}, s.pausedUntil}); // early, by the clock's grain
        }
        break;
    case Event::Read: onRead(s, out, e.value, now); break;
    case Event::Yes: onAnswer(s, out, true, now); break;
    case Event::No: onAnswer(s, out, false, now); break;
    case Event::Confirmed:
        if (s.phase != Phase::Confirming) break;
        s.phase = Phase::Idle;
        out.push_back({Action::RequestTick});
        break;
    case Event::Restored: s.failing.reset(); break;
    case Event::NotRestored: onRestoreFailed(s, out, e.value); break;
    case Event::Toggle: onToggle(s, out); break;
    case Event::ChangeBegun:
        if (s.phase != Phase::Idle) break;
        s.phase = Phase::Changing;
        out.push_back({Action::InputBox});
        break;
    case Event::ChangeEnded:
        if (s.phase != Phase::Changing) break;
        s.phase = Phase::Idle;
        if (!e.value.empty()) {
            s.reference = e.value;
            out.push_back({Action::Write, e.value});
            out.push_back({Action::ShowReference, e.value});
        }
        // What changed while the box was open, or a write that did not
        // take, is found now, not at the next tick.
        out.push_back({Action::RequestTick});
        break;
    case Event::SessionEnd:
        // An open question counts as No, as at Exit: the process may not
        // live to see the answer. So does a value that may stand unasked: one
        // written while the confirmation or the Change box was open, when
        // nothing is read, or a held value waiting for its pause or for a
        // restore to take. At the next start the value found is the
        // reference, and the user's page would be lost.
        if (s.phase == Phase::Asking || (!s.suspended && (s.phase != Phase::Idle || s.cameBack || s.failing)))
            out.push_back({Action::Write, s.reference});
        s.phase = Phase::Ended;
        break;
    }
    return step;
}

} // namespace watch
