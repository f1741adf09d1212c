// bankgen: writes a bank of graded puzzles as bank lines, deterministic for a given seed.
#include <CLI/CLI.hpp>
#include <chrono>
#include <iostream>

#include "puzzle/variant.h"
#include "tools/generator.h"
#include "tools/variant_generator.h"

int main(int argc, char** argv) {
  int level = 1, count = 500, jobs = 1;
  uint64_t seed = 1;
  std::string variant;
  CLI::App app{"Generates a puzzle bank: bank lines on stdout, progress on stderr.", "bankgen"};
  app.add_option("--level", level,
                 "Bank level 1..5 (a variant's bank 1..5: x and jigsaw 5, 6x6 4, 4x4 2)")
      ->required()
      ->check(CLI::Range(1, 5));
  app.add_option("--variant", variant, "x, jigsaw, 6x6 or 4x4 (default: Standard)")
      ->check(CLI::IsMember({"x", "jigsaw", "6x6", "4x4"}));
  app.add_option("--count", count, "Number of lines")->required()->check(CLI::Range(1, 100000));
  app.add_option("--seed", seed, "Seed")->required();
  app.add_option("--jobs", jobs, "Threads")->check(CLI::Range(1, 256));
  CLI11_PARSE(app, argc, argv);
  const auto kind = quorvel::puzzle::KindFromKey(variant.empty() ? "standard" : variant);
  if (kind && quorvel::puzzle::IsVariant(*kind) && level > quorvel::puzzle::BankCount(*kind)) {
    std::cerr << "bankgen: " << variant << " has banks 1.." << quorvel::puzzle::BankCount(*kind)
              << ", not " << level << "\n";
    return 2;
  }
  auto start = std::chrono::steady_clock::now();
  auto last = start;
  auto progress = [&](int found, uint64_t tried) {
    auto now = std::chrono::steady_clock::now();
    if (found < count && now - last < std::chrono::milliseconds(500)) return;
    last = now;
    std::cerr << "\rlevel " << level << ": " << found << "/" << count << " lines from " << tried
              << " attempts" << std::flush;
  };
  std::vector<std::string> lines =
      variant.empty()
          ? quorvel::tools::BuildBank(level, count, seed, jobs, progress)
          : quorvel::tools::BuildVariantBank(*kind, level - 1, count, seed, jobs, progress);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cerr << "\nlevel " << level << ": " << lines.size() << " lines in " << seconds << " s\n";
  for (const std::string& line : lines) std::cout << line << "\n";
  return lines.size() == static_cast<size_t>(count) ? 0 : 1;
}
