#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "ui/Caption.h"
#include "ui/Dialogs.h"
#include "ui/Timer.h"
#include "watch/Source.h"
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

// Compares each source's reference with its value whenever the source may
// have changed, and asks the user about any difference; also the watching
// toggle and the Change command. What each event does is decided by `next`
// (WatchState.h); this class reads and writes the sources, opens the boxes,
// sets the captions and the timer, and hands every outcome back as the next
// event.
class Watch {
public:
    // The sources in the order they are dealt with: the first whose role
    // is StartPage is the one the Change box writes. The reference is what
    // the label shows until begin() sets one.
    Watch(WatchControls controls, ui::Dialogs& dialogs, std::vector<Source*> sources, const platform::Clock& clock);

    // Every source's value as found now becomes its reference.
    void begin();
    // Reads the start page (the regular tick reads it for real, whatever
    // reported it) and every source whose change signal came since.
    void Timer1_Timer();
    // A change signal of this source: it is read at the next tick.
    void sourceChanged(size_t source) { due_[source] = true; }
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
        if (startPage_ < sources_.size()) questionAbout(startPage_, L"http://www.example.com/");
        dialogs_.prepareQuestion();
    }

    bool asking() const { return state_.in<phase::Asking>() || state_.in<phase::Telling>(); }
    // Whether a change signal of this source would be acted on now.
    bool wantsChangeSignals(size_t source) const { return listening(state_, source, clock_.now()); }
    size_t sourceCount() const { return sources_.size(); }

private:
    void dispatch(Event event);
    std::optional<Event> perform(const Action& action);
    std::wstring questionAbout(size_t source, const std::wstring& value) const;
    void showSwitch(bool watching);
    void showReference();
    size_t find(Source::Role role) const;

    WatchControls c_;
    ui::Dialogs& dialogs_;
    std::vector<Source*> sources_;
    const platform::Clock& clock_;
    size_t startPage_;
    State state_;
    // Every page held as the reference in this run: the one at start-up,
    // and each accepted or set with Change. The question names a page that
    // reads as one of them but is not.
    std::vector<std::wstring> known_;
    // Sources with a change signal not yet followed by a read.
    std::vector<bool> due_;
};

} // namespace watch
