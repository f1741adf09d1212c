// A human-style grader: solves with logical techniques, easiest first, always restarting from
// the easiest, and reports the hardest tier it needed.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace quorvel::tools {

// S singles; M locked candidates and pairs/triples; T fish, quads, wings, single-digit patterns
// and simple colouring; D chains. Unsolved when even the chains stall.
enum class Tier { S = 1, M = 2, T = 3, D = 4, Unsolved = 5 };
const char* TierName(Tier tier);

// Candidates and placed values of a grid being solved. Fixtures for the technique tests set
// candidates directly.
class CandidateGrid {
 public:
  CandidateGrid();
  // From an 81-character puzzle ("0" or "." for empty cells), candidates reduced by the givens.
  // False when the givens clash.
  bool Load(std::string_view puzzle);

  uint16_t Candidates(int cell) const { return cand_[cell]; }
  int Value(int cell) const { return value_[cell]; }
  bool Solved() const;
  bool Broken() const;  // an empty cell without candidates, or a unit missing a digit
  std::string ValuesString() const;

  // Places d and removes it from the peers.
  void Place(int cell, int digit);
  // Removes a candidate; true when it was there.
  bool Eliminate(int cell, int digit);
  // Fixtures: sets a cell's candidates outright.
  void SetCandidates(int cell, uint16_t mask) { cand_[cell] = mask; }

 private:
  std::array<uint16_t, 81> cand_;
  std::array<uint8_t, 81> value_;
};

// One technique: applies its first deduction (eliminations or placements) and returns true, or
// returns false when it finds none.
using Technique = bool (*)(CandidateGrid&);

struct TechniqueInfo {
  const char* name;
  Tier tier;
  Technique apply;
};

// Every technique in the order they are tried.
const std::array<TechniqueInfo, 23>& Techniques();
// The technique of a name, or nullptr.
Technique FindTechnique(std::string_view name);

// Applies the first technique up to `max_tier` that makes progress; returns it, or nullptr.
const TechniqueInfo* Step(CandidateGrid& grid, Tier max_tier = Tier::D);

struct GradeResult {
  Tier tier = Tier::S;
  bool solved = false;
  std::string solution;               // the values reached
  std::map<std::string, int> counts;  // how often each technique made progress
};

// Grades with the techniques up to `max_tier`; a puzzle they cannot finish is Unsolved.
GradeResult Grade(std::string_view puzzle, Tier max_tier = Tier::D);

}  // namespace quorvel::tools
