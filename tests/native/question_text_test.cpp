#include <gtest/gtest.h>

#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeUi.h"
#include "watch/QuestionText.h"
#include "watch/Watch.h"

using watch::shownInQuestion;

TEST(QuestionTextTest, OrdinaryValuesAreShownExactly) {
    for (const std::wstring& v : std::vector<std::wstring>{
             L"", L"http://a.example/?q=1&r=2", L"  spaced  ", L"http://\u00e9t\u00e9.example/\u4e2d\u6587", L"\U0001F600",
             L"http://www.example.com/a/path/of/sixty/four/chars/x.html", L"e\u0301\u0302",
             // Addresses wholly in one script that imitates no other, and letters beyond ASCII in paths.
             L"http://\u043f\u0440\u0438\u043c\u0435\u0440.\u0440\u0444/", L"http://www.b\u00fccher.de/",
             L"C:\\Users\\J\u00fcrgen\\start.htm", L"http://\u043f\u0440\u0438\u043c\u0435\u0440.com/",
             L"http://\u0430\u0440\u0440\u04cf\u0435.ru/", L"http://stra\u00dfe.de/\u0430\u0440\u0440\u04cf\u0435",
             L"https://\u65e5\u672c\u8a9e\u306e\u30b5\u30a4\u30c8.jp/", L"http://www.example.com@evil.example/",
             L"http://xn--exmple-4nf.com/", L"HTTP://WWW.EXAMPLE.COM./"}) {
        EXPECT_EQ(shownInQuestion(v), v);
    }
}

// What could pass for something else is shown for what it is. Host labels
// that could pass for another show as browsers show them then, in their
// ASCII form; what decides is the host, however the value writes the address
// around it.
TEST(QuestionTextTest, DisguisesAreShownForWhatTheyAre) {
    const struct {
        std::wstring value, shown;
    } cases[] = {
        {L"http://www.ex\u0430mple.com/", L"http://www.xn--exmple-4nf.com/"},          // a Cyrillic a
        {L"https://g\u03bf\u03bfgle.com/", L"https://xn--ggle-0nda.com/"},             // Greek omicrons
        {L"http://g\u0585\u0585gle.com/", L"http://xn--ggle-vifa.com/"},               // Armenian oh, a script Latin may mix with
        {L"http://\u0430\u0440\u0440\u04cf\u0435.com/", L"http://xn--80ak6aa92e.com/"}, // all Cyrillic, under a Latin TLD
        {L"http://\uff45xample.com/", L"http://xn--xample-hy68a.com/"},                 // fullwidth
        {L"http://\U0001D41Example.com/", L"http://xn--xample-9b89d.com/"},             // mathematical bold
        {L"http://\uff11\uff12\uff17.0.0.1/", L"http://xn--8g7ccp.0.0.1/"},          // fullwidth digits
        {L"http://\u0131mdb.com/", L"http://xn--mdb-iua.com/"},                         // a dotless i
        {L"http://gi\u0307thub.com/", L"http://xn--github-qyd.com/"},                    // a dot above an i
        {L"http://www.example\u4e00com.jp/", L"http://www.xn--examplecom-wf2p.jp/"},   // a Han one, as a dash
        {L"http://www.example.com\u3000.evil/", L"http://www.example.com[U+3000].evil/"},
        {L"http://\u0430\u0440\u0440\u04cf\u0435\u00a0.com/", L"http://xn--6a73ppa7ba27f.com/"},
        {L"http://ab\u05d0.example/", L"http://xn--ab-wld.example/"},                   // both directions in one label
        {L"www.ex\u0430mple.com", L"www.xn--exmple-4nf.com"},
        {L"http:\\\\www.ex\u0430mple.com\\x", L"http:\\\\www.xn--exmple-4nf.com\\x"},
        {L"http:www.ex\u0430mple.com", L"http:www.xn--exmple-4nf.com"},
        {L"\\\\\u0430\u0440\u0440\u04cf\u0435.com\\x", L"\\\\xn--80ak6aa92e.com\\x"},
        {L"HTTP://user:pw@WWW.EX\u0410MPLE.COM:80/", L"HTTP://user:pw@WWW.xn--EXMPLE-qhf.COM:80/"},
        {L"http://www.example.com\uff0fevil.example/", L"http://www.example.xn--comevil-ou93b.example/"},
        {L"http://www.ex\u0430mple.com@evil.example/", L"http://www.xn--exmple-4nf.com@evil.example/"},
        {L"htt\u0440://www.example.com/", L"htt[U+0440]://www.example.com/"},          // a scheme that is not one
        {L"http\uff1a//www.ex\u0430mple.com", L"http[U+FF1A]//www.xn--exmple-4nf.com"},
        {L"\u0435xample\u3002com", L"xn--xample-2of\u3002com"},
        {L"http://a.example/\u202Egpj.exe", L"http://a.example/[U+202E]gpj.exe"},
        {L"a\u202Ab\u202Bc\u202Cd\u202De", L"a[U+202A]b[U+202B]c[U+202C]d[U+202D]e"},
        {L"\u2066x\u2067y\u2068z\u2069", L"[U+2066]x[U+2067]y[U+2068]z[U+2069]"},
        {L"go\u200Bogle\u200C\u200D\u200E\u200F", L"go[U+200B]ogle[U+200C][U+200D][U+200E][U+200F]"},
        {L"line\nbreak\ttab\r", L"line[U+000A]break[U+0009]tab[U+000D]"},
        {L"\u0085\u007F\u00AD\uFEFF\u2028", L"[U+0085][U+007F][U+00AD][U+FEFF][U+2028]"},
        {std::wstring(L"nul\0x", 5), L"nul[U+0000]x"},
        {L"Z\u0301\u0302\u0303\u0304", L"Z\u0301\u0302[U+0303][U+0304]"}, // a pile of marks draws over the lines
        {std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x", L"[U+D800]x"},
        // Nothing but the frame's own two looks like an apostrophe.
        {L"x/'! Yes is recommended '", L"x/[U+0027]! Yes is recommended [U+0027]"},
        {L"\u2018a\u2019 \u201cb\u201d \uff07 \u02bc \u0149 \u2032 `", L"[U+2018]a[U+2019] [U+201C]b[U+201D] [U+FF07] [U+02BC] [U+0149] [U+2032] [U+0060]"},
        {L"\u05e9\u05d9\u05e8 \u05d9\u05d0\u05d9 x\u0315!", L"\u05e9\u05d9\u05e8\u200E [U+05D9]\u05d0\u200E[U+05D9] x[U+0315]!"}, // a yod only inside a word
        // Every space but U+0020 is an escape.
        {L"a\u00a0b\u3000c\u2800d\u1680e\u2029f\u205fg", L"a[U+00A0]b[U+3000]c[U+2800]d[U+1680]e[U+2029]f[U+205F]g"},
        // Right-to-left runs end where they end: http://1.2.3.4/\u05d0 is not drawn.
        {L"http://\u05d0/1.2.3.4", L"http://\u05d0\u200E/1.2.3.4"},
        {L"http://x/\u0661/\u0662", L"http://x/\u0661\u200E/\u0662\u200E"},
        {L"\u05e9\u05dc\u05d5\u05dd.example \u0645\u0631\u062d\u0628\u0627 1",
         L"\u05e9\u05dc\u05d5\u05dd\u200E.example \u0645\u0631\u062d\u0628\u0627\u200E 1"},
        // Marks of every script, by code point, two at most, none without a letter.
        {L"\u0e01\u0e34\u0e35\u0e36\u0e37", L"\u0e01\u0e34\u0e35[U+0E36][U+0E37]"},
        {L"x\u05d0\u05b0\u05b1\u05b2", L"x\u05d0\u05b0\u05b1\u200E[U+05B2]"},
        {L"\u0628\u0651\u064e\u0650", L"\u0628\u0651\u064e\u200E[U+0650]"},
        {L"a\U0001D167\U0001D168\U0001D169\u20DD", L"a\U0001D167\U0001D168[U+01D169][U+20DD]"},
        {L"\u0301x \u0301[\u202E\u0301", L"[U+0301]x [U+0301][[U+202E][U+0301]"},
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

// The cut falls in the path: the scheme, user name and host are shown whole,
// or, where they cannot be, the question says so.
TEST(QuestionTextTest, TheHostIsNeverCut) {
    const std::wstring hidden = L"http://www.example.com" + std::wstring(300, L'a') + L"@evil.example/" +
                                std::wstring(300, L'b') + L"/www.example.com/";
    std::wstring shown = shownInQuestion(hidden);
    std::erase(shown, L'\n');
    EXPECT_EQ(shown.find(hidden.substr(0, hidden.find(L'/', 8))), 0u);
    EXPECT_NE(shown.find(L"characters left out"), std::wstring::npos);
    EXPECT_EQ(shownInQuestion(hidden, watch::kDisplays[1]), L"[the host is too long to show: 335 characters before the path]");
}

TEST(QuestionTextTest, LinesBreakWhereAddressesDivideAndTheLastResortIsAscii) {
    const std::wstring path = L"http://" + std::wstring(40, L'a') + L"/" + std::wstring(20, L'b');
    EXPECT_EQ(shownInQuestion(path), L"http://" + std::wstring(40, L'a') + L"/\n" + std::wstring(20, L'b'));
    EXPECT_EQ(shownInQuestion(L"http://\u00e9.example/\uFDFD", watch::kDisplays[2]), L"http://\nxn--9ca.example/\n[U+FDFD]");
    EXPECT_EQ(shownInQuestion(L"http://b\u00fccher.de/", watch::kDisplays[2]), L"http://\nxn--bcher-kva.de\n/");
    // A letter and its marks stay on one line.
    EXPECT_EQ(shownInQuestion(std::wstring(63, L'a') + L"e\u0301"), std::wstring(63, L'a') + L"\ne\u0301");
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
        clock.at += watch::kMinute; // the last No no longer holds
        dialogs.fits = [room](const std::wstring& t) { return t.size() < room; };
        const std::wstring wide = L"http://\u00e9.example/" + std::wstring(1000, L'x');
        page.set(wide);
        w.Timer1_Timer();
        EXPECT_EQ(dialogs.shown.back().text, L"HomePage has been changed to '" +
                                                  shownInQuestion(wide, watch::kDisplays[display]) +
                                                  L"'! Do you wish to keep this setting?");
    }
}
