// Puzzle supply and Samurai assembly throughput.
#include <benchmark/benchmark.h>

#include "banks/builtin_banks.h"
#include "puzzle/random.h"
#include "puzzle/samurai.h"

namespace {

using namespace quorvel::puzzle;

void BM_FillBatch800(benchmark::State& state) {
  PuzzleSupply supply(quorvel::banks::BuiltInBanks());
  for (auto _ : state) {
    supply.FillBatch(5, 800, false);
    benchmark::DoNotOptimize(supply.Puzzle(800));
  }
  state.SetItemsProcessed(state.iterations() * 800);
}
BENCHMARK(BM_FillBatch800)->Unit(benchmark::kMillisecond);

void BM_AssembleSamurai200(benchmark::State& state) {
  PuzzleSupply supply(quorvel::banks::BuiltInBanks());
  SamuraiBatch batch;
  for (auto _ : state) {
    for (int page = 1; page <= 200; ++page) batch.Store(page, AssembleSamurai(supply, 4));
    benchmark::DoNotOptimize(batch.Entry(200, 5));
  }
  state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(BM_AssembleSamurai200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
