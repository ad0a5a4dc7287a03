#pragma once

#include "runtime/services.h"

#include <cstddef>
#include <vector>

namespace zelmora::test {

// A clock stopped on a given day of the year.
class FixedClock final : public Clock {
public:
    explicit FixedClock(int day = 1, double seconds = 43200.0)
        : day_(day)
        , seconds_(seconds) {}
    int dayOfYear() const override { return day_; }
    double secondsSinceMidnight() const override { return seconds_; }
    void setDay(int day) { day_ = day; }

private:
    int day_;
    double seconds_;
};

// A random sequence that gives the draws it was told, in a loop, and
// remembers how it was seeded.
class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::vector<double> draws = {0.0})
        : draws_(std::move(draws)) {}
    void seed(double timer) override {
        seeded_ = true;
        seed_ = timer;
    }
    double next() override;

    bool seeded() const { return seeded_; }
    double seedValue() const { return seed_; }
    std::size_t drawsTaken() const { return taken_; }
    void setDraws(std::vector<double> draws) {
        draws_ = std::move(draws);
        taken_ = 0;
    }

private:
    std::vector<double> draws_;
    std::size_t taken_ = 0;
    bool seeded_ = false;
    double seed_ = 0.0;
};

} // namespace zelmora::test
