#pragma once
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "store/RegEdit.h"
#include "ui/Caption.h"
#include "ui/Dialogs.h"
#include "ui/Timer.h"
#include "watch/WatchState.h"

namespace watch {

// The controls whose captions show the watch's state.
struct WatchControls {
    ui::Caption& lblHomePage; // the reference home page
    ui::Caption& lblStatus;
    ui::Caption& cmdDisable; // "Disable" while watching, "Enable" while suspended
    ui::Caption& mDisable;   // mirrors cmdDisable
    ui::Timer& Timer1;
};

// Compares the reference with the store on every tick and asks the user
// about any difference; also the watching toggle and the Change command.
// What each event does is decided by `next` (WatchState.h); this class reads
// the store, opens the boxes, writes, sets the captions and the timer, and
// hands every outcome back as the next event.
class Watch {
public:
    // The reference is what the label shows until begin() sets one.
    Watch(WatchControls controls, ui::Dialogs& dialogs, const RegEdit& store, const platform::Clock& clock)
        : c_(controls), dialogs_(dialogs), store_(store), clock_(clock) {
        state_.reference = c_.lblHomePage.caption();
    }

    void begin(const std::wstring& reference) { dispatch({Event::Begin, reference}); }
    void Timer1_Timer() { dispatch({Event::Tick}); }
    void cmdDisable_Click() { dispatch({Event::Toggle}); }
    void mDisable_Click() { cmdDisable_Click(); }
    // The user's own new start page: written and made the reference in one
    // step, so no tick can take it for a foreign change.
    void cmdChange_Click() { dispatch({Event::ChangeBegun}); }
    // Exit, the end of the session, or an installer closing Varnok. An
    // open question counts as answered No, and so does any value that may
    // stand unasked (a box was open, a held value waits, or a page was
    // written since the last read, which a last read finds): the reference
    // is written back now. Nothing else is written, and no tick runs after it.
    void sessionEnding() { dispatch({Event::SessionEnd}); }

    // Runs the question's path once without showing it (its display of a
    // page, its measuring, the guard's set-up), so that the first question
    // costs what later ones do.
    void prepareQuestion() {
        questionAbout(L"http://www.example.com/");
        dialogs_.prepareQuestion();
    }

    bool asking() const { return state_.in<phase::Asking>() || state_.in<phase::Telling>(); }
    bool wantsChangeSignals() const { return listening(state_, clock_.now()); }

private:
    void dispatch(Event event);
    std::optional<Event> perform(const Action& action);
    std::wstring questionAbout(const std::wstring& value) const;
    void showSwitch(bool watching);

    WatchControls c_;
    ui::Dialogs& dialogs_;
    const RegEdit& store_;
    const platform::Clock& clock_;
    State state_;
};

} // namespace watch
