#include "puzzle/random.h"

#include <chrono>
#include <utility>

namespace quorvel::puzzle {
namespace {

uint32_t ClockReading() {
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                std::chrono::steady_clock::now().time_since_epoch())
                .count();
  return static_cast<uint32_t>(static_cast<uint64_t>(ns));
}

}  // namespace

SeedCounter MakeSequenceCounter(uint32_t base) {
  uint64_t state = base;
  return [state]() mutable {
    // splitmix64: consecutive states give unrelated seeds.
    state += 0x9E3779B97F4A7C15ULL;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<uint32_t>(z ^ (z >> 31));
  };
}

void RandomSource::SetSeedCounter(SeedCounter counter) {
  counter_ = std::move(counter);
  reseeded_ = false;
}

void RandomSource::Reseed() {
  uint32_t reading = counter_ ? counter_() : ClockReading();
  uint32_t next = reading;
  if (reseeded_ && (reading == last_reading_ || reading == seed_)) next = seed_ + 1;
  last_reading_ = reading;
  seed_ = next;
  reseeded_ = true;
}

RandomSource& DefaultRandomSource() {
  static RandomSource source;
  return source;
}

void SetSeedCounter(SeedCounter counter) {
  DefaultRandomSource().SetSeedCounter(std::move(counter));
}
void ReseedRandom() { DefaultRandomSource().Reseed(); }
uint32_t RandomBelow(uint32_t n) { return DefaultRandomSource().Below(n); }
uint32_t CurrentSeed() { return DefaultRandomSource().Seed(); }
void SetSeed(uint32_t seed) { DefaultRandomSource().SetSeed(seed); }

}  // namespace quorvel::puzzle
