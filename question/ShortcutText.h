#pragma once
#include <string>
#include <vector>

#include "store/Shortcuts.h"
#include "question/QuestionText.h"

namespace question {

// The question about browser shortcuts that open something new, in the
// start page's voice: each shortcut's name and what it now opens, each shown
// as a start page is, so that neither can pass for the question's words.
std::wstring shortcutQuestion(const std::vector<store::ShortcutChange>& changes, const Display& display = kDisplays[0]);

// The same news about shortcuts of all users, which Varnok cannot put back:
// told, with OK alone.
std::wstring shortcutNotice(const std::vector<store::ShortcutChange>& changes, const Display& display = kDisplays[0]);

} // namespace question
