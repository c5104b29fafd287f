#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "ui/AccessKey.h"
#include "ui/AnswerDelay.h"

using Seen = ui::AnswerDelay::Seen;
using std::chrono::milliseconds;

TEST(AnswerDelay, AnswersOnlyOnceInFrontForHalfASecondWithoutABreak) {
    const struct {
        const char* what;
        std::vector<std::pair<Seen, int>> seen;
        int at;
        bool answerable;
        std::optional<int> left;
    } cases[] = {
        {"in front, 1 ms short", {{Seen::InFront, 100}}, 599, false, 1},
        {"in front for the delay", {{Seen::InFront, 100}}, 600, true, std::nullopt},
        {"seen in front again", {{Seen::InFront, 0}, {Seen::InFront, 300}}, 500, true, std::nullopt},
        {"reported brought to the front", {{Seen::InFront, 0}, {Seen::BroughtToFront, 300}}, 700, false, 100},
        {"answerable, then behind", {{Seen::InFront, 0}, {Seen::Behind, 600}}, 601, false, std::nullopt},
        {"behind, back", {{Seen::InFront, 0}, {Seen::Behind, 600}, {Seen::InFront, 610}}, 1000, false, 110},
        {"denied the front, brought to it", {{Seen::Behind, 0}, {Seen::BroughtToFront, 5000}}, 5499, false, 1},
        {"locked and unlocked", {{Seen::InFront, 0}, {Seen::Behind, 700}, {Seen::BroughtToFront, 900}}, 1300, false, 100},
    };
    for (const auto& c : cases) {
        ui::AnswerDelay delay;
        for (const auto& [seen, at] : c.seen) delay.see(seen, milliseconds(at));
        EXPECT_EQ(delay.answerable(milliseconds(c.at)), c.answerable) << c.what;
        const auto left = delay.left(milliseconds(c.at));
        EXPECT_EQ(left ? std::optional<int>(static_cast<int>(left->count())) : std::nullopt, c.left) << c.what;
    }
}

// Keys or clicks every `every` ms from `from` to `to`, the box brought to the
// front at 0: none of them answers, and it takes input once both half a
// second in front and half a second without a key have passed.
TEST(AnswerDelay, InputThatRunsOnNeverAnswers) {
    const struct {
        const char* what;
        int every, from, to, answerableAt;
    } cases[] = {
        {"10 keys a second from a second before the box until 2.5 s after it", 100, -1000, 2500, 3000},
        {"8 keys a second", 125, -1000, 2500, 3000},
        {"12 keys a second", 83, -1000, 2486, 2986},
        {"a double-click as it appears", 150, 0, 150, 650},
        {"a key as it appears", 1, 0, 0, 500},
        {"typing that stopped 0.2 s before it appeared", 100, -2000, -200, 500},
        {"a key 0.1 s before it appeared", 1, -100, -100, 500},
        {"a pause of 0.4 s, then typing on", 100, 400, 1000, 1500},
    };
    for (const auto& c : cases) {
        ui::AnswerDelay delay;
        for (int t = std::min(c.from, 0); t <= std::max(c.to, 0); ++t) {
            if (t == 0) delay.see(Seen::BroughtToFront, milliseconds(0));
            if (t < c.from || (t - c.from) % c.every) continue;
            delay.input(milliseconds(t));
            EXPECT_FALSE(delay.answerable(milliseconds(t))) << c.what << ": the key at " << t << " answered";
        }
        EXPECT_FALSE(delay.answerable(milliseconds(c.answerableAt - 1))) << c.what;
        EXPECT_TRUE(delay.answerable(milliseconds(c.answerableAt))) << c.what;
        // The user who stopped and read answers with the next keys.
        for (const int t : {c.answerableAt + 300, c.answerableAt + 400}) {
            delay.input(milliseconds(t));
            EXPECT_TRUE(delay.answerable(milliseconds(t))) << c.what;
        }
    }
}

TEST(AccessKey, CaptionsLoseTheirAccessKeysInAnyLanguage) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"&Yes", L"Yes"}, {L"Ne&in", L"Nein"}, {L"\u306F\u3044(&Y)", L"\u306F\u3044"}, {L"Yes (&Y)", L"Yes"},
        {L"R&&D", L"R&&D"}, {L"(&&)", L"(&&)"},   {L"&", L""},                            {L"No", L"No"},
    };
    for (const auto& [caption, shown] : cases) EXPECT_EQ(ui::withoutAccessKey(caption), shown);
}
