// bankgen: writes a bank of graded puzzles as bank lines, deterministic for a given seed.
#include <CLI/CLI.hpp>
#include <chrono>
#include <iostream>

#include "tools/generator.h"

int main(int argc, char** argv) {
  int level = 1, count = 500, jobs = 1;
  uint64_t seed = 1;
  CLI::App app{"Generates a puzzle bank: bank lines on stdout, progress on stderr.", "bankgen"};
  app.add_option("--level", level, "Bank level 1..5")->required()->check(CLI::Range(1, 5));
  app.add_option("--count", count, "Number of lines")->required()->check(CLI::Range(1, 100000));
  app.add_option("--seed", seed, "Seed")->required();
  app.add_option("--jobs", jobs, "Threads")->check(CLI::Range(1, 256));
  CLI11_PARSE(app, argc, argv);
  auto start = std::chrono::steady_clock::now();
  auto last = start;
  std::vector<std::string> lines =
      quorvel::tools::BuildBank(level, count, seed, jobs, [&](int found, uint64_t tried) {
        auto now = std::chrono::steady_clock::now();
        if (found < count && now - last < std::chrono::milliseconds(500)) return;
        last = now;
        std::cerr << "\rlevel " << level << ": " << found << "/" << count << " lines from " << tried
                  << " attempts" << std::flush;
      });
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cerr << "\nlevel " << level << ": " << lines.size() << " lines in " << seconds << " s\n";
  for (const std::string& line : lines) std::cout << line << "\n";
  return lines.size() == static_cast<size_t>(count) ? 0 : 1;
}
