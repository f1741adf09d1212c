#include "tools/sudoku.h"

#include "puzzle/geometry.h"

namespace quorvel::tools {

// The fast tables of the classic grid, made from its geometry: its 27 houses are the units.
const Geometry& Geo() {
  static const Geometry geo = [] {
    const auto& houses = puzzle::GridGeometry::Classic().Houses();
    Geometry g{};
    for (size_t u = 0; u < 27; ++u) {
      for (size_t k = 0; k < 9; ++k) g.units[u][k] = houses[u][k];
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
