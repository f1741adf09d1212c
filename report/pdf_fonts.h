// Glyph widths of the standard PDF fonts, in thousandths of the em, indexed by Windows ANSI
// character code: the Helvetica, Times, Symbol and ZapfDingbats families each their own table,
// one table for every Courier form.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace quorvel::report {

// The table of a base font name; names without a table use Helvetica's.
const std::array<uint16_t, 256>& StandardFontWidths(std::string_view base);

}  // namespace quorvel::report
