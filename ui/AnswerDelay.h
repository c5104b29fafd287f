#pragma once
#include <chrono>
#include <optional>

namespace ui {

// When a question may be answered: once it has been the foreground window
// for the delay without a break. A key or click meant for another window,
// arriving as the question comes to the front, lands while it is still
// inert; so does one as it comes back after the user went elsewhere.
class AnswerDelay {
public:
    using Time = std::chrono::milliseconds;
    static constexpr Time kDelay{500};

    enum class Seen {
        Behind,         // another window is the foreground
        InFront,        // the question is the foreground, maybe for a while
        BroughtToFront, // the system reports it has just become the foreground
    };

    void see(Seen seen, Time now) {
        if (seen == Seen::Behind) {
            inFrontSince_.reset();
        } else if (seen == Seen::BroughtToFront || !inFrontSince_) {
            inFrontSince_ = now;
        }
    }
    bool answerable(Time now) const { return inFrontSince_ && now - *inFrontSince_ >= kDelay; }
    // How long until time alone makes it answerable; nothing while it is
    // behind, or answerable already.
    std::optional<Time> left(Time now) const {
        if (!inFrontSince_ || answerable(now)) return std::nullopt;
        return *inFrontSince_ + kDelay - now;
    }

private:
    std::optional<Time> inFrontSince_;
};

} // namespace ui
