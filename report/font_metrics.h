// Metrics of the program's one font, "Arial", at a height in device dots: ascent, descent and
// text widths. The table holds the published advance widths of Liberation Sans, a design
// metric-compatible with Arial, indexed by Windows ANSI character code.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace quorvel::report {

struct FontMetrics {
  static constexpr int kUnitsPerEm = 2048;
  static constexpr int kAscent = 1854;
  static constexpr int kDescent = 434;
  static const std::array<uint16_t, 256> kAdvance;

  // Metrics for a named font; every name uses the Arial metrics.
  static FontMetrics For(std::string_view /*name*/) { return FontMetrics(); }

  // Ascent and descent in whole dots of a font whose em is `height_dots` high.
  int AscentDots(double height_dots) const;
  int DescentDots(double height_dots) const;
  // Width of `text` (Windows ANSI bytes) in whole dots.
  int TextWidthDots(std::string_view text, double height_dots) const;
};

}  // namespace quorvel::report
