#include <gtest/gtest.h>

#include <functional>

#include "store/OpenAtStart.h"
#include "tests/native/WatchFixture.h"

using ui::Answer;
using namespace watch;

namespace {

std::wstring pageQuestion(const std::wstring& v) {
    return L"HomePage has been changed to '" + v + L"'! Do you wish to keep this setting?";
}

constexpr Time sec(long long n) { return std::chrono::seconds(n); }
constexpr Time ms(long long n) { return Time(n); }
const std::wstring R = L"http://ref.example/", A = L"http://a.example/", B = L"http://b.example/",
                   C = L"http://c.example/", M = L"http://mine.example/";

// What a step changes in the state; the rest must stay as it was.
using Change = std::function<void(State&)>;
Change operator+(Change a, Change b) { return [=](State& s) { a(s), b(s); }; }
const Change same = [](State&) {};
Change in(Phase p) { return [=](State& s) { s.phase = p; }; }
Change asking(const std::wstring& v, size_t source = 0) { return in(phase::Asking{v, source}); }
const Change idle = in(phase::Idle{});
Change refusals(Refusals r, size_t source = 0) { return [=](State& s) { (*s.watching)[source].refusals = r; }; }
const Change forgiven = refusals(refusal::None{});
Change oneNo(const std::wstring& v, Time at, size_t source = 0) { return refusals(refusal::OneNo{v, at}, source); }
Change hold(Time lastNo, Time lastForeign) { return refusals(refusal::Hold{lastNo, lastForeign}); }
Change failing(std::optional<std::wstring> v) { return [=](State& s) { (*s.watching)[0].failing = v; }; }
Change paced(const std::wstring& v, Time pace, Time until, bool cameBack = false, bool otherPutBack = false,
             size_t source = 0) {
    return [=](State& s) { (*s.watching)[source].pacing = {v, pace, until, cameBack, otherPutBack}; };
}
Change reference(const std::wstring& v, size_t source = 0) { return [=](State& s) { s.watched[source].reference = v; }; }
Change told(size_t source) { return [=](State& s) { s.watched[source].told = true; }; }
Change suspended(bool on) { return [=](State& s) { if (on) s.watching.reset(); else s.watching.emplace(s.watched.size()); }; }

Action act(Action::Kind k, std::wstring text = {}, size_t source = 0) { return {k, std::move(text), {}, source}; }
Action wakeAt(Time at, size_t source = 0) { return {Action::WakeAt, {}, at, source}; }
const Action readValue = act(Action::ReadValue), tick = act(Action::RequestTick);
Action ask(const std::wstring& v, size_t source = 0) { return act(Action::Ask, v, source); }
Action restore(const std::wstring& v, size_t source = 0) { return act(Action::Restore, v, source); }
Event read(const std::wstring& v, size_t source, Treatment t = Treatment::Ask) { return {Event::Read, v, source, t}; }

struct Row {
    Time at;
    Event event;
    Change change;
    std::vector<Action> actions;
};

} // namespace

namespace watch {
// What a failed row saw.
void PrintTo(const State& s, std::ostream* os) {
    *os << "{reference " << testing::PrintToString(s.watched[0].reference) << " phase " << s.phase.index();
    if (const auto* a = std::get_if<phase::Asking>(&s.phase)) *os << " " << testing::PrintToString(a->value);
    if (!s.watching) return void(*os << " suspended}");
    const Memory& m = (*s.watching)[0];
    *os << " refusals " << m.refusals.index();
    std::visit([&](const auto& r) {
        using R = std::decay_t<decltype(r)>;
        if constexpr (std::is_same_v<R, refusal::OneNo>) *os << " " << testing::PrintToString(r.value) << " at " << r.at.count();
        if constexpr (std::is_same_v<R, refusal::Hold>) *os << " lastNo " << r.lastNo.count() << " lastForeign " << r.lastForeign.count();
        if constexpr (std::is_same_v<R, refusal::Wary>) *os << " until " << r.until.count();
    }, m.refusals);
    *os << " failing " << testing::PrintToString(m.failing.value_or(L"-")) << " paced " << testing::PrintToString(m.pacing.value) << " pace " << m.pacing.pace.count()
        << " until " << m.pacing.until.count() << " cameBack " << m.pacing.cameBack << " other " << m.pacing.otherPutBack << "}";
}
void PrintTo(const Action& a, std::ostream* os) { *os << int(a.kind) << " " << testing::PrintToString(a.text) << " " << a.at.count(); }
} // namespace watch

// Each scenario starts from watching with the reference R and no memory;
// every step gives the event, what it changes in the state and what it does.
TEST(WatchStateTable, EveryEventInEveryPhase) {
    const Event r{Event::Read, R}, a{Event::Read, A}, b{Event::Read, B}, c{Event::Read, C}, yes{Event::Yes},
        no{Event::No}, t{Event::Tick}, toggle{Event::Toggle};
    const struct {
        const char* what;
        std::vector<Row> steps;
        size_t sources = 1; // each with the reference R
    } scenarios[] = {
        {"asked, No restores, Yes keeps and confirms; nothing is read while a box is open",
         {{sec(0), t, same, {readValue}},
          {sec(0), r, same, {}},
          {sec(0), a, asking(A), {ask(A)}},
          {sec(1), t, same, {}},
          {sec(1), r, same, {}},
          {sec(2), no, idle + oneNo(A, sec(2)), {restore(A)}},
          {sec(2), {Event::Restored, A}, same, {}},
          {sec(3), b, asking(B), {ask(B)}},
          {sec(4), yes, reference(B) + in(phase::Telling{}), {act(Action::ShowReference, B), act(Action::Confirm)}},
          {sec(4), t, same, {}},
          {sec(5), {Event::Told}, idle, {tick}}}},
        {"a No holds its value a minute from the answer; another value is asked; the minute counts to the question",
         {{sec(0), a, asking(A), {ask(A)}},
          {sec(1), no, idle + oneNo(A, sec(1)), {restore(A)}},
          {sec(60), a, paced(A, ms(25), sec(60) + ms(25)), {restore(A)}},
          {sec(61), a, forgiven + asking(A), {ask(A)}},
          {sec(200), no, idle + oneNo(A, sec(200)), {restore(A)}},
          {sec(210), b, asking(B), {ask(B)}},
          {sec(300), no, idle + hold(sec(300), sec(300)), {restore(B)}}}},
        {"a writer that varies its page: two Nos hold every value a minute, then one question a minute",
         {{sec(0), a, asking(A), {ask(A)}},
          {sec(1), no, idle + oneNo(A, sec(1)), {restore(A)}},
          {sec(2), b, asking(B), {ask(B)}},
          {sec(3), no, idle + hold(sec(3), sec(3)), {restore(B)}},
          {sec(4), c, hold(sec(3), sec(4)) + paced(C, ms(25), sec(4) + ms(25)), {restore(C)}},
          {sec(62), {Event::Read, L"C"}, hold(sec(3), sec(62)) + paced(L"C", ms(25), sec(62) + ms(25)), {restore(L"C")}},
          {sec(63), a, hold(sec(3), sec(63)) + asking(A), {ask(A)}},
          {sec(64), no, idle + hold(sec(64), sec(64)), {restore(A)}},
          {sec(123), b, hold(sec(64), sec(123)) + paced(B, ms(25), sec(123) + ms(25)), {restore(B)}},
          // Quiet for a minute: the hold is over, and for a minute more one No starts it again.
          {sec(183), c, refusals(refusal::Wary{sec(243)}) + asking(C), {ask(C)}},
          {sec(184), no, idle + hold(sec(184), sec(184)), {restore(C)}},
          {sec(400), a, forgiven + asking(A), {ask(A)}}}},
        {"a value back within the pause waits for its end, which wakes the watch; each pause twice the last",
         {{sec(0), a, asking(A), {ask(A)}},
          {sec(0), no, idle + oneNo(A, sec(0)), {restore(A)}},
          {ms(100), a, paced(A, ms(25), ms(125)), {restore(A)}},
          {ms(105), a, paced(A, ms(25), ms(125), true), {wakeAt(ms(125))}},
          {ms(110), t, same, {wakeAt(ms(125))}},
          {ms(125), t, same, {readValue}},
          {ms(125), a, paced(A, ms(50), ms(175)), {restore(A)}},
          {ms(150), a, paced(A, ms(50), ms(175), true), {wakeAt(ms(175))}},
          {ms(175), a, paced(A, ms(100), ms(275)), {restore(A)}},
          {ms(200), a, paced(A, ms(100), ms(275), true), {wakeAt(ms(275))}},
          {ms(275), r, paced(A, ms(100), ms(275)), {}},
          {ms(900), a, paced(A, ms(25), ms(925)), {restore(A)}}}},
        {"a restore that fails is asked about again at once; another value is asked at once",
         {{sec(0), a, asking(A), {ask(A)}},
          {sec(1), no, idle + oneNo(A, sec(1)), {restore(A)}},
          {sec(1), {Event::NotRestored, A}, failing(A), {tick}},
          {sec(1), b, failing({}) + asking(B), {ask(B)}},
          {sec(2), yes, reference(B) + in(phase::Telling{}), {act(Action::ShowReference, B), act(Action::Confirm)}},
          {sec(2), {Event::Told}, idle, {tick}},
          {sec(3), a, paced(A, ms(25), sec(3) + ms(25)), {restore(A)}},
          {sec(3), {Event::NotRestored, A}, failing(A), {tick}},
          {sec(3), a, asking(A), {ask(A)}}}},
        {"two Nos that fail hold; in the hold a failing value is tried at every read, another put back at once",
         {{sec(0), a, asking(A), {ask(A)}},
          {sec(1), no, idle + oneNo(A, sec(1)), {restore(A)}},
          {sec(1), {Event::NotRestored, A}, failing(A), {tick}},
          {sec(1), a, asking(A), {ask(A)}},
          {sec(2), no, idle + hold(sec(2), sec(2)) + failing({}), {restore(A)}},
          {sec(2), {Event::NotRestored, A}, failing(A), {}},
          {sec(3), a, hold(sec(2), sec(3)) + paced(A, ms(25), sec(3) + ms(25)), {restore(A)}},
          {sec(3), {Event::NotRestored, A}, same, {}},
          {sec(5), c, hold(sec(2), sec(5)) + failing({}) + paced(C, ms(25), sec(5) + ms(25)), {restore(C)}},
          {sec(5), {Event::Restored, C}, same, {}},
          {sec(62), a, hold(sec(2), sec(62)) + asking(A), {ask(A)}}}},
        {"Disable forgets everything, even during the question, whose answer is still carried out",
         {{sec(0), a, asking(A), {ask(A)}},
          {sec(1), no, idle + oneNo(A, sec(1)), {restore(A)}},
          {sec(2), b, asking(B), {ask(B)}},
          {sec(3), toggle, suspended(true), {act(Action::Suspend)}},
          {sec(4), no, idle, {restore(B)}},
          {sec(4), {Event::NotRestored, B}, same, {}},
          {sec(5), t, same, {}},
          {sec(6), toggle, suspended(false), {act(Action::Resume), tick}},
          {sec(6), b, asking(B), {ask(B)}}}},
        {"Change: one box at a time, the held No kept, found at once once the box closes; the end with the box "
         "open over a page whose restore failed puts the reference back",
         {{sec(0), a, asking(A), {ask(A)}},
          {sec(1), {Event::ChangeBegun}, same, {}},
          {sec(1), no, idle + oneNo(A, sec(1)), {restore(A)}},
          {sec(2), {Event::ChangeBegun}, in(phase::Changing{}), {act(Action::InputBox)}},
          {sec(3), t, same, {}},
          {sec(4), {Event::ChangeEnded, M}, same, {act(Action::StoreChange, M)}},
          {sec(4), {Event::ChangeStored, M}, reference(M) + idle, {act(Action::ShowReference, M), tick}},
          {sec(5), a, paced(A, ms(25), sec(5) + ms(25)), {restore(A)}},
          {sec(5), {Event::NotRestored, A}, failing(A), {tick}},
          {sec(6), {Event::ChangeBegun}, in(phase::Changing{}), {act(Action::InputBox)}},
          {sec(7), {Event::ChangeEnded, L""}, idle, {tick}},
          {sec(8), {Event::ChangeBegun}, in(phase::Changing{}), {act(Action::InputBox)}},
          {sec(9), {Event::SessionEnd}, in(phase::Ended{}), {act(Action::Write, M)}}}},
        {"a Change that did not take keeps the reference and says so; what stands is looked at once it is read",
         {{sec(0), {Event::ChangeBegun}, in(phase::Changing{}), {act(Action::InputBox)}},
          {sec(1), {Event::ChangeEnded, M}, same, {act(Action::StoreChange, M)}},
          {sec(1), {Event::ChangeRefused, M}, in(phase::Telling{}), {act(Action::TellRefused)}},
          {sec(2), t, same, {}},
          {sec(3), {Event::Told}, idle, {tick}},
          {sec(3), r, same, {}}}},
        {"in a hold a refused restore paces only its value: one other page is put back at once, a second waits",
         {{sec(0), a, asking(A), {ask(A)}},
          {sec(1), no, idle + oneNo(A, sec(1)), {restore(A)}},
          {sec(2), b, asking(B), {ask(B)}},
          {sec(3), no, idle + hold(sec(3), sec(3)), {restore(B)}},
          {sec(4), a, hold(sec(3), sec(4)) + paced(A, ms(25), sec(4) + ms(25)), {restore(A)}},
          {sec(4), {Event::NotRestored, A}, failing(A), {}},
          {sec(4) + ms(5), c, hold(sec(3), sec(4) + ms(5)) + failing({}) + paced(A, ms(25), sec(4) + ms(25), false, true),
           {restore(C)}},
          {sec(4) + ms(10), b, hold(sec(3), sec(4) + ms(10)) + paced(A, ms(25), sec(4) + ms(25), true, true),
           {wakeAt(sec(4) + ms(25))}},
          {sec(4) + ms(25), b, hold(sec(3), sec(4) + ms(25)) + paced(B, ms(50), sec(4) + ms(75)), {restore(B)}}}},
        {"a question that could not be shown guarded is not shown, and asked again a second later",
         {{sec(0), a, asking(A), {ask(A)}},
          {sec(0), {Event::NotAsked}, idle, {wakeAt(sec(1))}},
          {sec(1), t, same, {readValue}},
          {sec(1), a, asking(A), {ask(A)}}}},
        {"the end reads the value a last time: a page written since the last read counts as No",
         {{sec(0), {Event::SessionEnd}, in(phase::Ending{}), {readValue}},
          {sec(0), t, same, {}},
          {sec(0), a, in(phase::Ended{}), {act(Action::Write, R)}}}},
        {"the end over the reference writes nothing",
         {{sec(0), {Event::SessionEnd}, in(phase::Ending{}), {readValue}},
          {sec(0), r, in(phase::Ended{}), {}}}},
        {"suspended, the end reads nothing",
         {{sec(0), toggle, suspended(true), {act(Action::Suspend)}},
          {sec(1), {Event::SessionEnd}, in(phase::Ended{}), {}}}},
        {"the end: an open question counts as No, and nothing happens after",
         {{sec(0), a, asking(A), {ask(A)}},
          {sec(1), {Event::SessionEnd}, in(phase::Ended{}), {act(Action::Write, R)}},
          {sec(1), yes, same, {}},
          {sec(2), t, same, {}}}},
        {"the end with the confirmation open puts the reference back over what was written meanwhile, unread",
         {{sec(0), a, asking(A), {ask(A)}},
          {sec(1), yes, reference(A) + in(phase::Telling{}), {act(Action::ShowReference, A), act(Action::Confirm)}},
          {sec(2), {Event::SessionEnd}, in(phase::Ended{}), {act(Action::Write, A)}}}},
        {"the end while a held value waits out its pause puts the reference back",
         {{sec(0), a, asking(A), {ask(A)}},
          {sec(0), no, idle + oneNo(A, sec(0)), {restore(A)}},
          {ms(100), a, paced(A, ms(25), ms(125)), {restore(A)}},
          {ms(105), a, paced(A, ms(25), ms(125), true), {wakeAt(ms(125))}},
          {ms(110), {Event::SessionEnd}, in(phase::Ended{}), {act(Action::Write, R)}}}},
        {"each source has its own Nos and pacing; one box serves them all, and a read while it is open waits",
         {{sec(0), {Event::Tick, {}, 1}, same, {act(Action::ReadValue, {}, 1)}},
          {sec(0), read(A, 1), asking(A, 1), {ask(A, 1)}},
          {sec(0), read(B, 0), same, {}},
          {sec(1), no, idle + oneNo(A, sec(1), 1), {restore(A, 1)}},
          {sec(2), read(A, 1), paced(A, ms(25), sec(2) + ms(25), false, false, 1), {restore(A, 1)}},
          {sec(2), read(A, 1), paced(A, ms(25), sec(2) + ms(25), true, false, 1), {wakeAt(sec(2) + ms(25), 1)}},
          {sec(2), {Event::Tick, {}, 0}, same, {readValue}},
          {sec(3), read(A, 0), asking(A, 0), {ask(A)}},
          {sec(4), yes, reference(A) + in(phase::Telling{0}), {act(Action::ShowReference, A), act(Action::Confirm)}},
          {sec(5), {Event::Told}, idle, {tick}}},
         2},
        {"a change that opens nothing new becomes the reference unasked; a policy is told once, and never written",
         {{sec(0), {Event::Begin, L"", 2, Treatment::Tell}, reference(L"", 2) + told(2), {act(Action::ShowReference, L"", 2)}},
          {sec(0), read(L"", 1, Treatment::Accept), reference(L"", 1), {act(Action::ShowReference, L"", 1)}},
          {sec(1), read(L"P", 2, Treatment::Tell), reference(L"P", 2) + in(phase::Telling{2}),
           {act(Action::ShowReference, L"P", 2), act(Action::Tell, L"P", 2)}},
          {sec(1), read(A, 0), same, {}},
          {sec(2), {Event::SessionEnd}, in(phase::Ended{}), {act(Action::Write, R), act(Action::Write, L"", 1)}}},
         3},
    };
    for (const auto& sc : scenarios) {
        State before(sc.sources);
        for (auto& w : before.watched) w.reference = R;
        State expected = before;
        for (size_t i = 0; i < sc.steps.size(); ++i) {
            const auto& step = sc.steps[i];
            step.change(expected);
            const auto [after, actions] = next(before, step.event, step.at);
            EXPECT_EQ(after, expected) << sc.what << ", step " << i;
            EXPECT_EQ(actions, step.actions) << sc.what << ", step " << i;
            before = expected;
        }
    }
}

// The refusals' moves as listed in WatchState.h, each with its cause.
TEST(WatchStateTable, RefusalMoves) {
    using refusal::None, refusal::OneNo, refusal::Hold, refusal::Wary;
    const RefusalCause elapsed{RefusalCause::Elapsed}, noToA{RefusalCause::No, A}, foreign{RefusalCause::Foreign, B};
    const struct {
        Refusals from;
        RefusalCause cause;
        Time at;
        Refusals to;
    } rows[] = {
        {None{}, noToA, sec(5), OneNo{A, sec(5)}},
        {None{}, elapsed, sec(500), None{}},
        {OneNo{A, sec(5)}, elapsed, sec(64), OneNo{A, sec(5)}},
        {OneNo{A, sec(5)}, elapsed, sec(65), None{}},
        {OneNo{B, sec(5)}, noToA, sec(6), Hold{sec(6), sec(6)}},
        {OneNo{B, sec(5)}, foreign, sec(6), OneNo{B, sec(5)}},
        {Hold{sec(6), sec(6)}, foreign, sec(30), Hold{sec(6), sec(30)}},
        {Hold{sec(6), sec(30)}, noToA, sec(40), Hold{sec(40), sec(40)}},
        {Hold{sec(6), sec(30)}, elapsed, sec(89), Hold{sec(6), sec(30)}},
        {Hold{sec(6), sec(30)}, elapsed, sec(90), Wary{sec(150)}},
        {Hold{sec(6), sec(30)}, elapsed, sec(150), None{}},
        {Wary{sec(150)}, noToA, sec(100), Hold{sec(100), sec(100)}},
        {Wary{sec(150)}, foreign, sec(100), Wary{sec(150)}},
        {Wary{sec(150)}, elapsed, sec(150), None{}},
        {Hold{sec(6), sec(30)}, {RefusalCause::Forget}, sec(31), None{}},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(nextRefusals(r.from, r.cause, r.at), r.to)
            << "from " << r.from.index() << " cause " << r.cause.kind << " at " << r.at.count();
    }
}

class WatchTest : public WatchFixture {};

TEST_F(WatchTest, UnchangedValueAsksNothingAndLeavesTheStatusAlone) {
    for (int i = 0; i < 5; ++i) watch.Timer1_Timer();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(lblStatus.sets, 0);
    EXPECT_EQ(registry.writes, 0);
}

TEST_F(WatchTest, NoWritesTheReferenceBack) {
    page.set(L"http://evil.example/");
    dialogs.answers = {Answer::No};
    dialogs.whileAsking = [&] { EXPECT_EQ(lblStatus.text, L"HomePage changed!"); };
    watch.Timer1_Timer();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, pageQuestion(L"http://evil.example/"));
    EXPECT_EQ(dialogs.shown[0].title, L"Warning!");
    EXPECT_EQ(stored(), L"http://ref.example/");
    EXPECT_EQ(lblHomePage.text, L"http://ref.example/");
    EXPECT_EQ(lblStatus.text, L"Scanning for changes...");
    watch.Timer1_Timer();
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(WatchTest, YesKeepsTheNewValueAndConfirms) {
    page.set(L"http://new.example/");
    dialogs.answers = {Answer::Yes};
    dialogs.whileInforming = [&] { EXPECT_EQ(lblStatus.text, L"HomePage changed!"); };
    watch.Timer1_Timer();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].kind, L"information");
    EXPECT_EQ(dialogs.shown[1].text, L"New Homepage stored");
    EXPECT_EQ(dialogs.shown[1].title, L"HomePage stored");
    EXPECT_EQ(lblStatus.text, L"Scanning for changes...");
    EXPECT_EQ(lblHomePage.text, L"http://new.example/");
    EXPECT_EQ(stored(), L"http://new.example/");
    EXPECT_EQ(timer1.requested, 1);
    watch.Timer1_Timer();
    EXPECT_EQ(dialogs.shown.size(), 2u);
}

TEST_F(WatchTest, DifferencesThatCount) {
    struct Case {
        const char* what;
        std::wstring reference;
        std::optional<std::wstring> value; // nothing: the value is deleted
        std::wstring shown;
    } cases[] = {
        {"letter case", L"http://a.example/", L"http://A.example/", L"http://A.example/"},
        {"trailing space", L"http://a.example/", L"http://a.example/ ", L"http://a.example/ "},
        {"deleted value", L"http://a.example/", std::nullopt, L""},
        {"unreadable at start-up, readable now", L"", L"http://a.example/", L"http://a.example/"},
    };
    for (const auto& c : cases) {
        watch::Watch fresh{{lblHomePage, lblStatus, cmdDisable, mDisable, timer1}, dialogs, {&startPage}, clock};
        page.set(c.reference);
        fresh.begin();
        if (c.value) page.set(*c.value); else page.erase();
        dialogs.shown.clear();
        fresh.Timer1_Timer();
        ASSERT_EQ(dialogs.questions(), 1u) << c.what;
        EXPECT_EQ(dialogs.shown[0].text, pageQuestion(c.shown)) << c.what;
        ASSERT_NE(page.get(), nullptr) << c.what;
        EXPECT_EQ(page.get()->type, platform::RegSz) << c.what;
        EXPECT_EQ(stored(), c.reference) << c.what;
    }
}

TEST_F(WatchTest, ToggleSwitchesTimerStatusAndBothCaptions) {
    watch.cmdDisable_Click();
    EXPECT_FALSE(timer1.on);
    EXPECT_EQ(lblStatus.text, L"Disabled");
    EXPECT_EQ(cmdDisable.text, L"Enable");
    EXPECT_EQ(mDisable.text, L"Enable");
    watch.Timer1_Timer();
    watch.mDisable_Click();
    EXPECT_TRUE(timer1.on);
    EXPECT_EQ(lblStatus.text, L"Scanning for changes...");
    EXPECT_EQ(cmdDisable.text, L"Disable");
    EXPECT_EQ(mDisable.text, L"Disable");
    EXPECT_EQ(registry.reads, 0);
    EXPECT_EQ(lblHomePage.text, L"http://ref.example/");
}

// Boxes run the event loop: what arrives while one is open is dealt with at
// once, and the box's answer after it.
TEST_F(WatchTest, EventsWhileTheQuestionIsOpen) {
    page.set(L"http://evil.example/");
    dialogs.answers = {Answer::No};
    dialogs.whileAsking = [&] {
        page.set(L"http://other.example/");
        watch.Timer1_Timer();
        watch.mDisable_Click();
        EXPECT_EQ(lblStatus.text, L"Disabled");
    };
    watch.Timer1_Timer();
    EXPECT_EQ(dialogs.questions(), 1u);
    EXPECT_EQ(stored(), L"http://ref.example/") << "No is carried out while suspended";
    EXPECT_EQ(lblStatus.text, L"Disabled");

    watch.mDisable_Click();
    page.set(L"http://evil.example/");
    dialogs.answers = {Answer::Yes}; // whatever the dying box returns, nothing more is done
    dialogs.whileAsking = [&] {
        watch.sessionEnding();
        EXPECT_EQ(stored(), L"http://ref.example/") << "written before the handler returns";
    };
    watch.Timer1_Timer();
    EXPECT_EQ(lblHomePage.text, L"http://ref.example/");
    page.set(L"http://later.example/");
    watch.Timer1_Timer();
    EXPECT_EQ(dialogs.questions(), 2u) << "the No while suspended was not remembered; no tick after the end";
}

// A write refused, or undone before it is read back, is no restore.
TEST_F(WatchTest, ARestoreIsReadBack) {
    for (const bool refused : {true, false}) {
        watch::Watch fresh{{lblHomePage, lblStatus, cmdDisable, mDisable, timer1}, dialogs, {&startPage}, clock};
        page.set(L"http://evil.example/");
        registry.failWrites = refused;
        registry.afterWrite = [&] { page.set(L"http://evil.example/"); };
        timer1.requested = 0;
        fresh.Timer1_Timer();
        EXPECT_EQ(lblStatus.text, L"HomePage changed!") << refused;
        EXPECT_EQ(timer1.requested, 1) << refused << ": asked again at once";
        registry.failWrites = false;
        registry.afterWrite = nullptr;
        fresh.Timer1_Timer();
        EXPECT_EQ(stored(), L"http://ref.example/") << refused;
        EXPECT_EQ(lblStatus.text, L"Scanning for changes...") << refused;
    }
}

// A held value back within the pause after its restore waits for the pause
// to end, asleep to change signals, and a wake-up then puts it back.
TEST_F(WatchTest, APauseEndsWithAWakeUp) {
    page.set(A);
    watch.Timer1_Timer();
    for (const Time after : {ms(0), ms(5)}) {
        clock.at += after;
        page.set(A);
        watch.Timer1_Timer();
    }
    EXPECT_EQ(timer1.delayed, ms(20));
    EXPECT_FALSE(watch.wantsChangeSignals(0));
    EXPECT_EQ(lblStatus.text, kChanged) << "the held page stands while it waits";
    EXPECT_EQ(stored(), A);
    clock.at += ms(20);
    watch.Timer1_Timer();
    EXPECT_EQ(stored(), R);
    EXPECT_EQ(lblStatus.text, kScanning);
    EXPECT_TRUE(watch.wantsChangeSignals(0));
    EXPECT_EQ(dialogs.questions(), 1u);
}

// A page written just before the end, never read: put back, unasked, unless
// suspended.
TEST_F(WatchTest, TheEndReadsTheValueALastTime) {
    for (const bool suspended : {false, true}) {
        watch::Watch fresh{{lblHomePage, lblStatus, cmdDisable, mDisable, timer1}, dialogs, {&startPage}, clock};
        if (suspended) fresh.cmdDisable_Click();
        page.set(A);
        fresh.sessionEnding();
        EXPECT_EQ(stored(), suspended ? A : R) << suspended;
        EXPECT_EQ(dialogs.questions(), 0u) << suspended;
        page.set(R);
    }
}

namespace {

using platform::Hive;
using platform::RegistryData;
using Set = std::function<void(FakeRegistry&)>;

RegistryData utf16(const std::wstring& text, std::uint32_t type) { return FakeRegistry::stringData(text, type); }
Set put(Hive h, const std::wstring& key, const std::wstring& name, RegistryData d) {
    return [=](FakeRegistry& r) { r.set(h, key, name, d); };
}
Set homeTabs(std::vector<std::wstring> list) { return [=](FakeRegistry& r) { store::writeHomeTabs(r, list); }; }
Set lastSessionOn(bool on) { return [=](FakeRegistry& r) { store::writeLastSession(r, on); }; }
Set startPageAs(const std::wstring& text, std::uint32_t type) {
    return put(Hive::CurrentUser, StartPageInRegistry::kKey, L"Start Page", utf16(text, type));
}
Set policyPage(const std::wstring& page) {
    const std::wstring key = store::kPoliciesKey;
    return [=](FakeRegistry& r) {
        r.set(Hive::CurrentUser, key + L"\\Main", L"Start Page", FakeRegistry::stringData(page));
        r.set(Hive::CurrentUser, key + L"\\Control Panel", L"HomePage", {platform::RegDword, {1, 0, 0, 0}});
    };
}
const std::wstring X = L"http://x.example/", E = L"http://evil.example/";
std::wstring tabsQuestion(const std::wstring& middle) {
    return L"The HomePage tabs have been changed to " + middle + L" Do you wish to keep this setting?";
}

} // namespace

// Every source through the one watch, on a fake registry: what is found at
// start-up, what another program changes, the box it brings and its answer,
// and what stands afterwards.
TEST(WatchSources, EachAskedInItsOwnWordsAndPutBack) {
    const auto tabsAre = [](std::vector<std::wstring> list) {
        return [=](FakeRegistry& r) { return store::readHomeTabs(r) == list; };
    };
    // A list too long to show: its first eight, then how many more.
    std::vector<std::wstring> many;
    std::wstring firstEight;
    for (int i = 0; i < 1000; ++i) many.push_back(L"http://t.example/" + std::to_wstring(i));
    for (int i = 0; i < 8; ++i) firstEight += (i ? L", '" : L"'") + many[i] + L"'";
    firstEight += L" and 992 more";
    const auto pageIs = [](const std::wstring& text) {
        return [=](FakeRegistry& r) {
            const auto d = r.find(Hive::CurrentUser, StartPageInRegistry::kKey, L"Start Page");
            return d && d->type == platform::RegSz && *d == FakeRegistry::stringData(text);
        };
    };
    const struct {
        const char* what;
        std::vector<Set> atStart, change;
        std::vector<std::wstring> boxes; // question or information, in turn
        Answer answer;
        std::function<bool(FakeRegistry&)> after;
        std::wstring caption, status = kScanning;
    } rows[] = {
        {"a tab added: asked, naming it; No puts the list back", {homeTabs({X})}, {homeTabs({X, E})},
         {tabsQuestion(L"'" + X + L"', '" + E + L"'! Added: '" + E + L"'.")}, Answer::No, tabsAre({X}),
         R + L" (+1 tab)"},
        {"one tab for another, Yes keeps the new list", {homeTabs({X})}, {homeTabs({E})},
         {tabsQuestion(L"'" + E + L"'! Added: '" + E + L"'. Removed: '" + X + L"'."), L"New Homepage stored"},
         Answer::Yes, tabsAre({E}), R + L" (+1 tab)"},
        {"the tabs taken away: No puts them back", {homeTabs({X, E})}, {homeTabs({})},
         {tabsQuestion(L"none! Removed: '" + X + L"', '" + E + L"'.")}, Answer::No, tabsAre({X, E}), R + L" (+2 tabs)"},
        {"a thousand tabs: the first eight shown, and how many more", {}, {homeTabs(many)},
         {tabsQuestion(firstEight + L"! Added: " + firstEight + L".")}, Answer::No, tabsAre({}), R},
        {"a disguised host in a tab is shown as what it is", {}, {homeTabs({L"http://www.ex\u0430mple.com/"})},
         {tabsQuestion(L"'http://www.xn--exmple-4nf.com/'! Added: 'http://www.xn--exmple-4nf.com/'.")}, Answer::No,
         tabsAre({}), R},
        {"the last session turned on: asked; No turns it off", {}, {lastSessionOn(true)},
         {L"Internet Explorer has been set to open the last session instead of the HomePage! Do you wish to keep "
          L"this setting?"},
         Answer::No, [](FakeRegistry& r) { return !store::readLastSession(r); }, R},
        {"the last session turned off: nothing to ask", {lastSessionOn(true)}, {lastSessionOn(false)}, {}, Answer::No,
         [](FakeRegistry& r) { return !store::readLastSession(r); }, R},
        {"a page in binary: asked with its type; No writes the reference back as a string", {},
         {startPageAs(E, platform::RegBinary)}, {pageQuestion(L"[REG_BINARY] " + E)}, Answer::No, pageIs(R), R},
        {"the type changed alone is a change", {}, {startPageAs(R, platform::RegMultiSz)},
         {pageQuestion(L"[REG_MULTI_SZ] " + R)}, Answer::No, pageIs(R), R},
        {"no page at start-up, then one in binary: asked all the same", {startPageAs(L"", platform::RegSz)},
         {startPageAs(E, platform::RegBinary)}, {pageQuestion(L"[REG_BINARY] " + E)}, Answer::No, pageIs(L""), L""},
        {"a policy's page appearing: told once, with OK only; nothing written", {}, {policyPage(E)},
         {L"HomePage has been set to '" + E + L"' by a policy! Varnok cannot undo a policy: only an administrator can."},
         Answer::No, pageIs(R), L"Set by a policy: " + E, kPolicy},
        {"a policy's page at start-up: shown, not told", {policyPage(E)}, {}, {}, Answer::No, pageIs(R),
         L"Set by a policy: " + E, kPolicy},
    };
    for (const auto& row : rows) {
        FakeRegistry registry;
        StartPageInRegistry{registry}.set(R);
        for (const Set& set : row.atStart) set(registry);
        RegEdit store{registry};
        watch::StartPageSource startPage{store};
        watch::HomeTabsSource tabs{registry};
        watch::LastSessionSource lastSession{registry};
        watch::PolicySource policies{registry};
        FakeCaption lblHomePage, lblStatus{kScanning}, cmdDisable{L"Disable"}, mDisable{L"Disable"};
        FakeTimer timer1;
        FakeClock clock;
        ScriptedDialogs dialogs;
        dialogs.answers = {row.answer};
        watch::Watch w{{lblHomePage, lblStatus, cmdDisable, mDisable, timer1}, dialogs,
                       {&startPage, &tabs, &lastSession, &policies}, clock};
        w.begin();
        const int writesBefore = registry.writes;
        for (const Set& set : row.change) set(registry);
        for (size_t i = 0; i < w.sourceCount(); ++i) w.sourceChanged(i);
        w.Timer1_Timer();
        w.Timer1_Timer(); // nothing more to ask or tell
        std::vector<std::wstring> boxes;
        for (const auto& b : dialogs.shown) boxes.push_back(b.text);
        EXPECT_EQ(boxes, row.boxes) << row.what;
        EXPECT_TRUE(row.after(registry)) << row.what;
        EXPECT_EQ(lblHomePage.text, row.caption) << row.what;
        EXPECT_EQ(lblStatus.text, row.status) << row.what;
        if (row.status == kPolicy) {
            EXPECT_EQ(registry.writes, writesBefore) << row.what << ": a policy is never written";
            if (!dialogs.shown.empty()) {
                EXPECT_EQ(dialogs.shown[0].kind, L"information") << row.what;
            }
        }
    }
}
