// The bank generator of the variants: random complete grids of the variant (a Jigsaw's on a
// random region layout of its own) made into graded puzzles, one attempt per index, so that a
// bank depends only on its seed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "puzzle/options.h"
#include "tools/grader.h"

namespace quorvel::tools {

struct VariantSpec {
  puzzle::PuzzleKind kind;
  int bank;   // 0.. of the variant's banks
  Tier tier;  // the hardest tier a puzzle of the bank needs
  int min_givens, max_givens;
  // Givens come out while singles still solve the puzzle, down to a count drawn from the range
  // (the easiest banks); otherwise every given that can go goes.
  bool by_target;
  // Every given that can go while singles still solve the puzzle goes (an easy bank with few
  // givens, without the cost of proving minimality).
  bool while_singles = false;
};

// The spec of bank `bank` of a variant; throws std::out_of_range for a bank it does not have.
VariantSpec VariantSpecFor(puzzle::PuzzleKind kind, int bank);

// A random Jigsaw layout: nine connected regions of nine cells ("1".."9", 81 characters),
// reached from the 3 x 3 boxes by random exchanges of cells between neighbouring regions.
std::string RandomLayout(std::mt19937_64& rng);
// Whether a layout is nine connected regions of nine cells.
bool LayoutIsSound(const std::string& layout);

// One attempt: a bank line drawn from (seed, index), or nothing when the attempt does not meet
// the bank's tier and given range.
std::optional<std::string> VariantAttempt(puzzle::PuzzleKind kind, int bank, uint64_t seed,
                                          uint64_t index);

// The first `count` accepted lines in index order, each a different puzzle under the variant's
// symmetries; the same seed gives the same bank whatever the number of jobs.
std::vector<std::string> BuildVariantBank(
    puzzle::PuzzleKind kind, int bank, int count, uint64_t seed, int jobs,
    const std::function<void(int found, uint64_t tried)>& progress);

}  // namespace quorvel::tools
