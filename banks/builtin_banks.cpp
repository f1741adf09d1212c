// The compiled-in banks, split into lines once on first use.
#include "banks/builtin_banks.h"

#include <string_view>

namespace quorvel::puzzle {
// The bank files' texts, generated at build time.
extern const std::string_view kBankTexts[5];
}  // namespace quorvel::puzzle

namespace quorvel::banks {

using puzzle::BankSet;
using puzzle::kBankTexts;

const BankSet& BuiltInBanks() {
  static const BankSet banks([] {
    std::array<std::vector<std::string>, 5> lists;
    for (int i = 0; i < 5; ++i) lists[i] = BankSet::SplitLines(kBankTexts[i]);
    return lists;
  }());
  return banks;
}

}  // namespace quorvel::banks
