#include "report/font_metrics.h"

#include <cmath>

namespace quorvel::report {

// clang-format off
const std::array<uint16_t, 256> FontMetrics::kAdvance = {
  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
  569, 569, 727, 1139, 1139, 1821, 1366, 391, 682, 682, 797, 1196, 569, 682, 569, 569,
  1139, 1139, 1139, 1139, 1139, 1139, 1139, 1139, 1139, 1139, 569, 569, 1196, 1196, 1196, 1139,
  2079, 1366, 1366, 1479, 1479, 1366, 1251, 1593, 1479, 569, 1024, 1366, 1139, 1706, 1479, 1593,
  1366, 1593, 1479, 1366, 1251, 1479, 1366, 1933, 1366, 1366, 1251, 569, 569, 569, 961, 1139,
  682, 1139, 1139, 1024, 1139, 1139, 569, 1139, 1139, 455, 455, 1024, 455, 1706, 1139, 1139,
  1139, 1139, 682, 1024, 569, 1139, 1024, 1479, 1024, 1024, 1024, 684, 532, 684, 1196, 0,
  1139, 0, 455, 1139, 682, 2048, 1139, 1139, 682, 2048, 1366, 682, 2048, 0, 1251, 0,
  0, 455, 455, 682, 682, 717, 1139, 2048, 682, 2048, 1024, 682, 1933, 0, 1024, 1366,
  569, 682, 1139, 1139, 1139, 1139, 532, 1139, 682, 1509, 758, 1139, 1196, 682, 1509, 1131,
  819, 1124, 682, 682, 682, 1180, 1100, 682, 682, 682, 748, 1139, 1708, 1708, 1708, 1251,
  1366, 1366, 1366, 1366, 1366, 1366, 2048, 1479, 1366, 1366, 1366, 1366, 569, 569, 569, 569,
  1479, 1479, 1593, 1593, 1593, 1593, 1593, 1196, 1593, 1479, 1479, 1479, 1479, 1366, 1366, 1251,
  1139, 1139, 1139, 1139, 1139, 1139, 1821, 1024, 1139, 1139, 1139, 1139, 569, 569, 569, 569,
  1139, 1139, 1139, 1139, 1139, 1139, 1139, 1124, 1251, 1139, 1139, 1139, 1139, 1024, 1139, 1024,
};
// clang-format on

int FontMetrics::AscentDots(double height_dots) const {
  return static_cast<int>(std::lround(kAscent * height_dots / kUnitsPerEm));
}

int FontMetrics::DescentDots(double height_dots) const {
  return static_cast<int>(std::lround(kDescent * height_dots / kUnitsPerEm));
}

int FontMetrics::TextWidthDots(std::string_view text, double height_dots) const {
  long units = 0;
  for (char ch : text) units += kAdvance[static_cast<unsigned char>(ch)];
  return static_cast<int>(std::lround(units * height_dots / kUnitsPerEm));
}

}  // namespace quorvel::report
