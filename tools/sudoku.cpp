#include "tools/sudoku.h"

namespace quorvel::tools {

const Geometry& Geo() {
  static const Geometry geo = [] {
    Geometry g{};
    for (int i = 0; i < 9; ++i) {
      for (int k = 0; k < 9; ++k) {
        g.units[i][k] = i * 9 + k;
        g.units[9 + i][k] = k * 9 + i;
        g.units[18 + i][k] = (3 * (i / 3) + k / 3) * 9 + 3 * (i % 3) + k % 3;
      }
    }
    for (int c = 0; c < 81; ++c) {
      g.units_of[c] = {RowOf(c), 9 + ColOf(c), 18 + BoxIndexOf(c)};
      int n = 0;
      for (int o = 0; o < 81; ++o) {
        bool peer = o != c && (RowOf(o) == RowOf(c) || ColOf(o) == ColOf(c) ||
                               BoxIndexOf(o) == BoxIndexOf(c));
        g.sees[c][o] = peer;
        if (peer) g.peers[c][n++] = o;
      }
    }
    return g;
  }();
  return geo;
}

}  // namespace quorvel::tools
