#include "archive/phrase_archive.h"
#include "error_of.h"
#include "runtime/errors.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace zelmora {
namespace {

std::set<int> Range(int first, int last) {
    std::set<int> numbers;
    for (int n = first; n <= last; ++n)
        numbers.insert(n);
    return numbers;
}

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

// The phrases a year can bring, as the user's guide tells them: day 366 is
// 31 December of a leap year.
std::set<int> PhrasesOfAYear(std::int64_t count, int holdDays, int days) {
    std::set<int> seen;
    for (int day = 1; day <= days; ++day)
        seen.insert(DayPhraseIndex(count, holdDays, day));
    return seen;
}

TEST(DayRule, LongArchivesAndLongHoldsBringOnlyWhatTheGuideSays) {
    // 366 phrases: the last one comes, phrase 1 only on a leap year's last day.
    EXPECT_EQ(PhrasesOfAYear(366, 1, 365), Range(2, 366));
    EXPECT_EQ(DayPhraseIndex(366, 1, 366), 1);
    // 367 or more: never phrase 1, nothing after 367, and 367 only on day 366.
    for (const std::int64_t count : {367, 368, 1000}) {
        EXPECT_EQ(PhrasesOfAYear(count, 1, 365), Range(2, 366)) << count;
        EXPECT_EQ(DayPhraseIndex(count, 1, 366), 367) << count;
    }
    // 100 phrases a week each: 1 to 53, in a leap year as in any other.
    EXPECT_EQ(PhrasesOfAYear(100, 7, 365), Range(1, 53));
    EXPECT_EQ(PhrasesOfAYear(100, 7, 366), Range(1, 53));
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
