#include "question/ShortcutText.h"

namespace question {
namespace {

using platform::ShortcutPlace;

// A program that writes a hundred shortcuts gets a question that names a few.
constexpr size_t kMostNamed = 3;

const wchar_t* placeOf(ShortcutPlace p) {
    switch (p) {
    case ShortcutPlace::Desktop: return L"on the Desktop";
    case ShortcutPlace::StartMenu: return L"in the Start menu";
    case ShortcutPlace::TaskBar: return L"pinned to the taskbar";
    case ShortcutPlace::SharedDesktop: return L"on the Desktop of all users";
    case ShortcutPlace::SharedStartMenu: return L"in the Start menu of all users";
    }
    return L"";
}

// "The Internet Explorer shortcut 'name' on the Desktop has been changed to
// open '…'!", or for a new one "A new … shortcut 'name' … opens '…'!".
std::wstring news(const store::ShortcutChange& c, const Display& d) {
    const std::wstring browser =
        store::browserStartedBy(c.now.link.target) == store::Browser::Edge ? L"Microsoft Edge" : L"Internet Explorer";
    const std::wstring what = browser + L" shortcut '" + shownInQuestion(c.now.name, d) + L"' " + placeOf(c.now.place);
    const std::wstring opens = L"'" + shownInQuestion(c.now.link.arguments, d) + L"'!";
    return c.before ? L"The " + what + L" has been changed to open " + opens : L"A new " + what + L" opens " + opens;
}

std::wstring allNews(const std::vector<store::ShortcutChange>& changes, const Display& d) {
    std::wstring text;
    for (size_t i = 0; i < changes.size() && i < kMostNamed; ++i) text += (i ? L"\n" : L"") + news(changes[i], d);
    if (changes.size() > kMostNamed) {
        text += L"\nAnd " + std::to_wstring(changes.size() - kMostNamed) + L" more shortcuts like these!";
    }
    return text;
}

} // namespace

std::wstring shortcutQuestion(const std::vector<store::ShortcutChange>& changes, const Display& display) {
    return allNews(changes, display) + L" Do you wish to keep this setting?";
}

std::wstring shortcutNotice(const std::vector<store::ShortcutChange>& changes, const Display& display) {
    return allNews(changes, display) + L" Only an administrator can undo this.";
}

} // namespace question
