#pragma once

#include <cstdint>
#include <random>

namespace zelmora {

// Today's date as the day rule needs it. Tests replace the clock to walk
// through the year.
class Clock {
public:
    virtual ~Clock() = default;
    // Day of the year of the current local date: 1 for 1 January, up to 365,
    // or 366 on 31 December of a leap year.
    virtual int dayOfYear() const = 0;
    // Seconds since local midnight, used to seed the random sequence.
    virtual double secondsSinceMidnight() const = 0;
};

class SystemClock final : public Clock {
public:
    int dayOfYear() const override;
    double secondsSinceMidnight() const override;
};

// The random sequence of the "Casuale" draw: seeded once at start-up, then
// each draw r satisfies 0 <= r < 1.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seed(double timer) = 0;
    virtual double next() = 0;
};

class DefaultRandom final : public RandomSource {
public:
    void seed(double timer) override;
    double next() override;

private:
    std::mt19937_64 engine_{0x5A454C4D4F5241ULL};
};

} // namespace zelmora
