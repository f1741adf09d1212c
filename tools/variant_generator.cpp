#include "tools/variant_generator.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "puzzle/variant.h"
#include "tools/constraint_grader.h"
#include "tools/constraint_solver.h"
#include "tools/generator.h"

namespace quorvel::tools {

using puzzle::PuzzleKind;

VariantSpec VariantSpecFor(PuzzleKind kind, int bank) {
  switch (kind) {
    case PuzzleKind::kFour:
      if (bank == 0) return {kind, 0, Tier::S, 8, 10, true};
      if (bank == 1) return {kind, 1, Tier::S, 4, 7, true};
      break;
    case PuzzleKind::kSix:
      if (bank == 0) return {kind, 0, Tier::S, 18, 22, true};
      if (bank == 1) return {kind, 1, Tier::S, 13, 17, true};
      if (bank == 2) return {kind, 2, Tier::S, 8, 14, false, true};
      if (bank == 3) return {kind, 3, Tier::M, 8, 16, false};
      break;
    case PuzzleKind::kX:
    case PuzzleKind::kJigsaw:
      if (bank == 0) return {kind, 0, Tier::S, 38, 48, true};
      if (bank == 1) return {kind, 1, Tier::S, 22, 34, false, true};
      if (bank == 2) return {kind, 2, Tier::M, 12, 36, false};
      if (bank == 3) return {kind, 3, Tier::T, 12, 52, false};
      if (bank == 4) return {kind, 4, Tier::D, 12, 40, false};
      break;
    default:
      break;
  }
  throw std::out_of_range(puzzle::KindKey(kind) + " has no bank " + std::to_string(bank));
}

namespace {

// Whether the cells of region `r` are connected.
bool Connected(const std::string& layout, char r) {
  std::vector<int> cells;
  for (int i = 0; i < 81; ++i) {
    if (layout[static_cast<size_t>(i)] == r) cells.push_back(i);
  }
  if (cells.empty()) return true;
  std::vector<bool> seen(81, false);
  std::vector<int> todo = {cells[0]};
  seen[static_cast<size_t>(cells[0])] = true;
  size_t reached = 0;
  while (!todo.empty()) {
    const int c = todo.back();
    todo.pop_back();
    ++reached;
    const int row = c / 9, col = c % 9;
    for (auto [dr, dc] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
      const int nr = row + dr, nc = col + dc;
      if (nr < 0 || nr > 8 || nc < 0 || nc > 8) continue;
      const int n = nr * 9 + nc;
      if (seen[static_cast<size_t>(n)] || layout[static_cast<size_t>(n)] != r) continue;
      seen[static_cast<size_t>(n)] = true;
      todo.push_back(n);
    }
  }
  return reached == cells.size();
}

}  // namespace

bool LayoutIsSound(const std::string& layout) {
  if (layout.size() != 81) return false;
  for (char r = '1'; r <= '9'; ++r) {
    if (std::count(layout.begin(), layout.end(), r) != 9 || !Connected(layout, r)) return false;
  }
  return true;
}

std::string RandomLayout(std::mt19937_64& rng) {
  std::string layout(81, '1');
  for (int i = 0; i < 81; ++i) {
    layout[static_cast<size_t>(i)] = static_cast<char>('1' + (i / 27) * 3 + (i % 9) / 3);
  }
  std::uniform_int_distribution<int> cell(0, 80), side(0, 3);
  const std::pair<int, int> steps[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
  auto neighbour = [&](int c) {
    auto [dr, dc] = steps[side(rng)];
    const int r = c / 9 + dr, col = c % 9 + dc;
    return (r < 0 || r > 8 || col < 0 || col > 8) ? -1 : r * 9 + col;
  };
  // Each exchange gives a cell of region a to its neighbour b and a cell of b to a, keeping both
  // connected; a hundred and fifty of them mix the boxes thoroughly.
  for (int done = 0, tries = 0; done < 150 && tries < 20000; ++tries) {
    const int c = cell(rng), d = neighbour(c);
    if (d < 0) continue;
    const char a = layout[static_cast<size_t>(c)], b = layout[static_cast<size_t>(d)];
    if (a == b) continue;
    const int e = cell(rng), f = neighbour(e);
    if (f < 0 || layout[static_cast<size_t>(e)] != b || layout[static_cast<size_t>(f)] != a ||
        e == d || c == f) {
      continue;
    }
    std::string next = layout;
    next[static_cast<size_t>(c)] = b;
    next[static_cast<size_t>(e)] = a;
    if (Connected(next, a) && Connected(next, b)) {
      layout = std::move(next);
      ++done;
    }
  }
  return layout;
}

std::optional<std::string> VariantAttempt(PuzzleKind kind, int bank, uint64_t seed,
                                          uint64_t index) {
  const VariantSpec spec = VariantSpecFor(kind, bank);
  std::seed_seq seq{static_cast<uint32_t>(seed),  static_cast<uint32_t>(seed >> 32),
                    static_cast<uint32_t>(index), static_cast<uint32_t>(index >> 32),
                    static_cast<uint32_t>(bank),  static_cast<uint32_t>(kind)};
  std::mt19937_64 rng(seq);
  puzzle::VariantPuzzle p;
  if (kind == PuzzleKind::kJigsaw) p.layout = RandomLayout(rng);
  const puzzle::GridGeometry geometry = puzzle::VariantGeometry(kind, p.layout);
  const ConstraintSolver solver(geometry);
  p.solution = solver.RandomSolution(rng);
  if (p.solution.empty()) return std::nullopt;  // a layout without a solution (or a slow one)
  p.puzzle = p.solution;
  std::vector<int> order(static_cast<size_t>(geometry.Cells()));
  std::iota(order.begin(), order.end(), 0);
  std::shuffle(order.begin(), order.end(), rng);
  int givens = geometry.Cells();
  if (spec.by_target || spec.while_singles) {
    const int target =
        spec.by_target ? std::uniform_int_distribution<int>(spec.min_givens, spec.max_givens)(rng)
                       : 0;
    for (int c : order) {
      if (givens == target) break;
      const char keep = p.puzzle[static_cast<size_t>(c)];
      p.puzzle[static_cast<size_t>(c)] = '0';
      if (GradeOn(geometry, p.puzzle, Tier::S).solved) {
        --givens;
      } else {
        p.puzzle[static_cast<size_t>(c)] = keep;
      }
    }
    if (spec.by_target ? givens != target
                       : givens < spec.min_givens || givens > spec.max_givens) {
      return std::nullopt;
    }
  } else {
    for (int c : order) {
      const char keep = p.puzzle[static_cast<size_t>(c)];
      p.puzzle[static_cast<size_t>(c)] = '0';
      if (solver.CountSolutions(p.puzzle, 2) == 1) {
        --givens;
      } else {
        p.puzzle[static_cast<size_t>(c)] = keep;
      }
    }
    if (givens < spec.min_givens || givens > spec.max_givens) return std::nullopt;
    const ConstraintGrade grade = GradeOn(geometry, p.puzzle, spec.tier);
    if (!grade.solved || grade.tier != spec.tier || grade.solution != p.solution) {
      return std::nullopt;
    }
  }
  if (kind == PuzzleKind::kJigsaw) {
    // Layouts are written with their regions numbered in reading order of first appearance.
    p = puzzle::Transform(kind, p, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  }
  return puzzle::VariantLine(kind, p);
}

std::vector<std::string> BuildVariantBank(
    PuzzleKind kind, int bank, int count, uint64_t seed, int jobs,
    const std::function<void(int found, uint64_t tried)>& progress) {
  VariantSpecFor(kind, bank);
  return CollectLines(
      count, jobs, false,
      [&](uint64_t index) -> std::optional<Accepted> {
        std::optional<std::string> line = VariantAttempt(kind, bank, seed, index);
        if (!line) return std::nullopt;
        return Accepted{*line, puzzle::VariantForm(kind, *line)};
      },
      progress, 200000);
}

}  // namespace quorvel::tools
