// Solver throughput on hard minimal puzzles (the Diabolical bank) and grading time.
#include <benchmark/benchmark.h>

#include "banks/builtin_banks.h"
#include "puzzle/banks.h"
#include "tools/grader.h"
#include "tools/solver.h"

namespace {

std::vector<std::string> HardPuzzles() {
  std::vector<std::string> out;
  for (std::string_view bank_line : quorvel::banks::BuiltInBanks().Bank(4)) {
    std::string line(bank_line);
    for (char& ch : line) {
      if (ch >= 'A' && ch <= 'I') ch = '0';
    }
    out.push_back(line);
  }
  return out;
}

void BM_SolverUniqueness(benchmark::State& state) {
  std::vector<std::string> puzzles = HardPuzzles();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(quorvel::tools::CountSolutions(puzzles[i], 2));
    i = (i + 1) % puzzles.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SolverUniqueness);

void BM_GradeDiabolical(benchmark::State& state) {
  std::vector<std::string> puzzles = HardPuzzles();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(quorvel::tools::Grade(puzzles[i]).tier);
    i = (i + 1) % puzzles.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GradeDiabolical)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
