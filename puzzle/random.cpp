#include "puzzle/random.h"

#include <chrono>
#include <utility>

namespace quorvel::puzzle {
namespace {

struct RandomState {
  uint32_t seed = 0;
  uint32_t last_reading = 0;
  bool reseeded = false;
  SeedCounter counter;
};

RandomState& State() {
  static RandomState state;
  return state;
}

uint32_t ClockReading() {
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                std::chrono::steady_clock::now().time_since_epoch())
                .count();
  return static_cast<uint32_t>(static_cast<uint64_t>(ns));
}

}  // namespace

void SetSeedCounter(SeedCounter counter) {
  RandomState& s = State();
  s.counter = std::move(counter);
  s.reseeded = false;
}

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

void ReseedRandom() {
  RandomState& s = State();
  uint32_t reading = s.counter ? s.counter() : ClockReading();
  uint32_t next = reading;
  if (s.reseeded && (reading == s.last_reading || reading == s.seed)) next = s.seed + 1;
  s.last_reading = reading;
  s.seed = next;
  s.reseeded = true;
}

uint32_t RandomBelow(uint32_t n) {
  RandomState& s = State();
  s.seed = s.seed * 134775813u + 1u;
  return static_cast<uint32_t>((static_cast<uint64_t>(s.seed) * n) >> 32);
}

uint32_t CurrentSeed() { return State().seed; }

void SetSeed(uint32_t seed) { State().seed = seed; }

}  // namespace quorvel::puzzle
