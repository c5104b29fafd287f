#pragma once
// One thing that decides what Internet Explorer opens at its start, as the
// watch sees it: its whole value as one text, compared exactly, read and put
// back through the store. The watch keeps a reference for each source and
// applies the same rules to all of them (WatchState.h); a source only knows
// its value and how to speak of it.
#include <string>

#include "question/QuestionText.h"
#include "watch/WatchState.h"

namespace watch {

// Every source shows its values as the question shows a start page.
using question::Display;
using question::kDisplays;
using question::shownInQuestion;

class Source {
public:
    // What the main window makes of a source's reference, beside the rest.
    enum class Role {
        StartPage, // shown as the page; written by the Change box
        HomeTabs,  // counted beside it
        Policies,  // shown in its place when it forces anything
        Other,
    };

    virtual ~Source() = default;
    // The value as it stands. A failure reads as a value of its own (the
    // empty text for a value that is missing), never as an exception.
    virtual std::wstring read() = 0;
    // Through the path, not a handle kept open from the last read: what a
    // write to the path left there.
    virtual std::wstring readAfresh() { return read(); }
    // Puts a value back; false when refused. Never asked of a source that tells.
    virtual bool write(const std::wstring& value) = 0;
    virtual Role role() const { return Role::Other; }
    // A source that is only ever told about (a policy): never written.
    virtual bool tellsOnly() const { return false; }
    // How a value other than the reference is dealt with (WatchState.h).
    virtual Treatment treatment(const std::wstring& reference, const std::wstring& value) const {
        (void)reference, (void)value;
        return Treatment::Ask;
    }
    // The question (or, for Tell, the message) about a new value, every
    // address in it shown at this display.
    virtual std::wstring question(const std::wstring& reference, const std::wstring& value,
                                  const Display& display) const = 0;
};

} // namespace watch
