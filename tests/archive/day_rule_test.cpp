#include "archive/phrase_archive.h"
#include "error_of.h"
#include "runtime/errors.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace zelmora {
namespace {

TEST(DayRule, GivesThePhraseOfEachDayOfTheTable) {
    struct Row {
        int holdDays;
        std::int64_t count;
        int expected[7]; // days 1, 9, 10, 70, 100, 365, 366
    };
    const int days[7] = {1, 9, 10, 70, 100, 365, 366};
    const Row rows[] = {
        {1, 10, {2, 10, 1, 1, 1, 6, 7}},
        {7, 10, {1, 2, 2, 1, 5, 3, 3}},
        {2, 3, {1, 2, 3, 3, 3, 3, 1}},
        {1, 400, {2, 10, 11, 71, 101, 366, 367}},
    };
    for (const Row& row : rows) {
        for (int i = 0; i < 7; ++i) {
            SCOPED_TRACE("hold " + std::to_string(row.holdDays) + ", count " +
                         std::to_string(row.count) + ", day " + std::to_string(days[i]));
            EXPECT_EQ(DayPhraseIndex(row.count, row.holdDays, days[i]), row.expected[i]);
        }
    }
}

TEST(DayRule, SevenDaysPerPhraseWalkThroughTenPhrases) {
    for (int day = 1; day <= 6; ++day)
        EXPECT_EQ(DayPhraseIndex(10, 7, day), 1) << "day " << day;
    EXPECT_EQ(DayPhraseIndex(10, 7, 7), 2);
    EXPECT_EQ(DayPhraseIndex(10, 7, 69), 10);
    EXPECT_EQ(DayPhraseIndex(10, 7, 70), 1);
}

TEST(DayRule, FourHundredPhrasesReachOnly2To367) {
    int lowest = 400;
    int highest = 0;
    for (int day = 1; day <= 366; ++day) {
        const int index = DayPhraseIndex(400, 1, day);
        lowest = std::min(lowest, index);
        highest = std::max(highest, index);
    }
    EXPECT_EQ(lowest, 2);
    EXPECT_EQ(highest, 367);
}

TEST(DayRule, StaysWithinThePhrasesForAnyHoldAndCount) {
    for (const int holdDays : {1, 2, 3, 7, 30, 100, 364, 365}) {
        for (const std::int64_t count : {1, 2, 3, 10, 53, 400, 40000}) {
            for (int day = 1; day <= 366; ++day) {
                const int index = DayPhraseIndex(count, holdDays, day);
                ASSERT_GE(index, 1) << holdDays << " " << count << " " << day;
                ASSERT_LE(index, count) << holdDays << " " << count << " " << day;
            }
        }
    }
    // A single phrase is shown every day, whatever the hold.
    for (int day = 1; day <= 366; ++day)
        EXPECT_EQ(DayPhraseIndex(1, 365, day), 1) << "day " << day;
    // Past 32767 phrases the day rule is the plain day + 1.
    EXPECT_EQ(DayPhraseIndex(40000, 1, 366), 367);
}

TEST(DayRule, NoPhraseRaisesDivisionByZero) {
    for (const PhraseCountValue& count : {PhraseCountValue{}, PhraseCountValue{0}}) {
        SCOPED_TRACE(count ? "count 0" : "count empty");
        EXPECT_EQ(test::ErrorNumberOf([&] { DayPhraseIndex(count, 1, 100); }), kDivisionByZero);
    }
}

} // namespace
} // namespace zelmora
