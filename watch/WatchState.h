#pragma once
// The watch as one state and one function that moves it on: every event
// (a tick, a value read, an answer, a restore's outcome, the switch, the
// Change box, the end) gives the next state and what to do, so each case is
// a row of a table, not another flag. Nothing here touches a window or the
// registry; `Watch` performs the actions and feeds their outcomes back.
//
// The state is made of parts that each hold only what their case needs:
// the phase (which box is open), the refusals (what the user's Nos have
// earned against the writer) and the pacing of the write war. A part that
// does not exist cannot be out of date.
//
// Several sources are watched at once (the start page, the home tabs, ...;
// see Source.h), each by its index: every source has its own reference and
// its own memory of Nos and pacing, under the same rules. One box at a time
// serves them all.
#include <chrono>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace watch {

using Time = std::chrono::milliseconds;

inline constexpr wchar_t kScanning[] = L"Scanning for changes...";
inline constexpr wchar_t kChanged[] = L"HomePage changed!";
inline constexpr wchar_t kDisabled[] = L"Disabled";
// What opens is not the user's page but one a policy forces.
inline constexpr wchar_t kPolicy[] = L"Set by a policy";

// How a value other than the reference is dealt with; the source decides.
enum class Treatment {
    Ask,    // a question; No puts the reference back
    Accept, // made the reference unasked: the change opens nothing new
    Tell,   // told once in a box with OK only, made the reference: the user cannot undo it
};

// How long a No counts against the writer.
inline constexpr Time kMinute = std::chrono::minutes(1);
// A held value written again within a pause after its restore is put back
// once the pause is over, each pause twice the last: Varnok never fights at
// the pace of the program that drives it.
inline constexpr Time kFirstPause{25}, kLongestPause{1000};
// A question that could not be shown is tried again after this long.
inline constexpr Time kAskAgain{1000};

// Which box of the watch is open.
namespace phase {
struct Idle {
    bool operator==(const Idle&) const = default;
};
struct Asking { // the question is open
    std::wstring value; // the value it shows
    size_t source = 0;  // whose value
    bool operator==(const Asking&) const = default;
};
struct Telling { // a message of the watch is open: Yes stored, a source tells, or a Change did not take
    size_t source = 0;
    bool operator==(const Telling&) const = default;
};
struct Changing { // the Change box is open
    bool operator==(const Changing&) const = default;
};
struct Ending { // the session or the program is ending: each value is read a last time
    size_t source = 0; // the one being read
    bool operator==(const Ending&) const = default;
};
struct Ended { // nothing more is done
    bool operator==(const Ended&) const = default;
};
} // namespace phase
using Phase = std::variant<phase::Idle, phase::Asking, phase::Telling, phase::Changing, phase::Ending, phase::Ended>;

// What the user's Nos have earned against whoever writes the value. Its moves,
// all made by `nextRefusals`:
//
//   None  --No-------------------------------------------> OneNo
//   OneNo --a minute after its No------------------------> None
//   OneNo --No (to another value, within the minute)-----> Hold
//   Hold  --No, or a foreign value read------------------> Hold (its times moved on)
//   Hold  --a minute without a foreign value-------------> Wary
//   Wary  --No-------------------------------------------> Hold
//   Wary  --a minute more--------------------------------> None
//   any   --Disable----------------------------------------> None
//
// Time counts only while no question is open: the minute is counted to the
// change asked about, not to a slow answer.
namespace refusal {
struct None {
    bool operator==(const None&) const = default;
};
// One No within the minute: that value is put back unasked.
struct OneNo {
    std::wstring value; // the value answered No
    Time at{0};         // when
    bool operator==(const OneNo&) const = default;
};
// Two Nos within a minute: every foreign value is put back unasked until a
// minute after the last No. The next one after that is asked about, and a No
// to it holds again at once, so a writer that varies what it writes gets one
// question a minute. A minute without a foreign value ends it.
struct Hold {
    Time lastNo{0};
    Time lastForeign{0}; // when a foreign value was last read in the hold
    bool operator==(const Hold&) const = default;
};
// For the minute after a hold ended: one No starts it again, so that a
// writer gains no second question by keeping quiet for a minute.
struct Wary {
    Time until{0};
    bool operator==(const Wary&) const = default;
};
} // namespace refusal
using Refusals = std::variant<refusal::None, refusal::OneNo, refusal::Hold, refusal::Wary>;

// What moves the refusals on.
struct RefusalCause {
    enum Kind {
        Elapsed, // time has passed
        No,      // value: the value answered No
        Foreign, // a value other than the reference was read
        Forget,  // the watch was suspended
    } kind;
    std::wstring value{};
};

Refusals nextRefusals(const Refusals& refusals, const RefusalCause& cause, Time now);

// Whether a value read now is put back without a question.
bool holds(const Refusals& refusals, const std::wstring& value, Time now);

// The write war's pacing: the value last put back unasked, the pause after
// it and its end, whether that value came back within the pause, and whether
// another value was put back during it. The pause holds back only the value
// that came back: one other is put back at once, a second means the writer
// varies its page, and it waits too.
struct Pacing {
    std::wstring value;
    Time pace{0}, until{0};
    bool cameBack = false;
    bool otherPutBack = false;
    bool operator==(const Pacing&) const = default;
};

// What the watch has learnt since it began watching; suspending forgets it.
struct Memory {
    Refusals refusals;
    // The value standing after a restore that did not take. Outside a hold
    // the user is asked about it again at once; in a hold it is tried again
    // whenever it is read. Another value is dealt with as any other.
    std::optional<std::wstring> failing;
    Pacing pacing;
    bool operator==(const Memory&) const = default;
};

// One source as the watch keeps it.
struct Watched {
    std::wstring reference;
    bool told = false; // a source that only tells (a policy): never written
    bool operator==(const Watched&) const = default;
};

struct State {
    explicit State(size_t sources = 1) : watched(sources), watching(std::vector<Memory>(sources)) {}

    std::vector<Watched> watched;                   // one for each source, the start page first
    Phase phase;
    std::optional<std::vector<Memory>> watching; // one for each source; empty while suspended

    bool suspended() const { return !watching; }
    template <class P> bool in() const { return std::holds_alternative<P>(phase); }
    Memory* memory(size_t source) { return watching ? &(*watching)[source] : nullptr; }
    const Memory* memory(size_t source) const { return watching ? &(*watching)[source] : nullptr; }
    bool operator==(const State&) const = default;
};
struct Event {
    enum Kind {
        Begin,       // value: the first reference; treatment Tell: a source that only tells
        Tick,        // the timer, a change signal, the end of a pause
        Read,        // value: what the store holds now; treatment: how a change is dealt with
        Yes,         // the question's answers
        No,
        NotAsked,    // the question could not be shown; it is asked again later
        Told,        // the message of the watch was closed
        Restored,    // value: the one replaced; the reference took
        NotRestored, // value: the one replaced; the write was refused or undone
        Toggle,      // Disable or Enable
        ChangeBegun,
        ChangeEnded, // value: what was typed, empty when cancelled
        ChangeStored,  // value: the page typed; it was written and read back
        ChangeRefused, // value: the page typed; the write was refused or did not stay
        SessionEnd,
    } kind;
    std::wstring value{};
    size_t source = 0; // Begin, Tick, Read, Restored, NotRestored
    Treatment treatment = Treatment::Ask;
};

struct Action {
    enum Kind {
        ReadValue,     // read the source and report Read
        Ask,           // text: the value; report Yes or No
        Restore,       // text: the value replaced; write the reference, read it back, report the outcome
        Confirm,       // that Yes stored the value; report Told once closed
        Tell,          // text: the value, told with OK only; report Told once closed
        InputBox,      // report ChangeEnded
        StoreChange,   // text: the page typed; write it, read it back, report the outcome
        TellRefused,   // that the page typed could not be stored; report Told once closed
        Write,         // text: written as it is
        ShowReference, // text
        Suspend,       // the switch to "Enable", the timer off
        Resume,        // the switch to "Disable", the timer on
        RequestTick,   // a tick of every source as soon as the program is free
        WakeAt,        // at: a tick then, even if nothing else wakes the program
    } kind;
    std::wstring text{};
    Time at{0};
    size_t source = 0; // whose value is read, asked about, written or shown; whom WakeAt wakes

    bool operator==(const Action&) const = default;
};

struct Step {
    State state;
    std::vector<Action> actions; // an action that reports an outcome comes last
};

Step next(State state, const Event& event, Time now);

// What the status label says in this state.
const wchar_t* statusOf(const State& state);

// Whether a change signal would be acted on now. Not while a box is open
// or the watch suspended, nor while a held value that came back within its
// pause waits for it to end: the program would wake for nothing, once for
// every write of another program.
bool listening(const State& state, size_t source, Time now);

} // namespace watch
