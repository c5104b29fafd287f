#include <gtest/gtest.h>

#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeUi.h"
#include "tests/native/question_disguises.h"
#include "question/QuestionText.h"
#include "store/RegEdit.h"
#include "watch/RegistrySources.h"
#include "watch/Watch.h"

using question::shownInQuestion;

TEST(QuestionTextTest, OrdinaryValuesAreShownExactly) {
    for (const std::wstring& v : std::vector<std::wstring>{
             L"", L"http://a.example/?q=1&r=2", L"  spaced  ", L"http://\u00e9t\u00e9.example/\u4e2d\u6587", L"\U0001F600",
             L"http://www.example.com/a/path/of/sixty/four/chars/x.html", L"e\u0301\u0302",
             // Addresses wholly in one script that imitates no other, and letters beyond ASCII in paths.
             L"http://\u043f\u0440\u0438\u043c\u0435\u0440.\u0440\u0444/", L"http://www.b\u00fccher.de/",
             L"C:\\Users\\J\u00fcrgen\\start.htm", L"http://\u043f\u0440\u0438\u043c\u0435\u0440.com/",
             L"http://\u0430\u0440\u0440\u04cf\u0435.ru/", L"http://m\u00fcnchen.de/\u0430\u0440\u0440\u04cf\u0435",
             L"https://\u65e5\u672c\u8a9e\u306e\u30b5\u30a4\u30c8.jp/", L"http://www.example.com@evil.example/",
             L"http://xn--exmple-4nf.com/", L"HTTP://WWW.EXAMPLE.COM./", L"HTTP://WWW.B\u00dcCHER.DE:8080/",
             // A top-level label wholly in lookalikes, where the host shows its script.
             L"http://\u043f\u0440\u0438\u043c\u0435\u0440.\u0431\u0433/"}) {
        EXPECT_EQ(shownInQuestion(v), v);
    }
}

TEST(QuestionTextTest, DisguisesAreShownForWhatTheyAre) {
    for (const Disguise& c : kDisguises) EXPECT_EQ(shownInQuestion(c.value), c.shown);
}

static std::wstring repeated(const std::wstring& s, size_t n) {
    std::wstring out;
    while (n--) out += s;
    return out;
}

// Whatever the value, the display is bounded after escaping, and no line
// runs on without a place to wrap.
TEST(QuestionTextTest, LongValuesShowBeginningEndAndWhatWasLeftOut) {
    std::wstring emoji(255, L'a');
    emoji += L"\U0001F600" + std::wstring(5000, L'b'); // a surrogate pair where a cut could fall
    const struct {
        const char* what;
        std::wstring value;
        size_t leftOut;
    } cases[] = {
        {"a mebibyte", L"BEGIN" + std::wstring(1 << 20, L'm') + L"END", (1u << 20) + 8 - 512},
        {"zero-width spaces", std::wstring(2000, L'\u200B'), 2000 - 2 * 32},
        {"an address without spaces", L"http://a.example/" + std::wstring(2000, L'q'), 2017 - 512},
        {"a cut by a surrogate pair", emoji, 0},
        {"one past the limit", std::wstring(question::kLongestShown + 1, L'x'), 1},
        {"characters, not UTF-16 units", L"http://a.example/" + repeated({L'\xD83D', L'\xDE00'}, 2000), 2000 - 119 - 128},
    };
    for (const auto& c : cases) {
        const std::wstring shown = shownInQuestion(c.value);
        std::wstring unwrapped;
        size_t line = 0;
        for (wchar_t ch : shown) {
            line = ch == L'\n' || ch == L' ' ? 0 : line + 1;
            EXPECT_LE(line, question::kDisplays[0].run) << c.what;
            if (ch != L'\n') unwrapped += ch;
        }
        EXPECT_LT(unwrapped.size(), question::kLongestShown + 50) << c.what;
        EXPECT_EQ(unwrapped.find(L"[U+D"), std::wstring::npos) << c.what; // no pair split
        EXPECT_NE(unwrapped.find(L"[... " + (c.leftOut ? std::to_wstring(c.leftOut) : L"") ), std::wstring::npos) << c.what;
    }
    // Escapes stay whole on each side of the cut.
    const std::wstring zw = shownInQuestion(std::wstring(2000, L'\u200B'));
    EXPECT_EQ(zw.substr(0, 8) + zw.substr(zw.size() - 8), L"[U+200B][U+200B]");
}

// The cut falls in the path: the scheme, user name and host are shown whole,
// or, where they cannot be, the question says so.
TEST(QuestionTextTest, TheHostIsNeverCut) {
    const std::wstring hidden = L"http://www.example.com" + std::wstring(300, L'a') + L"@evil.example/" +
                                std::wstring(300, L'b') + L"/www.example.com/";
    std::wstring shown = shownInQuestion(hidden);
    std::erase(shown, L'\n');
    EXPECT_EQ(shown.find(hidden.substr(0, hidden.find(L'/', 8))), 0u);
    EXPECT_NE(shown.find(L"characters left out"), std::wstring::npos);
    EXPECT_EQ(shownInQuestion(hidden, question::kDisplays[1]), L"[the host is too long to show: 335 characters before the path]");
}

TEST(QuestionTextTest, LinesBreakWhereAddressesDivideAndTheLastResortIsAscii) {
    const std::wstring path = L"http://" + std::wstring(40, L'a') + L"/" + std::wstring(20, L'b');
    EXPECT_EQ(shownInQuestion(path), L"http://" + std::wstring(40, L'a') + L"/\n" + std::wstring(20, L'b'));
    // In the host, after a dot or slash, never inside a label.
    EXPECT_EQ(shownInQuestion(L"http://\u00e9.example/\uFDFD", question::kDisplays[2]), L"http://xn--9ca.\nexample/[U+FDFD]");
    EXPECT_EQ(shownInQuestion(L"http://b\u00fccher.de/", question::kDisplays[2]), L"http://\nxn--bcher-kva.\nde/");
    const std::wstring a(20, L'a'), b(20, L'b');
    EXPECT_EQ(shownInQuestion(L"http://" + a + L"." + b + L".example/", question::kDisplays[1]),
              L"http://" + a + L".\n" + b + L".example/");
    // A letter and its marks stay on one line.
    EXPECT_EQ(shownInQuestion(std::wstring(63, L'a') + L"e\u0301"), std::wstring(63, L'a') + L"\ne\u0301");
}

TEST(QuestionTextTest, OnlyTheDisplayChangesNotWhatIsComparedOrWritten) {
    FakeRegistry registry;
    StartPageInRegistry page{registry};
    RegEdit store{registry};
    watch::StartPageSource startPage{store};
    FakeCaption lblHomePage{L"http://ref.example/"}, lblStatus, cmdDisable{L"Disable"}, mDisable{L"Disable"};
    FakeTimer timer1;
    FakeClock clock;
    ScriptedDialogs dialogs;
    watch::Watch w{{lblHomePage, lblStatus, cmdDisable, mDisable, timer1}, dialogs, {&startPage}, clock};

    const std::wstring hostile = L"http://ref.example/\u202E" + std::wstring(5000, L'z');
    page.set(hostile);
    dialogs.answers = {ui::Answer::Yes};
    w.Timer1_Timer();
    ASSERT_EQ(dialogs.questions(), 1u);
    EXPECT_EQ(dialogs.shown[0].text.find(L'\u202E'), std::wstring::npos);
    EXPECT_EQ(lblHomePage.text, hostile) << "Yes takes the whole value as stored";
    w.Timer1_Timer();
    EXPECT_EQ(dialogs.questions(), 1u);

    page.set(hostile + L"!");
    dialogs.answers = {ui::Answer::No};
    w.Timer1_Timer();
    EXPECT_EQ(store.ReadStartPage(StartPageKey), hostile) << "No writes the whole reference back";

    // A screen too small for the full display gets a shorter one, and one
    // on which nothing fits the shortest.
    for (const auto& screen : {std::pair<size_t, int>{300, 1}, {0, 2}}) {
        const size_t room = screen.first;
        const int display = screen.second;
        clock.at += watch::kMinute; // the last No no longer holds
        dialogs.fits = [room](const std::wstring& t) { return t.size() < room; };
        const std::wstring wide = L"http://\u00e9.example/" + std::wstring(1000, L'x');
        page.set(wide);
        w.Timer1_Timer();
        EXPECT_EQ(dialogs.shown.back().text, L"HomePage has been changed to '" +
                                                  shownInQuestion(wide, question::kDisplays[display]) +
                                                  L"'! Do you wish to keep this setting?");
    }
}

// The page at start-up, and each accepted or set with Change, are the pages
// a lookalike host is measured against.
TEST(QuestionTextTest, AHostThatReadsAsAPageOfThisRunShowsInAsciiForm) {
    FakeRegistry registry;
    StartPageInRegistry page{registry};
    RegEdit store{registry};
    FakeCaption lblHomePage{L"http://ref.example/"}, lblStatus, cmdDisable{L"Disable"}, mDisable{L"Disable"};
    FakeTimer timer1;
    FakeClock clock;
    ScriptedDialogs dialogs;
    dialogs.typed = L"http://set.example/";
    watch::StartPageSource source{store};
    watch::Watch w{{lblHomePage, lblStatus, cmdDisable, mDisable, timer1}, dialogs, {&source}, clock};
    const auto asked = [&](const std::wstring& value, ui::Answer answer) {
        clock.at += watch::kMinute;
        page.set(value);
        dialogs.answers = {answer};
        w.Timer1_Timer();
        return dialogs.shown.back().text;
    };
    EXPECT_NE(asked(L"http://r\u00e9f.example/", ui::Answer::No).find(L"'http://xn--rf-bja.example/'"), std::wstring::npos);
    asked(L"http://www.example.com/", ui::Answer::Yes);
    w.cmdChange_Click();
    for (const auto& [value, shown] : {std::pair{L"http://www.ex\u0227mple.com/", L"'http://www.xn--exmple-xoc.com/'"},
                                       {L"http://r\u00e9f.example/", L"'http://xn--rf-bja.example/'"},
                                       {L"http://s\u00e9t.example/", L"'http://xn--st-bja.example/'"},
                                       {L"http://s\u00e9t.example.org/", L"'http://s\u00e9t.example.org/'"}}) {
        const std::wstring text = asked(value, ui::Answer::No);
        EXPECT_NE(text.find(shown), std::wstring::npos) << std::string(text.begin(), text.end());
    }
}
