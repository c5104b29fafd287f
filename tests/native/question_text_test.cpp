#include <gtest/gtest.h>

#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeUi.h"
#include "watch/QuestionText.h"
#include "watch/Watch.h"

using watch::shownInQuestion;

TEST(QuestionTextTest, OrdinaryValuesAreShownExactly) {
    for (const std::wstring& v : std::vector<std::wstring>{L"", L"http://a.example/?q=1&r=2", L"  spaced  ",
                                                           L"http://\u00e9t\u00e9.example/\u4e2d\u6587",
                                                           L"\u05e9\u05dc\u05d5\u05dd.example", L"\U0001F600",
                                                           L"http://www.example.com/a/path/of/sixty/four/chars/x.html",
                                                           L"e\u0301\u0302"}) {
        EXPECT_EQ(shownInQuestion(v), v);
    }
}

TEST(QuestionTextTest, InvisibleAndDirectionChangingCharactersBecomeVisible) {
    const struct {
        std::wstring value, shown;
    } cases[] = {
        {L"http://a.example/\u202Egpj.exe", L"http://a.example/[U+202E]gpj.exe"},
        {L"a\u202Ab\u202Bc\u202Cd\u202De", L"a[U+202A]b[U+202B]c[U+202C]d[U+202D]e"},
        {L"\u2066x\u2067y\u2068z\u2069", L"[U+2066]x[U+2067]y[U+2068]z[U+2069]"},
        {L"go\u200Bogle\u200C\u200D\u200E\u200F", L"go[U+200B]ogle[U+200C][U+200D][U+200E][U+200F]"},
        {L"line\nbreak\ttab\r", L"line[U+000A]break[U+0009]tab[U+000D]"},
        {L"\u0085\u007F\u00AD\uFEFF\u2028", L"[U+0085][U+007F][U+00AD][U+FEFF][U+2028]"},
        {std::wstring(L"nul\0x", 5), L"nul[U+0000]x"},
        {L"Z\u0301\u0302\u0303\u0304", L"Z\u0301\u0302[U+0303][U+0304]"}, // a pile of marks draws over the lines
        {std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x", L"[U+D800]x"},
        {L"x" + std::wstring(1, static_cast<wchar_t>(0xDC00)), L"x[U+DC00]"},
    };
    for (const auto& c : cases) EXPECT_EQ(shownInQuestion(c.value), c.shown);
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
        {"one past the limit", std::wstring(watch::kLongestShown + 1, L'x'), 1},
    };
    for (const auto& c : cases) {
        const std::wstring shown = shownInQuestion(c.value);
        std::wstring unwrapped;
        size_t line = 0;
        for (wchar_t ch : shown) {
            line = ch == L'\n' || ch == L' ' ? 0 : line + 1;
            EXPECT_LE(line, watch::kDisplays[0].run) << c.what;
            if (ch != L'\n') unwrapped += ch;
        }
        EXPECT_LT(unwrapped.size(), watch::kLongestShown + 50) << c.what;
        EXPECT_EQ(unwrapped.find(L"[U+D"), std::wstring::npos) << c.what; // no pair split
        EXPECT_NE(unwrapped.find(L"[... " + (c.leftOut ? std::to_wstring(c.leftOut) : L"") ), std::wstring::npos) << c.what;
    }
    // Escapes stay whole on each side of the cut.
    const std::wstring zw = shownInQuestion(std::wstring(2000, L'\u200B'));
    EXPECT_EQ(zw.substr(0, 8) + zw.substr(zw.size() - 8), L"[U+200B][U+200B]");
}

TEST(QuestionTextTest, LinesBreakWhereAddressesDivideAndTheLastResortIsAscii) {
    const std::wstring path = L"http://" + std::wstring(40, L'a') + L"/" + std::wstring(20, L'b');
    EXPECT_EQ(shownInQuestion(path), L"http://" + std::wstring(40, L'a') + L"/\n" + std::wstring(20, L'b'));
    EXPECT_EQ(shownInQuestion(L"http://\u00e9.example/\uFDFD", watch::kDisplays[2]),
              L"http://\n[U+00E9].example\n/[U+FDFD]");
}

TEST(QuestionTextTest, OnlyTheDisplayChangesNotWhatIsComparedOrWritten) {
    FakeRegistry registry;
    StartPageInRegistry page{registry};
    RegEdit store{registry};
    FakeCaption lblHomePage{L"http://ref.example/"}, lblStatus, cmdDisable{L"Disable"}, mDisable{L"Disable"};
    FakeTimer timer1;
    FakeClock clock;
    ScriptedDialogs dialogs;
    watch::Watch w{{lblHomePage, lblStatus, cmdDisable, mDisable, timer1}, dialogs, store, clock};

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
        clock.at += watch::Rejections::kHeld; // the last No no longer holds
        dialogs.fits = [room](const std::wstring& t) { return t.size() < room; };
        const std::wstring wide = L"http://\u00e9.example/" + std::wstring(1000, L'x');
        page.set(wide);
        w.Timer1_Timer();
        EXPECT_EQ(dialogs.shown.back().text, L"HomePage has been changed to '" +
                                                  shownInQuestion(wide, watch::kDisplays[display]) +
                                                  L"'! Do you wish to keep this setting?");
    }
}
