#pragma once
#include <string>

namespace ui {

// NotAsked: the box could not be shown, or not guarded against stray input,
// so it was not shown at all; nothing was answered.
enum class Answer { Yes, No, NotAsked };

// Modal boxes: each returns only once the user has closed it; the event loop
// goes on delivering ticks and clicks meanwhile.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Yes and No, exclamation icon; No is the default button, so a key
    // pressed by chance as the box appears never accepts a change.
    virtual Answer askYesNo(const std::wstring& text, const std::wstring& title) = 0;
    // Whether a question with this text lies wholly on its screen, buttons
    // included.
    virtual bool questionFits(const std::wstring& text) const = 0;
    // Sets up what the next question needs, without showing it.
    virtual void prepareQuestion() {}
    // OK, information icon.
    virtual void inform(const std::wstring& text, const std::wstring& title) = 0;
    // OK, exclamation icon: something the user asked for did not happen.
    virtual void warn(const std::wstring& text, const std::wstring& title) = 0;
    // The typed text, or the empty text when cancelled.
    virtual std::wstring inputBox(const std::wstring& prompt, const std::wstring& title, const std::wstring& initial) = 0;
};

} // namespace ui
