#pragma once
#include <algorithm>
#include <chrono>
#include <optional>

namespace ui {

// When a question may be answered: once it has been the foreground window
// for half a second without a break, and half a second has passed without a
// key or a mouse button. A key or click meant for another window, arriving
// as the question comes to the front, lands while it is still inert; so does
// one as it comes back after the user went elsewhere, and so does typing that
// runs on into the box: each key while inert starts the quiet wait again, so
// only a user who stops (and so reads) can answer. Browsers count only the
// time in front (a prompt's delay from its focus); a pause in the input is
// what tells a deliberate key from one typed on, as browsers take a repeated
// click for an unintended one.
class AnswerDelay {
public:
    using Time = std::chrono::milliseconds;
    static constexpr Time kDelay{500}, kQuiet{500};

    enum class Seen {
        Behind,         // another window is the foreground, or the session is locked
        InFront,        // the question is the foreground, maybe for a while
        BroughtToFront, // the system reports it has just become the foreground, or the session unlocked
    };

    void see(Seen seen, Time now) {
        if (seen == Seen::Behind) {
            inFrontSince_.reset();
        } else if (seen == Seen::BroughtToFront || !inFrontSince_) {
            inFrontSince_ = now;
        }
    }
    // A key or a mouse button, wherever it goes. Once answerable, input is
    // how the user answers.
    void input(Time now) {
        if (!answerable(now)) lastInput_ = now;
    }
    bool answerable(Time now) const { return inFrontSince_ && !left(now); }
    // How long until time alone makes it answerable; nothing while it is
    // behind, or answerable already.
    std::optional<Time> left(Time now) const {
        if (!inFrontSince_) return std::nullopt;
        Time until = *inFrontSince_ + kDelay;
        if (lastInput_) until = std::max(until, *lastInput_ + kQuiet);
        if (now >= until) return std::nullopt;
        return until - now;
    }

private:
    std::optional<Time> inFrontSince_, lastInput_;
};

} // namespace ui
