#include "watch/WatchState.h"

#include <algorithm>
#include <utility>

namespace watch {
namespace {

using Actions = std::vector<Action>;

// A minute run out moves the refusals on; a long silence may end two states
// at once (a hold, then the wariness after it).
Refusals elapsed(Refusals r, Time now) {
    if (const auto* hold = std::get_if<refusal::Hold>(&r); hold && now >= hold->lastForeign + kMinute)
        r = refusal::Wary{hold->lastForeign + 2 * kMinute};
    if (const auto* one = std::get_if<refusal::OneNo>(&r); one && now >= one->at + kMinute) r = refusal::None{};
    if (const auto* wary = std::get_if<refusal::Wary>(&r); wary && now >= wary->until) r = refusal::None{};
    return r;
}

// Put back without a question, but never at the other program's pace: a
// value back within the pause after its restore waits for the pause to end.
void restoreUnasked(Pacing& p, Actions& out, const std::wstring& value, size_t source, Time now) {
    if (now < p.until) {
        if (value != p.value && !p.otherPutBack) {
            p.otherPutBack = true;
            out.push_back({Action::Restore, value, {}, source});
            return;
        }
        p.cameBack = true;
        out.push_back({Action::WakeAt, {}, p.until, source});
        return;
    }
    p.pace = p.cameBack ? std::min(std::max(p.pace * 2, kFirstPause), kLongestPause) : kFirstPause;
    p.cameBack = p.otherPutBack = false;
    p.value = value;
    p.until = now + p.pace;
    out.push_back({Action::Restore, value, {}, source});
}

void onRead(State& s, Actions& out, const Event& e, Time now) {
    if (!s.in<phase::Idle>() || s.suspended()) return;
    const std::wstring& value = e.value;
    Watched& w = s.watched[e.source];
    Memory& m = *s.memory(e.source);
    if (m.failing != value) m.failing.reset();
    // Nothing is read while a held value waits out its pause: a value read
    // after it that is not put back means the held one went away, which ends
    // the pacing.
    if (value == w.reference) return void(m.pacing.cameBack = false);
    if (e.treatment != Treatment::Ask) {
        w.reference = value;
        out.push_back({Action::ShowReference, value, {}, e.source});
        if (e.treatment == Treatment::Tell) {
            s.phase = phase::Telling{e.source};
            out.push_back({Action::Tell, value, {}, e.source});
        }
        return;
    }
    // Outside a hold, a value whose restore failed is asked about again, so
    // that the user sees that the No did not take.
    const bool inHold = std::holds_alternative<refusal::Hold>(m.refusals);
    const bool held = holds(m.refusals, value, now) && (inHold || !m.failing);
    m.refusals = nextRefusals(m.refusals, {RefusalCause::Foreign, value}, now);
    if (held) return restoreUnasked(m.pacing, out, value, e.source, now);
    m.pacing.cameBack = false;
    s.phase = phase::Asking{value, e.source};
    out.push_back({Action::Ask, value, {}, e.source});
}

void onAnswer(State& s, Actions& out, bool yes, Time now) {
    auto* asking = std::get_if<phase::Asking>(&s.phase);
    if (!asking) return;
    const std::wstring value = std::move(asking->value);
    const size_t source = asking->source;
    Memory* m = s.memory(source);
    if (m) m->failing.reset();
    if (yes) {
        s.watched[source].reference = value;
        s.phase = phase::Telling{source};
        out.push_back({Action::ShowReference, value, {}, source});
        out.push_back({Action::Confirm, {}, {}, source});
        return;
    }
    s.phase = phase::Idle{};
    // Suspended, the answer is carried out and nothing is remembered.
    if (m) m->refusals = nextRefusals(m->refusals, {RefusalCause::No, value}, now);
    out.push_back({Action::Restore, value, {}, source});
}

void onRestoreFailed(State& s, Actions& out, const Event& e) {
    Memory* m = s.memory(e.source);
    if (!m) return;
    m->failing = e.value;
    if (!std::holds_alternative<refusal::Hold>(m->refusals)) out.push_back({Action::RequestTick});
}

void onToggle(State& s, Actions& out) {
    if (s.suspended()) {
        s.watching.emplace(s.watched.size());
        out.push_back({Action::Resume});
        out.push_back({Action::RequestTick}); // a change made meanwhile is found at once
        return;
    }
    // Suspending lets changes through; resumed, the user decides again.
    s.watching.reset();
    out.push_back({Action::Suspend});
}

// Whether the value of a source may stand unasked: it is asked about now,
// or it was written while a box was open, when nothing is read, or it is a
// held value waiting for its pause or for a restore to take.
bool mayStandUnasked(const State& s, size_t source) {
    if (const auto* asking = std::get_if<phase::Asking>(&s.phase); asking && asking->source == source) return true;
    const Memory* m = s.memory(source);
    return m && (!s.in<phase::Idle>() || m->pacing.cameBack || m->failing);
}

// Whether the end reads a source a last time: one that stood quietly, whose
// change since the last read was never asked about. Decided before the end
// opens no box, so it holds through the whole of the end.
bool readAtTheEnd(const State& s, size_t source) {
    const Memory* m = s.memory(source);
    return !s.watched[source].told && m && !m->pacing.cameBack && !m->failing;
}

// The next source to read a last time, from `first` on; nothing once all are read.
void endFrom(State& s, Actions& out, size_t first) {
    for (size_t i = first; i < s.watched.size(); ++i) {
        if (!readAtTheEnd(s, i)) continue;
        s.phase = phase::Ending{i};
        out.push_back({Action::ReadValue, {}, {}, i});
        return;
    }
    s.phase = phase::Ended{};
}

} // namespace

Refusals nextRefusals(const Refusals& r, const RefusalCause& cause, Time now) {
    switch (cause.kind) {
    case RefusalCause::Elapsed: return elapsed(r, now);
    case RefusalCause::No:
        // The first No for its value; a second within the minute (or the
        // first just after a hold) for whatever the writer writes.
        if (std::holds_alternative<refusal::None>(r)) return refusal::OneNo{cause.value, now};
        return refusal::Hold{now, now};
    case RefusalCause::Foreign:
        if (const auto* hold = std::get_if<refusal::Hold>(&r)) return refusal::Hold{hold->lastNo, now};
        return r;
    case RefusalCause::Forget: return refusal::None{};
    }
    return r;
}

// In a hold only the minute counts, whatever the value.
bool holds(const Refusals& r, const std::wstring& value, Time now) {
    if (const auto* one = std::get_if<refusal::OneNo>(&r)) return value == one->value;
    if (const auto* hold = std::get_if<refusal::Hold>(&r)) return now < hold->lastNo + kMinute;
    return false;
}

bool listening(const State& s, size_t source, Time now) {
    const Memory* m = s.memory(source);
    return s.in<phase::Idle>() && m && !(m->pacing.cameBack && now < m->pacing.until);
}

const wchar_t* statusOf(const State& s) {
    if (s.suspended()) return kDisabled;
    // A held value waiting out its pause stands meanwhile.
    const auto* telling = std::get_if<phase::Telling>(&s.phase);
    if (s.in<phase::Asking>() || (telling && !s.watched[telling->source].told) ||
        std::any_of(s.watching->begin(), s.watching->end(),
                    [](const Memory& m) { return m.failing.has_value() || m.pacing.cameBack; }))
        return kChanged;
    // A policy's page opens, whatever the user's holds.
    if (std::any_of(s.watched.begin(), s.watched.end(), [](const Watched& w) { return w.told && !w.reference.empty(); }))
        return kPolicy;
    return kScanning;
}

Step next(State state, const Event& e, Time now) {
    Step step{std::move(state), {}};
    State& s = step.state;
    Actions& out = step.actions;
    // Ending waits only for its last reads.
    if (s.in<phase::Ended>()) return step;
    if (const auto* ending = std::get_if<phase::Ending>(&s.phase)) {
        if (e.kind != Event::Read || e.source != ending->source) return step;
        // A value written since the last read, never asked about, counts as No.
        if (e.treatment == Treatment::Ask && e.value != s.watched[e.source].reference)
            out.push_back({Action::Write, s.watched[e.source].reference, {}, e.source});
        endFrom(s, out, e.source + 1);
        return step;
    }
    if (s.watching && !s.in<phase::Asking>()) {
        for (Memory& m : *s.watching) m.refusals = nextRefusals(m.refusals, {RefusalCause::Elapsed}, now);
    }
    switch (e.kind) {
    case Event::Begin:
        s.watched[e.source] = {e.value, e.treatment == Treatment::Tell};
        out.push_back({Action::ShowReference, e.value, {}, e.source});
        break;
    case Event::Tick:
        if (listening(s, e.source, now)) {
            out.push_back({Action::ReadValue, {}, {}, e.source});
        } else if (s.in<phase::Idle>() && s.watching) {
            // early, by the clock's grain
            out.push_back({Action::WakeAt, {}, s.memory(e.source)->pacing.until, e.source});
        }
        break;
    case Event::Read: onRead(s, out, e, now); break;
    case Event::Yes: onAnswer(s, out, true, now); break;
    case Event::No: onAnswer(s, out, false, now); break;
    case Event::NotAsked: {
        // Never shown unguarded: the value stands until the question can be
        // shown, and the end puts it back meanwhile, as it does any unread one.
        const auto* asking = std::get_if<phase::Asking>(&s.phase);
        if (!asking) break;
        const size_t source = asking->source;
        s.phase = phase::Idle{};
        out.push_back({Action::WakeAt, {}, now + kAskAgain, source});
        break;
    }
    case Event::Told:
        if (!s.in<phase::Telling>()) break;
        s.phase = phase::Idle{};
        out.push_back({Action::RequestTick});
        break;
    case Event::Restored:
        if (Memory* m = s.memory(e.source)) m->failing.reset();
        break;
    case Event::NotRestored: onRestoreFailed(s, out, e); break;
    case Event::Toggle: onToggle(s, out); break;
    case Event::ChangeBegun:
        if (!s.in<phase::Idle>()) break;
        s.phase = phase::Changing{};
        out.push_back({Action::InputBox});
        break;
    case Event::ChangeEnded:
        if (!s.in<phase::Changing>()) break;
        // The box types a start page.
        if (!e.value.empty()) {
            out.push_back({Action::StoreChange, e.value});
        } else {
            s.phase = phase::Idle{};
            // What changed while the box was open is found now, not at the next tick.
            out.push_back({Action::RequestTick});
        }
        break;
    case Event::ChangeStored:
        if (!s.in<phase::Changing>()) break;
        s.phase = phase::Idle{};
        s.watched[0].reference = e.value;
        out.push_back({Action::ShowReference, e.value});
        out.push_back({Action::RequestTick});
        break;
    case Event::ChangeRefused:
        // The page stored is still the reference: shown as the page, the
        // typed one would make the next tick ask about the user's own.
        if (!s.in<phase::Changing>()) break;
        s.phase = phase::Telling{0};
        out.push_back({Action::TellRefused});
        break;
    case Event::SessionEnd:
        // An open question counts as No, as at Exit: the process may not
        // live to see the answer. So does a value that may stand unasked: one
        // written while the confirmation or the Change box was open, when
        // nothing is read, or a held value waiting for its pause or for a
        // restore to take. At the next start the value found is the
        // reference, and the user's page would be lost. A source that only
        // tells is never written. Any other value written since the last
        // read, never asked about, counts as No too: it is read a last time.
        {
            const bool quiet = s.in<phase::Idle>();
            for (size_t i = 0; i < s.watched.size(); ++i) {
                if (!s.watched[i].told && mayStandUnasked(s, i))
                    out.push_back({Action::Write, s.watched[i].reference, {}, i});
            }
            if (quiet) endFrom(s, out, 0);
            else s.phase = phase::Ended{};
        }
        break;
    }
    return step;
}

} // namespace watch
