// The compiled-in banks; each is split into lines on its first use.
#include "banks/builtin_banks.h"

#include <string_view>

#include "puzzle/variant.h"

namespace quorvel::puzzle {
// The bank files' texts and the canonical forms of their lines, generated at build time.
extern const std::string_view kBankTexts[5];
extern const std::string_view kFormTexts[5];
extern const std::string_view kVariantBankTexts[kVariantBankCount];
extern const std::string_view kVariantFormTexts[kVariantBankCount];
}  // namespace quorvel::puzzle

namespace quorvel::banks {

using puzzle::BankSet;
using puzzle::kBankTexts;
using puzzle::kFormTexts;

const BankSet& BuiltInBanks() {
  static const BankSet banks = [] {
    BankSet set(
      std::array<std::string_view, 5>{kBankTexts[0], kBankTexts[1], kBankTexts[2], kBankTexts[3],
                                      kBankTexts[4]},
      std::array<std::string_view, 5>{kFormTexts[0], kFormTexts[1], kFormTexts[2], kFormTexts[3],
                                      kFormTexts[4]});
    set.SetVariantTexts({std::begin(puzzle::kVariantBankTexts), std::end(puzzle::kVariantBankTexts)},
                        {std::begin(puzzle::kVariantFormTexts), std::end(puzzle::kVariantFormTexts)});
    return set;
  }();
  return banks;
}

}  // namespace quorvel::banks
