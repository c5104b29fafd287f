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
                                                           std::wstring(watch::kLongestShown, L'x')}) {
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
        {std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x", L"[U+D800]x"},
        {L"x" + std::wstring(1, static_cast<wchar_t>(0xDC00)), L"x[U+DC00]"},
    };
    for (const auto& c : cases) EXPECT_EQ(shownInQuestion(c.value), c.shown);
}

TEST(QuestionTextTest, LongValuesShowBeginningEndAndWhatWasLeftOut) {
    std::wstring v = L"BEGIN" + std::wstring(1 << 20, L'm') + L"END";
    const std::wstring shown = shownInQuestion(v);
    EXPECT_LT(shown.size(), 2100u);
    EXPECT_EQ(shown.substr(0, 5), L"BEGIN");
    EXPECT_EQ(shown.substr(shown.size() - 3), L"END");
    EXPECT_NE(shown.find(L"[... " + std::to_wstring(v.size() - 2000) + L" characters left out ...]"), std::wstring::npos);
    // One past the limit is already shortened.
    EXPECT_NE(shownInQuestion(std::wstring(watch::kLongestShown + 1, L'x')).find(L"left out"), std::wstring::npos);
}

TEST(QuestionTextTest, TheCutNeverSplitsACharacter) {
    // A surrogate pair straddling the cut stays whole on one side.
    std::wstring v(999, L'a');
    v += L"\U0001F600";
    v += std::wstring(5000, L'b');
    const std::wstring shown = shownInQuestion(v);
    EXPECT_EQ(shown.find(L"[U+D"), std::wstring::npos);
}

TEST(QuestionTextTest, OnlyTheDisplayChangesNotWhatIsComparedOrWritten) {
    FakeRegistry registry;
    StartPageInRegistry page{registry};
    RegEdit store{registry};
    FakeCaption lblHomePage{L"http://ref.example/"}, lblStatus, cmdDisable{L"Disable"}, mDisable{L"Disable"};
    FakeTimer timer1;
    ScriptedDialogs dialogs;
    watch::Watch w{{lblHomePage, lblStatus, cmdDisable, mDisable, timer1}, dialogs, store};

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
}
