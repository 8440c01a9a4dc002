// The engine's random generator: the C runtime's linear congruential generator, with one state
// per engine. Start-up seeds it with 3 and draws 256 outputs (the dissolve shuffle table is made
// from exactly those draws), so a script that never seeds continues that sequence.
#pragma once

#include <cstdint>

namespace rs::builtins {

constexpr uint32_t kStartupRandomSeed = 3;
constexpr int kStartupRandomDraws = 256;

// One draw: advances the state and returns 0..32767.
constexpr int32_t nextRandom(uint32_t& state) {
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & 0x7FFF);
}

// The state left by start-up: seeded with 3, then 256 draws.
constexpr uint32_t startupRandomState() {
    uint32_t state = kStartupRandomSeed;
    for (int i = 0; i < kStartupRandomDraws; ++i) nextRandom(state);
    return state;
}

}  // namespace rs::builtins
