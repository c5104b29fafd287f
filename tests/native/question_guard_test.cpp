#include <gtest/gtest.h>

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
    };
    for (const auto& c : cases) {
        ui::AnswerDelay delay;
        for (const auto& [seen, at] : c.seen) delay.see(seen, milliseconds(at));
        EXPECT_EQ(delay.answerable(milliseconds(c.at)), c.answerable) << c.what;
        const auto left = delay.left(milliseconds(c.at));
        EXPECT_EQ(left ? std::optional<int>(static_cast<int>(left->count())) : std::nullopt, c.left) << c.what;
    }
}

TEST(AccessKey, CaptionsLoseTheirAccessKeysInAnyLanguage) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"&Yes", L"Yes"}, {L"Ne&in", L"Nein"}, {L"\u306F\u3044(&Y)", L"\u306F\u3044"}, {L"Yes (&Y)", L"Yes"},
        {L"R&&D", L"R&D"}, {L"(&&)", L"(&)"},   {L"&", L""},                            {L"No", L"No"},
    };
    for (const auto& [caption, shown] : cases) EXPECT_EQ(ui::withoutAccessKey(caption), shown);
}
