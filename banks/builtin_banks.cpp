// The compiled-in banks, split into lines once on first use.
#include <string_view>

#include "puzzle/banks.h"

namespace quorvel::puzzle {

extern const std::string_view kBankTexts[5];

const BankSet& BuiltInBanks() {
  static const BankSet banks([] {
    std::array<std::vector<std::string>, 5> lists;
    for (int i = 0; i < 5; ++i) lists[i] = BankSet::SplitLines(kBankTexts[i]);
    return lists;
  }());
  return banks;
}

}  // namespace quorvel::puzzle
