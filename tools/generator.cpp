#include "tools/generator.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <numeric>
#include <random>
#include <set>
#include <stdexcept>
#include <thread>

#include "puzzle/canonical.h"
#include "tools/solver.h"

namespace quorvel::tools {

BankSpec SpecFor(int level) {
  switch (level) {
    case 1:
      return {1, Tier::S, 41, 51};
    case 2:
      return {2, Tier::S, 17, 32};
    case 3:
      return {3, Tier::M, 17, 36};
    case 4:
      return {4, Tier::T, 17, 52};
    case 5:
      return {5, Tier::D, 17, 40};
    default:
      throw std::out_of_range("bank level " + std::to_string(level) + " is not 1..5");
  }
}

std::string BankLine(const std::string& puzzle, const std::string& solution) {
  std::string line(81, '?');
  for (int i = 0; i < 81; ++i) {
    line[i] = puzzle[i] != '0' ? puzzle[i] : static_cast<char>('A' + (solution[i] - '1'));
  }
  return line;
}

std::optional<std::string> Attempt(int level, uint64_t seed, uint64_t index) {
  BankSpec spec = SpecFor(level);
  std::seed_seq seq{static_cast<uint32_t>(seed), static_cast<uint32_t>(seed >> 32),
                    static_cast<uint32_t>(index), static_cast<uint32_t>(index >> 32),
                    static_cast<uint32_t>(level)};
  std::mt19937_64 rng(seq);
  std::string solution = RandomSolution(rng);
  std::string puzzle = solution;
  std::vector<int> order(81);
  std::iota(order.begin(), order.end(), 0);
  std::shuffle(order.begin(), order.end(), rng);
  int givens = 81;
  if (spec.tier == Tier::S && level == 1) {
    // Very easy: clues come out while the puzzle stays solvable by singles, down to a target.
    std::uniform_int_distribution<int> target_dist(spec.min_givens, spec.max_givens);
    int target = target_dist(rng);
    for (int c : order) {
      if (givens == target) break;
      char keep = puzzle[c];
      puzzle[c] = '0';
      if (Grade(puzzle, Tier::S).solved) {
        --givens;
      } else {
        puzzle[c] = keep;
      }
    }
    if (givens != target) return std::nullopt;
  } else {
    // Minimal: every clue that can go while the solution stays unique goes.
    for (int c : order) {
      char keep = puzzle[c];
      puzzle[c] = '0';
      if (CountSolutions(puzzle, 2) == 1) {
        --givens;
      } else {
        puzzle[c] = keep;
      }
    }
    if (givens < spec.min_givens || givens > spec.max_givens) return std::nullopt;
    GradeResult grade = Grade(puzzle, spec.tier);
    if (!grade.solved || grade.tier != spec.tier || grade.solution != solution) return std::nullopt;
  }
  return BankLine(puzzle, solution);
}

std::vector<std::string> BuildBank(int level, int count, uint64_t seed, int jobs,
                                   const std::function<void(int, uint64_t)>& progress) {
  SpecFor(level);
  return CollectLines(
      count, jobs, true,
      [&](uint64_t index) -> std::optional<Accepted> {
        std::optional<std::string> line = Attempt(level, seed, index);
        if (!line) return std::nullopt;
        return Accepted{*line, puzzle::CanonicalForm(*line)};
      },
      progress);
}

std::vector<std::string> CollectLines(
    int count, int jobs, bool distinct_patterns,
    const std::function<std::optional<Accepted>(uint64_t index)>& attempt,
    const std::function<void(int found, uint64_t tried)>& progress, uint64_t give_up_after) {
  std::mutex mu;
  // Attempted indexes not yet folded: the line and its canonical form.
  std::map<uint64_t, std::optional<Accepted>> done;
  std::vector<std::string> lines;
  std::set<std::string> patterns, forms;
  uint64_t folded = 0;  // every index below this is folded into `lines`
  uint64_t last_taken = 0;
  std::atomic<uint64_t> next{0};
  std::atomic<bool> stop{false};
  auto fold = [&] {
    // Takes finished attempts in index order, so the result does not depend on timing.
    for (auto it = done.find(folded); it != done.end() && !stop; it = done.find(folded)) {
      if (it->second) {
        // A line joins when both its given pattern and the puzzle itself are new to the bank.
        const auto& [line, form] = *it->second;
        std::string pattern;
        if (distinct_patterns) {
          pattern = line;
          for (char& ch : pattern) ch = (ch >= '1' && ch <= '9') ? 'x' : '.';
        }
        if (!patterns.count(pattern) && !forms.count(form)) {
          forms.insert(form);
          if (distinct_patterns) patterns.insert(pattern);
          lines.push_back(line);
          last_taken = folded;
        }
        if (static_cast<int>(lines.size()) == count) stop = true;
      }
      // A small variant has only so many different puzzles: a long run of attempts without a
      // new one ends the bank where it is (at the same index whatever the number of jobs).
      if (give_up_after && folded - last_taken >= give_up_after) stop = true;
      done.erase(it);
      ++folded;
    }
  };
  auto worker = [&] {
    while (!stop) {
      uint64_t index = next++;
      std::optional<Accepted> result = attempt(index);
      std::lock_guard<std::mutex> lock(mu);
      done.emplace(index, std::move(result));
      size_t before = lines.size();
      fold();
      if (progress && lines.size() != before) progress(static_cast<int>(lines.size()), folded);
    }
  };
  std::vector<std::thread> threads;
  for (int j = 1; j < std::max(1, jobs); ++j) threads.emplace_back(worker);
  worker();
  for (std::thread& t : threads) t.join();
  return lines;
}

}  // namespace quorvel::tools
