// The general solver and grader on the variant banks: for each bank, its 1,000 lines in turn,
// proven unique (solutions counted to 2) and graded by technique on their own houses (a Jigsaw
// line on its own layout). Items per second are puzzles per second.
#include <benchmark/benchmark.h>

#include "banks/builtin_banks.h"
#include "puzzle/banks.h"
#include "puzzle/variant.h"
#include "tools/constraint_grader.h"
#include "tools/constraint_solver.h"

namespace {

using quorvel::puzzle::GridGeometry;

struct Line {
  GridGeometry geometry;
  std::string puzzle;
};

std::vector<Line> BankLines(int v) {
  const auto [kind, bank] = quorvel::puzzle::VariantBankAt(v);
  std::vector<Line> lines;
  for (std::string_view text :
       quorvel::banks::BuiltInBanks().Bank(quorvel::puzzle::BankSet::kClassicBanks + v)) {
    const quorvel::puzzle::VariantPuzzle p = quorvel::puzzle::ParseVariantLine(kind, text);
    lines.push_back({quorvel::puzzle::VariantGeometry(kind, p.layout), p.puzzle});
  }
  return lines;
}

std::string BankLabel(int v) {
  const auto [kind, bank] = quorvel::puzzle::VariantBankAt(v);
  return quorvel::puzzle::BankName(kind, bank);
}

void BM_VariantUniqueness(benchmark::State& state) {
  const int v = static_cast<int>(state.range(0));
  const std::vector<Line> lines = BankLines(v);
  size_t i = 0;
  for (auto _ : state) {
    // The solver is made for each line, as a Jigsaw line needs its own.
    const quorvel::tools::ConstraintSolver solver(lines[i].geometry);
    benchmark::DoNotOptimize(solver.CountSolutions(lines[i].puzzle, 2));
    i = (i + 1) % lines.size();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(BankLabel(v));
}
BENCHMARK(BM_VariantUniqueness)->DenseRange(0, quorvel::puzzle::kVariantBankCount - 1);

void BM_VariantGrade(benchmark::State& state) {
  const int v = static_cast<int>(state.range(0));
  const std::vector<Line> lines = BankLines(v);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(quorvel::tools::GradeOn(lines[i].geometry, lines[i].puzzle).tier);
    i = (i + 1) % lines.size();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(BankLabel(v));
}
BENCHMARK(BM_VariantGrade)
    ->DenseRange(0, quorvel::puzzle::kVariantBankCount - 1)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
