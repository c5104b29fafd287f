#include "watch/Watch.h"

#include "ui/ScopedValue.h"
#include "watch/QuestionText.h"

namespace watch {
namespace {

void setIfDifferent(ui::Caption& c, const std::wstring& text) {
    if (c.caption() != text) c.setCaption(text);
}

} // namespace

void Watch::Timer1_Timer() {
    if (asking_ || ended_) return;
    const std::wstring current = store_.ReadStartPage(StartPageKey);
    if (current != c_.lblHomePage.caption()) {
        const ui::ScopedValue asking(asking_, true);
        c_.lblStatus.setCaption(kChanged);
        // The question shows the value this tick read, and Yes accepts exactly
        // that value: a later change is asked about at the next tick.
        const ui::Answer answer = ask(questionAbout(current));
        // The session ended while the question was open: the reference is back.
        if (ended_) return;
        if (answer == ui::Answer::Yes) {
            c_.lblHomePage.setCaption(current);
            dialogs_.inform(L"New Homepage stored", L"HomePage stored");
            c_.Timer1.requestTick();
        } else {
            store_.WriteStartPage(StartPageKey, c_.lblHomePage.caption());
        }
    }
    // Watching may have been suspended while the question was open; the
    // status then stays "Disabled" rather than claiming to scan.
    if (c_.Timer1.enabled()) setIfDifferent(c_.lblStatus, kScanning);
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
    const std::wstring typed = dialogs_.inputBox(L"Enter a new HomePage for Microsoft Internet Explorer",
                                                 L"New HomePage", L"http://www.");
    if (typed.empty()) return;
    store_.WriteStartPage(StartPageKey, typed);
    c_.lblHomePage.setCaption(typed);
    // A write that did not take must be found now, not at the next tick.
    c_.Timer1.requestTick();
}

void Watch::cmdDisable_Click() {
    if (c_.cmdDisable.caption() == L"Disable") {
        c_.Timer1.setEnabled(false);
        c_.lblStatus.setCaption(kDisabled);
        c_.cmdDisable.setCaption(L"Enable");
        c_.mDisable.setCaption(L"Enable");
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
