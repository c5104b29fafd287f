#pragma once
#include <string>

#include "store/Shortcuts.h"
#include "watch/QuestionText.h"

namespace watch {

// The question about a browser's shortcut that opens something new, in the
// start page's voice: the shortcut's name and what it now opens, each shown
// as a start page is, so that neither can pass for the question's words.
std::wstring shortcutQuestion(const store::ShortcutChange& change, const Display& display = kDisplays[0]);

// The same news about a shortcut of all users, which Varnok cannot put
// back: told, with OK alone.
std::wstring shortcutNotice(const store::ShortcutChange& change, const Display& display = kDisplays[0]);

} // namespace watch
