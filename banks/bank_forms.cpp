// A build step: the canonical form of every line of a bank file, one a line in the same order,
// so that the program looks a bank line's form up instead of working it out.
// Usage: bank_forms BANK_FILE OUT_FILE
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "puzzle/banks.h"
#include "puzzle/canonical.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: bank_forms BANK_FILE OUT_FILE\n";
    return 2;
  }
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
      forms += quorvel::puzzle::CanonicalForm(line) + "\n";
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
