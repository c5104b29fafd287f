#include "watch/Watch.h"

#include <algorithm>

#include "question/QuestionText.h"

namespace watch {

// A box opened by an action runs the event loop, which may deliver further
// events meanwhile: each is dealt with at once, against the state as it is
// then. The box's outcome is the next event.
void Watch::dispatch(Event event) {
    for (std::optional<Event> pending = std::move(event); pending;) {
        Step step = next(std::move(state_), *pending, clock_.now());
        state_ = std::move(step.state);
        pending.reset();
        if (const std::wstring status = statusOf(state_); c_.lblStatus.caption() != status) c_.lblStatus.setCaption(status);
        for (const Action& a : step.actions) {
            if (auto outcome = perform(a)) pending = std::move(outcome);
        }
    }
}

std::optional<Event> Watch::perform(const Action& a) {
    switch (a.kind) {
    case Action::ReadValue: return Event{Event::Read, store_.ReadStartPage(StartPageKey)};
    case Action::Ask:
        // The question shows the value this tick read, and Yes accepts
        // exactly that value: a later change is asked about at the next tick.
        return Event{dialogs_.askYesNo(questionAbout(a.text), L"Warning!") == ui::Answer::Yes ? Event::Yes : Event::No};
    case Action::Restore: {
        // Read back through the path: a refused write, or the replaced value
        // still there (a write that changed nothing, or was undone before it
        // could be read), is no restore. Any other value there means the
        // write took and a new change followed it, which its own signal reports.
        const bool took = store_.WriteStartPage(StartPageKey, state_.reference) &&
                          store_.ReadStartPageAfresh(StartPageKey) != a.text;
        return Event{took ? Event::Restored : Event::NotRestored, a.text};
    }
    case Action::Confirm:
        dialogs_.inform(L"New Homepage stored", L"HomePage stored");
        return Event{Event::Confirmed};
    case Action::InputBox:
        return Event{Event::ChangeEnded, dialogs_.inputBox(L"Enter a new HomePage for Microsoft Internet Explorer",
                                                           L"New HomePage", L"http://www.")};
    case Action::Write: store_.WriteStartPage(StartPageKey, a.text); break;
    case Action::ShowReference: c_.lblHomePage.setCaption(a.text); break;
    case Action::Suspend: showSwitch(false); break;
    case Action::Resume: showSwitch(true); break;
    case Action::RequestTick: c_.Timer1.requestTick(); break;
    case Action::WakeAt: c_.Timer1.requestTickAfter(std::max(a.at - clock_.now(), Time{1})); break;
    }
    return std::nullopt;
}

void Watch::showSwitch(bool watching) {
    c_.Timer1.setEnabled(watching);
    c_.cmdDisable.setCaption(watching ? L"Disable" : L"Enable");
    c_.mDisable.setCaption(watching ? L"Disable" : L"Enable");
}

// The question with the fullest display of the value that still fits on
// the screen, buttons and all: a box that reaches past the screen could be
// answered only blind, by the keyboard.
std::wstring Watch::questionAbout(const std::wstring& value) const {
    std::wstring text;
    for (const question::Display& d : question::kDisplays) {
        text = L"HomePage has been changed to '" + question::shownInQuestion(value, d) + L"'! Do you wish to keep this setting?";
        if (dialogs_.questionFits(text)) break;
    }
    return text;
}

} // namespace watch
