// The bank generator: random complete grids made into graded puzzles, one attempt per index, so
// that a bank depends only on its seed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/grader.h"

namespace quorvel::tools {

struct BankSpec {
  int level;  // bank level 1..5
  Tier tier;  // the hardest tier a puzzle of the bank needs
  int min_givens, max_givens;
};

// The spec of bank level 1..5.
BankSpec SpecFor(int level);

// The bank line of a puzzle and its solution: digits for givens, "A".."I" for empty cells.
std::string BankLine(const std::string& puzzle, const std::string& solution);

// One attempt: a puzzle of the bank's level drawn from (seed, index), or nothing when the
// attempt does not meet the bank's tier and given range.
std::optional<std::string> Attempt(int level, uint64_t seed, uint64_t index);

// Attempts indexes 0, 1, 2, ... on `jobs` threads and returns the first `count` accepted lines
// in index order with distinct given patterns and distinct puzzles (canonical forms); the same seed
// gives the same bank whatever the number of jobs. `progress` is called now and then with the
// number of lines found.
std::vector<std::string> BuildBank(int level, int count, uint64_t seed, int jobs,
                                   const std::function<void(int found, uint64_t tried)>& progress);

// An accepted attempt: its bank line and the line's canonical form.
struct Accepted {
  std::string line, form;
};
// The bank builder's loop for any kind of line: attempts 0, 1, 2, ... on `jobs` threads, taken in
// index order while their forms are new (and their given patterns, when `distinct_patterns`).
// With `give_up_after`, that many attempts in a row without a new line end the search early.
std::vector<std::string> CollectLines(
    int count, int jobs, bool distinct_patterns,
    const std::function<std::optional<Accepted>(uint64_t index)>& attempt,
    const std::function<void(int found, uint64_t tried)>& progress, uint64_t give_up_after = 0);

}  // namespace quorvel::tools
