// grade: grades puzzles or bank lines, one a line on stdin: tier, givens and techniques used.
#include <iostream>
#include <string>

#include "tools/grader.h"

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line.size() < 81) continue;
    std::string puzzle = line.substr(0, 81);
    for (char& ch : puzzle) {
      if (ch >= 'A' && ch <= 'I') ch = '0';
    }
    quorvel::tools::GradeResult r = quorvel::tools::Grade(puzzle);
    int givens = 0;
    for (char ch : puzzle) givens += ch >= '1' && ch <= '9';
    std::cout << quorvel::tools::TierName(r.tier) << " " << givens;
    for (const auto& [name, n] : r.counts) std::cout << " " << name << "=" << n;
    std::cout << "\n";
  }
}
