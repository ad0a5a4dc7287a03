#include "runtime/services.h"

#include "runtime/platform.h"

#include <bit>
#include <cstring>

namespace zelmora {

int SystemClock::dayOfYear() const {
    return platform::LocalNow().tm_yday + 1;
}

double SystemClock::secondsSinceMidnight() const {
    return platform::SecondsSinceMidnight();
}

void DefaultRandom::seed(double timer) {
    // The whole bit pattern of the timer goes into the seed, so two starts a
    // few milliseconds apart still get different sequences.
    engine_.seed(std::bit_cast<std::uint64_t>(timer));
}

double DefaultRandom::next() {
    // 53 random bits scaled into [0, 1): never 1, whatever the rounding.
    return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
}

} // namespace zelmora
