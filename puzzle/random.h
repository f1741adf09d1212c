// The random source that scrambles and picks puzzles: a 32-bit linear congruential generator
// reseeded from a swappable counter (the monotonic clock by default). Each book maker has one of
// its own, handed to its puzzle supply; the free functions below work on one process-wide
// source, the default of a supply made without one.
#pragma once

#include <cstdint>
#include <functional>

namespace quorvel::puzzle {

// A source of seed values. The default reads the monotonic high-resolution clock (nanoseconds,
// low 32 bits); tests and reproducible runs install a deterministic one.
using SeedCounter = std::function<uint32_t()>;

// A deterministic counter for reproducible runs: successive calls give a well-spread sequence
// derived from `base`.
SeedCounter MakeSequenceCounter(uint32_t base);

class RandomSource {
 public:
  // Installs `counter` as the seed source; an empty function restores the clock.
  void SetSeedCounter(SeedCounter counter);
  // Sets the seed from the counter. Two successive reseeds never take the same value: when the
  // counter has not moved since the last reseed, the seed moves on by one anyway.
  void Reseed();
  // Advances seed = seed * 134775813 + 1 (mod 2^32) and returns the upper 32 bits of
  // seed * n, a value in 0..n-1.
  uint32_t Below(uint32_t n) {
    seed_ = seed_ * 134775813u + 1u;
    return static_cast<uint32_t>((static_cast<uint64_t>(seed_) * n) >> 32);
  }
  uint32_t Seed() const { return seed_; }
  void SetSeed(uint32_t seed) { seed_ = seed; }

 private:
  uint32_t seed_ = 0;
  uint32_t last_reading_ = 0;
  bool reseeded_ = false;
  SeedCounter counter_;
};

// The process-wide source.
RandomSource& DefaultRandomSource();

// The process-wide source's operations, as RandomSource's above.
void SetSeedCounter(SeedCounter counter);
void ReseedRandom();
uint32_t RandomBelow(uint32_t n);

// The current seed; for tests.
uint32_t CurrentSeed();
// Sets the seed directly, without touching the counter; for tests.
void SetSeed(uint32_t seed);

}  // namespace quorvel::puzzle
