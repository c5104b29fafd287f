#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "ui/AccessKey.h"
#include "ui/AnswerDelay.h"

using ui::AnswerDelay;
using Seen = AnswerDelay::Seen;
using std::chrono::milliseconds;

TEST(AnswerDelay, AnswersOnlyOnceInFrontForHalfASecondWithoutABreak) {
    struct Step {
        Seen seen;
        int at;
    };
    const struct {
        const char* what;
        std::vector<Step> steps;
        int askedAt;
        bool answerable;
        std::optional<int> left;
    } cases[] = {
        {"never seen", {}, 10'000, false, std::nullopt},
        {"behind all along", {{Seen::Behind, 0}}, 10'000, false, std::nullopt},
        {"in front, just short of the delay", {{Seen::InFront, 100}}, 599, false, 1},
        {"in front for the delay", {{Seen::InFront, 100}}, 600, true, std::nullopt},
        {"seen in front again: the delay runs on", {{Seen::InFront, 0}, {Seen::InFront, 300}}, 500, true, std::nullopt},
        {"reported brought to the front again", {{Seen::InFront, 0}, {Seen::BroughtToFront, 300}}, 700, false, 100},
        {"... and the new delay over", {{Seen::InFront, 0}, {Seen::BroughtToFront, 300}}, 800, true, std::nullopt},
        {"answerable, then behind", {{Seen::InFront, 0}, {Seen::Behind, 600}}, 601, false, std::nullopt},
        {"behind for a moment, back in front",
         {{Seen::InFront, 0}, {Seen::Behind, 600}, {Seen::InFront, 610}},
         1000,
         false,
         110},
        {"denied the front, then brought to it", {{Seen::Behind, 0}, {Seen::BroughtToFront, 5000}}, 5499, false, 1},
    };
    for (const auto& c : cases) {
        AnswerDelay delay;
        for (const Step& s : c.steps) delay.see(s.seen, milliseconds(s.at));
        EXPECT_EQ(delay.answerable(milliseconds(c.askedAt)), c.answerable) << c.what;
        const auto left = delay.left(milliseconds(c.askedAt));
        EXPECT_EQ(left ? std::optional<int>(static_cast<int>(left->count())) : std::nullopt, c.left) << c.what;
    }
}

TEST(AccessKey, CaptionsLoseTheirAccessKeysInAnyLanguage) {
    const struct {
        const wchar_t* caption;
        const wchar_t* shown;
    } cases[] = {
        {L"&Yes", L"Yes"},       {L"Ne&in", L"Nein"}, {L"\u306F\u3044(&Y)", L"\u306F\u3044"},
        {L"Yes (&Y)", L"Yes"},   {L"R&&D", L"R&D"},   {L"(&&)", L"(&)"},
        {L"&", L""},             {L"No", L"No"},      {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(ui::withoutAccessKey(c.caption), c.shown);
}
