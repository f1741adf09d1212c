// The five puzzle banks built into the program from the files in banks/.
#pragma once

#include "puzzle/banks.h"

namespace quorvel::banks {

// The built-in banks, split into lines once on first use.
const puzzle::BankSet& BuiltInBanks();

}  // namespace quorvel::banks
