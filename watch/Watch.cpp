#include "watch/Watch.h"

#include <algorithm>

#include "watch/RegistrySources.h"

namespace watch {

Watch::Watch(WatchControls controls, ui::Dialogs& dialogs, std::vector<Source*> sources, const platform::Clock& clock)
    : c_(controls), dialogs_(dialogs), sources_(std::move(sources)), clock_(clock), state_(sources_.size()),
      due_(sources_.size()) {
    startPage_ = find(Source::Role::StartPage);
    if (startPage_ < sources_.size()) state_.watched[startPage_].reference = c_.lblHomePage.caption();
}

size_t Watch::find(Source::Role role) const {
    for (size_t i = 0; i < sources_.size(); ++i) {
        if (sources_[i]->role() == role) return i;
    }
    return sources_.size();
}

void Watch::begin() {
    for (size_t i = 0; i < sources_.size(); ++i) {
        dispatch({Event::Begin, sources_[i]->read(), i, sources_[i]->tellsOnly() ? Treatment::Tell : Treatment::Ask});
    }
}

void Watch::Timer1_Timer() {
    if (startPage_ < due_.size()) due_[startPage_] = true;
    // A source stays due until it is read: a tick that comes while a box is
    // open is dropped, and the source is read at the next.
    for (size_t i = 0; i < due_.size(); ++i) {
        if (due_[i]) dispatch({Event::Tick, {}, i});
    }
}

// A box opened by an action runs the event loop, which may deliver further
// events meanwhile: each is dealt with at once, against the state as it is
// then. The box's outcome is the next event.
void Watch::dispatch(Event event) {
    for (std::optional<Event> pending = std::move(event); pending;) {
        Step step = next(std::move(state_), *pending, clock_.now());
        state_ = std::move(step.state);
        pending.reset();
        if (startPage_ < sources_.size()) {
            const std::wstring& page = state_.watched[startPage_].reference;
            if (!page.empty() && std::find(known_.begin(), known_.end(), page) == known_.end()) known_.push_back(page);
        }
        if (const std::wstring status = statusOf(state_); c_.lblStatus.caption() != status) c_.lblStatus.setCaption(status);
        for (const Action& a : step.actions) {
            if (auto outcome = perform(a)) pending = std::move(outcome);
        }
    }
}

std::optional<Event> Watch::perform(const Action& a) {
    Source& source = *sources_[a.source];
    switch (a.kind) {
    case Action::ReadValue: {
        due_[a.source] = false;
        std::wstring value = source.read();
        const std::wstring& reference = state_.watched[a.source].reference;
        const Treatment treatment = value == reference ? Treatment::Ask : source.treatment(reference, value);
        return Event{Event::Read, std::move(value), a.source, treatment};
    }
    case Action::Ask:
        // The question shows the value this tick read, and Yes accepts
        // exactly that value: a later change is asked about at the next tick.
        switch (dialogs_.askYesNo(questionAbout(a.source, a.text), L"Warning!")) {
        case ui::Answer::Yes: return Event{Event::Yes};
        case ui::Answer::NotAsked: return Event{Event::NotAsked};
        case ui::Answer::No: break;
        }
        return Event{Event::No};
    case Action::Restore: {
        // Read back through the path: a refused write, or the replaced value
        // still there (a write that changed nothing, or was undone before it
        // could be read), is no restore. Any other value there means the
        // write took and a new change followed it, which its own signal reports.
        const bool took = source.write(state_.watched[a.source].reference) && source.readAfresh() != a.text;
        return Event{took ? Event::Restored : Event::NotRestored, a.text, a.source};
    }
    case Action::Confirm:
        dialogs_.inform(L"New Homepage stored", L"HomePage stored");
        return Event{Event::Told};
    case Action::StoreChange: {
        // Read back as a restore is: a refused write leaves the old page.
        const bool took = source.write(a.text) && source.readAfresh() == a.text;
        return Event{took ? Event::ChangeStored : Event::ChangeRefused, a.text};
    }
    case Action::TellRefused:
        dialogs_.warn(L"The new HomePage could not be stored. The HomePage is still the one shown.",
                      L"HomePage not stored");
        return Event{Event::Told};
    case Action::Tell:
        dialogs_.inform(questionAbout(a.source, a.text), L"Warning!");
        return Event{Event::Told};
    case Action::InputBox:
        return Event{Event::ChangeEnded, dialogs_.inputBox(L"Enter a new HomePage for Microsoft Internet Explorer",
                                                           L"New HomePage", L"http://www.")};
    case Action::Write: source.write(a.text); break;
    case Action::ShowReference: showReference(); break;
    case Action::Suspend: showSwitch(false); break;
    case Action::Resume: showSwitch(true); break;
    case Action::RequestTick:
        std::fill(due_.begin(), due_.end(), true);
        c_.Timer1.requestTick();
        break;
    case Action::WakeAt:
        due_[a.source] = true;
        c_.Timer1.requestTickAfter(std::max(a.at - clock_.now(), Time{1}));
        break;
    }
    return std::nullopt;
}

void Watch::showSwitch(bool watching) {
    c_.Timer1.setEnabled(watching);
    c_.cmdDisable.setCaption(watching ? L"Disable" : L"Enable");
    c_.mDisable.setCaption(watching ? L"Disable" : L"Enable");
}

// The page that opens: the start page with its further tabs, or what a
// policy forces in its place.
void Watch::showReference() {
    const auto reference = [&](Source::Role role) {
        const size_t i = find(role);
        return i < sources_.size() ? state_.watched[i].reference : std::wstring{};
    };
    c_.lblHomePage.setCaption(openingCaption(reference(Source::Role::StartPage), reference(Source::Role::HomeTabs),
                                             reference(Source::Role::Policies)));
}

// The question with the fullest display of the value that still fits on
// the screen, buttons and all: a box that reaches past the screen could be
// answered only blind, by the keyboard.
std::wstring Watch::questionAbout(size_t source, const std::wstring& value) const {
    std::wstring text;
    for (question::Display d : question::kDisplays) {
        d.known = &known_;
        text = sources_[source]->question(state_.watched[source].reference, value, d);
        if (dialogs_.questionFits(text)) break;
    }
    return text;
}

} // namespace watch
