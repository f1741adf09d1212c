#include "tools/grader.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "tools/sudoku.h"

namespace quorvel::tools {
namespace {

const Geometry& G() { return Geo(); }

// Calls f on every k-element combination of items (as a vector of chosen items); stops and
// returns true as soon as f does.
template <class T, class F>
bool Combinations(const std::vector<T>& items, int k, F&& f) {
  std::vector<int> idx(static_cast<size_t>(k));
  std::vector<T> chosen(static_cast<size_t>(k));
  std::function<bool(int, int)> rec = [&](int start, int depth) {
    if (depth == k) return f(chosen);
    for (int i = start; i < static_cast<int>(items.size()); ++i) {
      chosen[static_cast<size_t>(depth)] = items[static_cast<size_t>(i)];
      if (rec(i + 1, depth + 1)) return true;
    }
    return false;
  };
  return rec(0, 0);
}

// Positions (bit k for the unit's k-th cell) of digit d among the empty cells of unit u.
uint16_t Positions(const CandidateGrid& g, int u, int d) {
  uint16_t m = 0;
  for (int k = 0; k < 9; ++k) {
    int c = G().units[u][k];
    if (!g.Value(c) && (g.Candidates(c) & Bit(d))) m |= static_cast<uint16_t>(1u << k);
  }
  return m;
}

// Cells of unit u at the positions of mask m.
std::vector<int> CellsAt(int u, uint16_t m) {
  std::vector<int> cells;
  for (int k = 0; k < 9; ++k) {
    if (m & (1u << k)) cells.push_back(G().units[u][k]);
  }
  return cells;
}

bool Sees(int a, int b) { return G().sees[a][b]; }

// Removes d from every empty cell that sees all of `cells` (and is none of them).
bool EliminateSeeingAll(CandidateGrid& g, const std::vector<int>& cells, int d) {
  bool any = false;
  for (int c = 0; c < 81; ++c) {
    if (g.Value(c) || !(g.Candidates(c) & Bit(d))) continue;
    bool all = true;
    for (int o : cells) {
      if (o == c || !Sees(c, o)) {
        all = false;
        break;
      }
    }
    if (all) any |= g.Eliminate(c, d);
  }
  return any;
}

// --- Singles ----------------------------------------------------------------------------

bool FullHouse(CandidateGrid& g) {
  for (const auto& unit : G().units) {
    int empty = -1, n = 0;
    for (int c : unit) {
      if (!g.Value(c)) empty = c, ++n;
    }
    if (n == 1 && PopCount(g.Candidates(empty)) == 1) {
      g.Place(empty, LowestDigit(g.Candidates(empty)));
      return true;
    }
  }
  return false;
}

bool NakedSingle(CandidateGrid& g) {
  for (int c = 0; c < 81; ++c) {
    if (!g.Value(c) && PopCount(g.Candidates(c)) == 1) {
      g.Place(c, LowestDigit(g.Candidates(c)));
      return true;
    }
  }
  return false;
}

bool HiddenSingle(CandidateGrid& g) {
  for (int u = 0; u < 27; ++u) {
    for (int d = 1; d <= 9; ++d) {
      uint16_t m = Positions(g, u, d);
      if (PopCount(m) == 1) {
        g.Place(G().units[u][std::countr_zero(m)], d);
        return true;
      }
    }
  }
  return false;
}

// --- Intersections and subsets ----------------------------------------------------------

bool Pointing(CandidateGrid& g) {
  for (int b = 18; b < 27; ++b) {
    for (int d = 1; d <= 9; ++d) {
      std::vector<int> cells = CellsAt(b, Positions(g, b, d));
      if (cells.size() < 2) continue;
      for (int line_kind = 0; line_kind < 2; ++line_kind) {
        auto line = [&](int c) { return line_kind == 0 ? RowOf(c) : 9 + ColOf(c); };
        int l = line(cells[0]);
        if (!std::all_of(cells.begin(), cells.end(), [&](int c) { return line(c) == l; })) continue;
        bool any = false;
        for (int c : G().units[l]) {
          if (BoxIndexOf(c) != b - 18 && !g.Value(c)) any |= g.Eliminate(c, d);
        }
        if (any) return true;
      }
    }
  }
  return false;
}

bool Claiming(CandidateGrid& g) {
  for (int l = 0; l < 18; ++l) {
    for (int d = 1; d <= 9; ++d) {
      std::vector<int> cells = CellsAt(l, Positions(g, l, d));
      if (cells.size() < 2) continue;
      int box = BoxIndexOf(cells[0]);
      if (!std::all_of(cells.begin(), cells.end(), [&](int c) { return BoxIndexOf(c) == box; })) {
        continue;
      }
      bool any = false;
      for (int c : G().units[18 + box]) {
        bool on_line = l < 9 ? RowOf(c) == l : ColOf(c) == l - 9;
        if (!on_line && !g.Value(c)) any |= g.Eliminate(c, d);
      }
      if (any) return true;
    }
  }
  return false;
}

bool NakedSubset(CandidateGrid& g, int k) {
  for (const auto& unit : G().units) {
    std::vector<int> cells;
    for (int c : unit) {
      int n = g.Value(c) ? 0 : PopCount(g.Candidates(c));
      if (n >= 2 && n <= k) cells.push_back(c);
    }
    bool done = Combinations(cells, k, [&](const std::vector<int>& set) {
      uint16_t all = 0;
      for (int c : set) all |= g.Candidates(c);
      if (PopCount(all) != k) return false;
      bool any = false;
      for (int c : unit) {
        if (g.Value(c) || std::find(set.begin(), set.end(), c) != set.end()) continue;
        for (uint16_t m = all; m; m &= static_cast<uint16_t>(m - 1)) {
          any |= g.Eliminate(c, LowestDigit(m));
        }
      }
      return any;
    });
    if (done) return true;
  }
  return false;
}

bool HiddenSubset(CandidateGrid& g, int k) {
  for (int u = 0; u < 27; ++u) {
    std::vector<int> digits;
    for (int d = 1; d <= 9; ++d) {
      int n = PopCount(Positions(g, u, d));
      if (n >= 1 && n <= k) digits.push_back(d);
    }
    bool done = Combinations(digits, k, [&](const std::vector<int>& set) {
      uint16_t where = 0, keep = 0;
      for (int d : set) where |= Positions(g, u, d), keep |= Bit(d);
      if (PopCount(where) != k) return false;
      bool any = false;
      for (int c : CellsAt(u, where)) {
        for (uint16_t m = g.Candidates(c) & static_cast<uint16_t>(~keep); m;
             m &= static_cast<uint16_t>(m - 1)) {
          any |= g.Eliminate(c, LowestDigit(m));
        }
      }
      return any;
    });
    if (done) return true;
  }
  return false;
}

// --- Fish ---------------------------------------------------------------------------------

bool Fish(CandidateGrid& g, int k) {
  for (int d = 1; d <= 9; ++d) {
    for (int orient = 0; orient < 2; ++orient) {
      int base0 = orient == 0 ? 0 : 9, cover0 = orient == 0 ? 9 : 0;
      std::vector<int> lines;
      for (int l = 0; l < 9; ++l) {
        int n = PopCount(Positions(g, base0 + l, d));
        if (n >= 2 && n <= k) lines.push_back(l);
      }
      bool done = Combinations(lines, k, [&](const std::vector<int>& set) {
        uint16_t covers = 0;
        for (int l : set) covers |= Positions(g, base0 + l, d);
        if (PopCount(covers) != k) return false;
        bool any = false;
        for (int x = 0; x < 9; ++x) {
          if (!(covers & (1u << x))) continue;
          for (int k2 = 0; k2 < 9; ++k2) {
            if (std::find(set.begin(), set.end(), k2) != set.end()) continue;
            int c = G().units[cover0 + x][k2];
            if (!g.Value(c)) any |= g.Eliminate(c, d);
          }
        }
        return any;
      });
      if (done) return true;
    }
  }
  return false;
}

// --- Wings --------------------------------------------------------------------------------

bool XYWing(CandidateGrid& g) {
  for (int p = 0; p < 81; ++p) {
    uint16_t pm = g.Candidates(p);
    if (g.Value(p) || PopCount(pm) != 2) continue;
    for (int a : G().peers[p]) {
      uint16_t am = g.Candidates(a);
      if (g.Value(a) || PopCount(am) != 2 || PopCount(am & pm) != 1) continue;
      uint16_t x = am & pm, z = am & static_cast<uint16_t>(~pm);
      uint16_t want = static_cast<uint16_t>((pm & ~x) | z);
      for (int b : G().peers[p]) {
        if (b == a || g.Value(b) || g.Candidates(b) != want) continue;
        if (EliminateSeeingAll(g, {a, b}, LowestDigit(z))) return true;
      }
    }
  }
  return false;
}

bool XYZWing(CandidateGrid& g) {
  for (int p = 0; p < 81; ++p) {
    uint16_t pm = g.Candidates(p);
    if (g.Value(p) || PopCount(pm) != 3) continue;
    for (int a : G().peers[p]) {
      uint16_t am = g.Candidates(a);
      if (g.Value(a) || PopCount(am) != 2 || (am & pm) != am) continue;
      for (int b : G().peers[p]) {
        uint16_t bm = g.Candidates(b);
        if (b <= a || g.Value(b) || PopCount(bm) != 2 || (bm & pm) != bm) continue;
        if ((am | bm) != pm) continue;
        uint16_t z = am & bm;
        if (PopCount(z) != 1) continue;
        if (EliminateSeeingAll(g, {p, a, b}, LowestDigit(z))) return true;
      }
    }
  }
  return false;
}

bool WWing(CandidateGrid& g) {
  for (int p = 0; p < 81; ++p) {
    uint16_t m = g.Candidates(p);
    if (g.Value(p) || PopCount(m) != 2) continue;
    for (int q = p + 1; q < 81; ++q) {
      if (g.Value(q) || g.Candidates(q) != m || Sees(p, q)) continue;
      for (uint16_t xs = m; xs; xs &= static_cast<uint16_t>(xs - 1)) {
        int x = LowestDigit(xs);
        int y = LowestDigit(m & static_cast<uint16_t>(~Bit(x)));
        for (int u = 0; u < 27; ++u) {
          std::vector<int> ends = CellsAt(u, Positions(g, u, x));
          if (ends.size() != 2) continue;
          int a = ends[0], b = ends[1];
          if (a == p || a == q || b == p || b == q) continue;
          bool linked = (Sees(a, p) && Sees(b, q)) || (Sees(a, q) && Sees(b, p));
          if (linked && EliminateSeeingAll(g, {p, q}, y)) return true;
        }
      }
    }
  }
  return false;
}

// --- Single-digit patterns ------------------------------------------------------------------

bool Skyscraper(CandidateGrid& g) {
  for (int d = 1; d <= 9; ++d) {
    for (int base0 : {0, 9}) {
      for (int l1 = 0; l1 < 9; ++l1) {
        uint16_t m1 = Positions(g, base0 + l1, d);
        if (PopCount(m1) != 2) continue;
        for (int l2 = l1 + 1; l2 < 9; ++l2) {
          uint16_t m2 = Positions(g, base0 + l2, d);
          if (PopCount(m2) != 2 || PopCount(m1 & m2) != 1) continue;
          int top1 = CellsAt(base0 + l1, m1 & static_cast<uint16_t>(~m2))[0];
          int top2 = CellsAt(base0 + l2, m2 & static_cast<uint16_t>(~m1))[0];
          if (EliminateSeeingAll(g, {top1, top2}, d)) return true;
        }
      }
    }
  }
  return false;
}

bool TwoStringKite(CandidateGrid& g) {
  for (int d = 1; d <= 9; ++d) {
    for (int r = 0; r < 9; ++r) {
      std::vector<int> row = CellsAt(r, Positions(g, r, d));
      if (row.size() != 2) continue;
      for (int c = 0; c < 9; ++c) {
        std::vector<int> col = CellsAt(9 + c, Positions(g, 9 + c, d));
        if (col.size() != 2) continue;
        for (int i = 0; i < 2; ++i) {
          for (int j = 0; j < 2; ++j) {
            int rb = row[i], cb = col[j], rt = row[1 - i], ct = col[1 - j];
            if (rb == cb || rt == ct || rb == ct || rt == cb) continue;
            if (BoxIndexOf(rb) != BoxIndexOf(cb)) continue;
            if (EliminateSeeingAll(g, {rt, ct}, d)) return true;
          }
        }
      }
    }
  }
  return false;
}

bool SimpleColouring(CandidateGrid& g) {
  for (int d = 1; d <= 9; ++d) {
    std::array<std::vector<int>, 81> links;
    for (int u = 0; u < 27; ++u) {
      std::vector<int> ends = CellsAt(u, Positions(g, u, d));
      if (ends.size() == 2) {
        links[ends[0]].push_back(ends[1]);
        links[ends[1]].push_back(ends[0]);
      }
    }
    std::array<int, 81> colour;
    colour.fill(-1);
    for (int start = 0; start < 81; ++start) {
      if (colour[start] >= 0 || links[start].empty()) continue;
      std::vector<int> component = {start};
      colour[start] = 0;
      for (size_t i = 0; i < component.size(); ++i) {
        for (int n : links[component[i]]) {
          if (colour[n] < 0) colour[n] = 1 - colour[component[i]], component.push_back(n);
        }
      }
      if (component.size() < 3) continue;
      // Colour wrap: two cells of one colour see each other, so that colour is false.
      for (int c : {0, 1}) {
        bool wrap = false;
        for (int a : component) {
          for (int b : component) {
            if (a < b && colour[a] == c && colour[b] == c && Sees(a, b)) wrap = true;
          }
        }
        if (wrap) {
          for (int a : component) {
            if (colour[a] == c) g.Eliminate(a, d);
          }
          return true;
        }
      }
      // Colour trap: a cell seeing both colours.
      bool any = false;
      for (int c = 0; c < 81; ++c) {
        if (g.Value(c) || !(g.Candidates(c) & Bit(d)) || colour[c] >= 0) continue;
        bool sees0 = false, sees1 = false;
        for (int a : component) {
          if (Sees(c, a)) (colour[a] == 0 ? sees0 : sees1) = true;
        }
        if (sees0 && sees1) any |= g.Eliminate(c, d);
      }
      if (any) return true;
    }
  }
  return false;
}

// --- Chains -------------------------------------------------------------------------------

enum class ChainKind { kX, kXY, kAIC };

// Alternating inference chains over candidates: strong links (a bivalue cell, or a digit with
// two places in a unit) alternate with weak links (same cell, or same digit in sight). A chain
// that starts and ends on strong links makes one of its ends true, so any candidate that sees
// both ends goes; a chain from a candidate back to itself makes it true.
bool Chains(CandidateGrid& g, ChainKind kind) {
  auto present = [&](int node) {
    int c = node / 9, d = node % 9 + 1;
    if (g.Value(c) || !(g.Candidates(c) & Bit(d))) return false;
    return kind != ChainKind::kXY || PopCount(g.Candidates(c)) == 2;
  };
  auto weak_any = [&](int a, int b) {
    int ca = a / 9, cb = b / 9;
    return a != b && ((ca == cb) || (a % 9 == b % 9 && Sees(ca, cb)));
  };
  std::array<std::vector<int>, 729> strong, weak;
  for (int node = 0; node < 729; ++node) {
    if (!present(node)) continue;
    int c = node / 9, d = node % 9 + 1;
    if (kind != ChainKind::kX && PopCount(g.Candidates(c)) == 2) {
      int other = LowestDigit(g.Candidates(c) & static_cast<uint16_t>(~Bit(d)));
      strong[node].push_back(c * 9 + other - 1);
    }
    if (kind != ChainKind::kXY) {
      for (int u : G().units_of[c]) {
        std::vector<int> ends = CellsAt(u, Positions(g, u, d));
        if (ends.size() == 2) {
          int o = ends[0] == c ? ends[1] : ends[0];
          int on = o * 9 + d - 1;
          if (std::find(strong[node].begin(), strong[node].end(), on) == strong[node].end()) {
            strong[node].push_back(on);
          }
        }
      }
    }
    if (kind == ChainKind::kAIC) {
      for (int e = 1; e <= 9; ++e) {
        if (e != d && present(c * 9 + e - 1)) weak[node].push_back(c * 9 + e - 1);
      }
    }
    for (int p : G().peers[c]) {
      if (present(p * 9 + d - 1)) weak[node].push_back(p * 9 + d - 1);
    }
  }
  constexpr int kMaxLinks = 24;
  std::vector<int> dist(729 * 2);
  for (int s = 0; s < 729; ++s) {
    if (strong[s].empty()) continue;
    std::fill(dist.begin(), dist.end(), -1);
    // State 2n + 1: reached n through a strong link; 2n: through a weak link (or the start).
    std::vector<int> queue = {2 * s};
    dist[2 * s] = 0;
    for (size_t qi = 0; qi < queue.size(); ++qi) {
      int state = queue[qi];
      int node = state / 2;
      bool after_strong = state % 2 == 1;
      if (dist[state] >= kMaxLinks) continue;
      const std::vector<int>& next = after_strong ? weak[node] : strong[node];
      for (int n : next) {
        if (kind == ChainKind::kX && n % 9 != s % 9) continue;
        int ns = 2 * n + (after_strong ? 0 : 1);
        if (dist[ns] >= 0) continue;
        dist[ns] = dist[state] + 1;
        queue.push_back(ns);
      }
    }
    if (dist[2 * s + 1] > 0) {
      g.Place(s / 9, s % 9 + 1);
      return true;
    }
    bool any = false;
    for (int e = 0; e < 729; ++e) {
      if (e == s || dist[2 * e + 1] < 0) continue;
      // Every candidate in the grid that sees both ends goes.
      int ce = e / 9, de = e % 9 + 1;
      for (int d = 1; d <= 9; ++d) {
        int z = ce * 9 + d - 1;
        if (d != de && z != s && (g.Candidates(ce) & Bit(d)) && weak_any(z, s)) {
          any |= g.Eliminate(ce, d);
        }
      }
      for (int p : G().peers[ce]) {
        int z = p * 9 + de - 1;
        if (z != s && !g.Value(p) && (g.Candidates(p) & Bit(de)) && weak_any(z, s)) {
          any |= g.Eliminate(p, de);
        }
      }
    }
    if (any) return true;
  }
  return false;
}

bool NakedPair(CandidateGrid& g) { return NakedSubset(g, 2); }
bool HiddenPair(CandidateGrid& g) { return HiddenSubset(g, 2); }
bool NakedTriple(CandidateGrid& g) { return NakedSubset(g, 3); }
bool HiddenTriple(CandidateGrid& g) { return HiddenSubset(g, 3); }
bool NakedQuad(CandidateGrid& g) { return NakedSubset(g, 4); }
bool HiddenQuad(CandidateGrid& g) { return HiddenSubset(g, 4); }
bool XWing(CandidateGrid& g) { return Fish(g, 2); }
bool Swordfish(CandidateGrid& g) { return Fish(g, 3); }
bool Jellyfish(CandidateGrid& g) { return Fish(g, 4); }
bool XChain(CandidateGrid& g) { return Chains(g, ChainKind::kX); }
bool XYChain(CandidateGrid& g) { return Chains(g, ChainKind::kXY); }
bool AIC(CandidateGrid& g) { return Chains(g, ChainKind::kAIC); }

}  // namespace

const char* TierName(Tier tier) {
  switch (tier) {
    case Tier::S:
      return "S";
    case Tier::M:
      return "M";
    case Tier::T:
      return "T";
    case Tier::D:
      return "D";
    case Tier::Unsolved:
      return "unsolved";
  }
  return "?";
}

CandidateGrid::CandidateGrid() {
  cand_.fill(kAllDigits);
  value_.fill(0);
}

bool CandidateGrid::Load(std::string_view puzzle) {
  cand_.fill(kAllDigits);
  value_.fill(0);
  if (puzzle.size() < 81) return false;
  for (int c = 0; c < 81; ++c) {
    char ch = puzzle[c];
    if (ch < '1' || ch > '9') continue;
    int d = ch - '0';
    if (!(cand_[c] & Bit(d))) return false;
    Place(c, d);
  }
  return !Broken();
}

bool CandidateGrid::Solved() const {
  return std::all_of(value_.begin(), value_.end(), [](uint8_t v) { return v != 0; });
}

bool CandidateGrid::Broken() const {
  for (int c = 0; c < 81; ++c) {
    if (!value_[c] && cand_[c] == 0) return true;
  }
  for (const auto& unit : Geo().units) {
    uint16_t seen = 0;
    for (int c : unit) seen |= value_[c] ? Bit(value_[c]) : cand_[c];
    if (seen != kAllDigits) return true;
  }
  return false;
}

std::string CandidateGrid::ValuesString() const {
  std::string s(81, '0');
  for (int c = 0; c < 81; ++c) s[c] = static_cast<char>('0' + value_[c]);
  return s;
}

void CandidateGrid::Place(int cell, int digit) {
  value_[cell] = static_cast<uint8_t>(digit);
  cand_[cell] = Bit(digit);
  for (int p : Geo().peers[cell]) {
    if (!value_[p]) cand_[p] &= static_cast<uint16_t>(~Bit(digit));
  }
}

bool CandidateGrid::Eliminate(int cell, int digit) {
  if (value_[cell] || !(cand_[cell] & Bit(digit))) return false;
  cand_[cell] &= static_cast<uint16_t>(~Bit(digit));
  return true;
}

const std::array<TechniqueInfo, 23>& Techniques() {
  static const std::array<TechniqueInfo, 23> kTechniques = {{
      {"full house", Tier::S, FullHouse},
      {"naked single", Tier::S, NakedSingle},
      {"hidden single", Tier::S, HiddenSingle},
      {"pointing", Tier::M, Pointing},
      {"claiming", Tier::M, Claiming},
      {"naked pair", Tier::M, NakedPair},
      {"hidden pair", Tier::M, HiddenPair},
      {"naked triple", Tier::M, NakedTriple},
      {"hidden triple", Tier::M, HiddenTriple},
      {"x-wing", Tier::T, XWing},
      {"skyscraper", Tier::T, Skyscraper},
      {"2-string kite", Tier::T, TwoStringKite},
      {"xy-wing", Tier::T, XYWing},
      {"xyz-wing", Tier::T, XYZWing},
      {"w-wing", Tier::T, WWing},
      {"swordfish", Tier::T, Swordfish},
      {"naked quad", Tier::T, NakedQuad},
      {"hidden quad", Tier::T, HiddenQuad},
      {"jellyfish", Tier::T, Jellyfish},
      {"simple colouring", Tier::T, SimpleColouring},
      {"x-chain", Tier::D, XChain},
      {"xy-chain", Tier::D, XYChain},
      {"aic", Tier::D, AIC},
  }};
  return kTechniques;
}

Technique FindTechnique(std::string_view name) {
  for (const TechniqueInfo& t : Techniques()) {
    if (name == t.name) return t.apply;
  }
  return nullptr;
}

const TechniqueInfo* Step(CandidateGrid& grid, Tier max_tier) {
  for (const TechniqueInfo& t : Techniques()) {
    if (t.tier > max_tier) break;
    if (t.apply(grid)) return &t;
  }
  return nullptr;
}

GradeResult Grade(std::string_view puzzle, Tier max_tier) {
  GradeResult result;
  CandidateGrid g;
  if (!g.Load(puzzle)) {
    result.tier = Tier::Unsolved;
    return result;
  }
  while (!g.Solved()) {
    if (g.Broken()) {
      result.tier = Tier::Unsolved;
      result.solution = g.ValuesString();
      return result;
    }
    const TechniqueInfo* t = Step(g, max_tier);
    if (t) {
      result.tier = std::max(result.tier, t->tier);
      ++result.counts[t->name];
    } else {
      result.tier = Tier::Unsolved;
      result.solution = g.ValuesString();
      return result;
    }
  }
  result.solved = !g.Broken();
  if (!result.solved) result.tier = Tier::Unsolved;
  result.solution = g.ValuesString();
  return result;
}

}  // namespace quorvel::tools
