// libFuzzer entry for the colour settings reader; the checks are in fuzz_bodies.cpp.

#include "fuzz_bodies.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        zelmora::fuzz::ColorSettingsInput(data, size);
    } catch (const zelmora::fuzz::InvariantFailure& e) {
        std::fprintf(stderr, "invariant failed: %s\n", e.what());
        std::abort();
    }
    return 0;
}
