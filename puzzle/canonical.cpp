#include "puzzle/canonical.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>

namespace quorvel::puzzle {
namespace {

constexpr int kPerm3[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};

// A row of relabelled digits 0..8 packed four bits a cell, first cell highest, so that packed
// rows compare as their digit strings do.
using Rows = std::array<uint64_t, 9>;

struct Frame {
  uint8_t digit[9][9];  // solution digits 0..8
  bool given[9][9];
};

}  // namespace

std::string CanonicalForm(std::string_view line) {
  if (line.size() != 81) {
    throw std::invalid_argument("a bank line has 81 characters, not " +
                                std::to_string(line.size()));
  }
  Frame frames[2];
  for (int i = 0; i < 81; ++i) {
    char ch = line[static_cast<size_t>(i)];
    int r = i / 9, c = i % 9;
    bool given = ch >= '1' && ch <= '9';
    if (!given && (ch < 'A' || ch > 'I')) {
      throw std::invalid_argument(std::string("bad character '") + ch + "' at position " +
                                  std::to_string(i + 1) + " of a bank line");
    }
    auto d = static_cast<uint8_t>(given ? ch - '1' : ch - 'A');
    frames[0].digit[r][c] = frames[1].digit[c][r] = d;
    frames[0].given[r][c] = frames[1].given[c][r] = given;
  }

  Rows best{};
  bool have = false;
  std::string best_line;
  for (const Frame& f : frames) {
    for (int r0 = 0; r0 < 9; ++r0) {
      const int band0 = r0 / 3;
      const int ra = band0 * 3 + (r0 % 3 == 0 ? 1 : 0);
      const int rb = band0 * 3 + (r0 % 3 == 2 ? 1 : 2);
      for (int sp = 0; sp < 6; ++sp) {
        for (int w = 0; w < 216; ++w) {
          const int within[3] = {w / 36, (w / 6) % 6, w % 6};
          int col[9];
          for (int k = 0; k < 3; ++k) {
            for (int i = 0; i < 3; ++i) col[3 * k + i] = 3 * kPerm3[sp][k] + kPerm3[within[k]][i];
          }
          // Relabel so that the first row reads 0 1 2 ... 8.
          uint8_t label[9];
          for (int j = 0; j < 9; ++j) label[f.digit[r0][col[j]]] = static_cast<uint8_t>(j);
          auto code = [&](int r) {
            uint64_t v = 0;
            for (int j = 0; j < 9; ++j) v = (v << 4) | label[f.digit[r][col[j]]];
            return v;
          };
          uint64_t ca = code(ra), cb = code(rb);
          // Rows of a band can be put in any order, so the second row is the smaller.
          if (have && std::min(ca, cb) > best[1]) continue;

          // The other bands: rows sorted within each, bands ordered by their first row.
          std::pair<uint64_t, int> rows[9];
          rows[0] = {code(r0), r0};
          rows[1] = std::min(std::pair(ca, ra), std::pair(cb, rb));
          rows[2] = std::max(std::pair(ca, ra), std::pair(cb, rb));
          int at = 3;
          std::pair<uint64_t, int>* bands[2];
          for (int b = 0; b < 3; ++b) {
            if (b == band0) continue;
            std::pair<uint64_t, int>* band = rows + at;
            for (int i = 0; i < 3; ++i) band[i] = {code(3 * b + i), 3 * b + i};
            std::sort(band, band + 3);
            bands[(at - 3) / 3] = band;
            at += 3;
          }
          if (bands[1][0] < bands[0][0]) {
            for (int i = 0; i < 3; ++i) std::swap(bands[0][i], bands[1][i]);
          }
          Rows candidate;
          for (int i = 0; i < 9; ++i) candidate[i] = rows[i].first;
          if (have && candidate > best) continue;

          std::string out(81, ' ');
          for (int i = 0; i < 9; ++i) {
            int r = rows[i].second;
            for (int j = 0; j < 9; ++j) {
              char d = static_cast<char>(label[f.digit[r][col[j]]]);
              out[static_cast<size_t>(9 * i + j)] = f.given[r][col[j]] ? '1' + d : 'A' + d;
            }
          }
          // Among the symmetries that give the smallest grid, the smallest line.
          if (!have || candidate < best || out < best_line) {
            best = candidate;
            best_line = std::move(out);
            have = true;
          }
        }
      }
    }
  }
  return best_line;
}

LineStrings SplitLine(std::string_view line) {
  LineStrings s;
  for (char c : line) {
    const bool empty = c >= 'A' && c <= 'I';
    s.puzzle.push_back(empty ? '0' : c);
    s.solution.push_back(empty ? static_cast<char>('1' + (c - 'A')) : c);
  }
  return s;
}

std::string CanonicalForm(std::string_view puzzle, std::string_view solution) {
  if (puzzle.size() != 81 || solution.size() != 81) {
    throw std::invalid_argument("a puzzle and its solution have 81 digits each");
  }
  std::string line(81, ' ');
  for (size_t i = 0; i < 81; ++i) {
    char s = solution[i];
    if (s < '1' || s > '9') {
      throw std::invalid_argument("a solution holds the digits 1..9 only");
    }
    line[i] = puzzle[i] == '0' ? static_cast<char>('A' + (s - '1')) : s;
  }
  return CanonicalForm(line);
}

}  // namespace quorvel::puzzle
