// The process-wide random source that scrambles and picks puzzles: a 32-bit linear
// congruential generator reseeded from a swappable counter (the monotonic clock by default).
#pragma once

#include <cstdint>
#include <functional>

namespace quorvel::puzzle {

// A source of seed values. The default reads the monotonic high-resolution clock (nanoseconds,
// low 32 bits); tests and reproducible runs install a deterministic one.
using SeedCounter = std::function<uint32_t()>;

// Installs `counter` as the seed source; an empty function restores the clock.
void SetSeedCounter(SeedCounter counter);

// A deterministic counter for reproducible runs: successive calls give a well-spread sequence
// derived from `base`.
SeedCounter MakeSequenceCounter(uint32_t base);

// Sets the seed from the counter. Two successive reseeds never take the same value: when the
// counter has not moved since the last reseed, the seed moves on by one anyway.
void ReseedRandom();

// Advances seed = seed * 134775813 + 1 (mod 2^32) and returns the upper 32 bits of seed * n,
// a value in 0..n-1.
uint32_t RandomBelow(uint32_t n);

// The current seed; for tests.
uint32_t CurrentSeed();
// Sets the seed directly, without touching the counter; for tests.
void SetSeed(uint32_t seed);

}  // namespace quorvel::puzzle
