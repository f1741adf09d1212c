// A build step: the canonical form of every line of a bank file, one a line in the same order,
// so that the program looks a bank line's form up instead of working it out.
// A line of the wrong format fails the build, naming the file and the line.
// Usage: bank_forms --kind KIND BANK_FILE OUT_FILE (KIND standard, x, jigsaw, 4x4 or 6x6)
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "puzzle/banks.h"
#include "puzzle/canonical.h"
#include "puzzle/variant.h"

int main(int argc, char** argv) {
  const auto kind = argc == 5 && std::string(argv[1]) == "--kind"
                        ? quorvel::puzzle::KindFromKey(argv[2])
                        : std::nullopt;
  if (!kind || *kind == quorvel::puzzle::PuzzleKind::kSamurai) {
    std::cerr << "usage: bank_forms --kind standard|x|jigsaw|4x4|6x6 BANK_FILE OUT_FILE\n";
    return 2;
  }
  argv += 2;
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "bank_forms: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  const std::string bank = text.str();
  std::string forms;
  int number = 0;
  for (std::string_view line : quorvel::puzzle::BankSet::SplitLines(bank)) {
    ++number;
    try {
      forms += (quorvel::puzzle::IsVariant(*kind) ? quorvel::puzzle::VariantForm(*kind, line)
                                                  : quorvel::puzzle::CanonicalForm(line)) +
               "\n";
    } catch (const std::exception& e) {
      std::cerr << argv[1] << ":" << number << ": " << e.what() << "\n";
      return 1;
    }
  }
  const std::string temporary = std::string(argv[2]) + ".tmp";
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  out << forms;
  out.close();
  if (!out || std::rename(temporary.c_str(), argv[2]) != 0) {
    std::cerr << "bank_forms: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
