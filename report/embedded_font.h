// The TrueType font that print-ready PDFs embed whole: its program, the metrics of its font
// descriptor, and its advance widths for the WinAnsi codes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quorvel::report {

struct EmbeddedFont {
  std::string postscript_name;       // "LiberationSans"
  std::vector<uint8_t> program;      // the font file as it is
  std::array<uint16_t, 256> widths;  // advance width of each WinAnsi code, 1/1000 em
  int ascent = 0, descent = 0, cap_height = 0, italic_angle = 0, stem_v = 80, flags = 32;
  std::array<int, 4> bbox{};  // 1/1000 em

  // Reads and checks a TrueType font file; throws FileError naming the file when it cannot.
  static EmbeddedFont Load(const std::string& path);
};

// The font of print-ready books, Liberation Sans Regular (metric-compatible with the widths the
// layout uses): $QUORVEL_PRINT_FONT when set, else the font package's file. Throws FileError,
// naming the package, when it is not there.
std::string FindPrintFont();
// Its bold face, Liberation Sans Bold: $QUORVEL_PRINT_BOLD_FONT when set, else the package's.
std::string FindPrintBoldFont();

// The Unicode character of a WinAnsi code; 0 for the codes it leaves undefined.
uint16_t WinAnsiToUnicode(uint8_t code);

// The zlib (Flate) form of `data`, at zlib's `level` (1 fastest, 9 smallest).
std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data, int level = 9);

}  // namespace quorvel::report
