#include "tools/constraint_grader.h"

#include <algorithm>
#include <bit>
#include <bitset>
#include <cstdint>
#include <functional>
#include <vector>

namespace quorvel::tools {
namespace {

// A set of cells.
using Cells = std::bitset<81>;

class Grid {
 public:
  Grid(const puzzle::GridGeometry& g) : n_(g.Size()), houses_(g.Houses()) {
    const int cells = g.Cells();
    for (int c = 0; c < cells; ++c) region_.push_back(g.RegionOf(c / n_, c % n_));
    all_ = static_cast<uint16_t>((1u << n_) - 1);
    cand_.assign(static_cast<size_t>(cells), all_);
    value_.assign(static_cast<size_t>(cells), 0);
    peers_.resize(static_cast<size_t>(cells));
    houses_of_.resize(static_cast<size_t>(cells));
    for (const auto& house : houses_) {
      for (int a : house) {
        for (int b : house) {
          if (a != b) peers_[static_cast<size_t>(a)].push_back(b);
        }
      }
    }
    sees_.resize(static_cast<size_t>(cells));
    for (size_t c = 0; c < peers_.size(); ++c) {
      std::sort(peers_[c].begin(), peers_[c].end());
      peers_[c].erase(std::unique(peers_[c].begin(), peers_[c].end()), peers_[c].end());
      for (int p : peers_[c]) sees_[c].set(static_cast<size_t>(p));
    }
    for (size_t h = 0; h < houses_.size(); ++h) {
      for (int c : houses_[h]) houses_of_[static_cast<size_t>(c)].push_back(static_cast<int>(h));
    }
    for (const auto& house : houses_) {
      Cells mask;
      for (int c : house) mask.set(static_cast<size_t>(c));
      masks_.push_back(mask);
    }
    // Pairs of houses that share three or more cells.
    for (size_t a = 0; a < houses_.size(); ++a) {
      for (size_t b = 0; b < houses_.size(); ++b) {
        if (a == b) continue;
        std::vector<int> shared;
        for (int c : houses_[a]) {
          if (std::find(houses_[b].begin(), houses_[b].end(), c) != houses_[b].end()) {
            shared.push_back(c);
          }
        }
        if (shared.size() >= 3 && shared.size() < houses_[a].size()) {
          intersections_.push_back({static_cast<int>(a), static_cast<int>(b)});
        }
      }
    }
  }

  bool Load(std::string_view puzzle) {
    if (puzzle.size() != cand_.size()) return false;
    for (size_t c = 0; c < puzzle.size(); ++c) {
      const char ch = puzzle[c];
      if (ch == '0' || ch == '.') continue;
      const int d = ch - '0';
      if (d < 1 || d > n_ || !(cand_[c] & Bit(d))) return false;
      Place(static_cast<int>(c), d);
    }
    return true;
  }
  bool Solved() const {
    return std::all_of(value_.begin(), value_.end(), [](uint8_t v) { return v != 0; });
  }
  bool Broken() const {
    for (size_t c = 0; c < cand_.size(); ++c) {
      if (!value_[c] && cand_[c] == 0) return true;
    }
    return false;
  }
  std::string Values() const {
    std::string s;
    for (uint8_t v : value_) s.push_back(static_cast<char>('0' + v));
    return s;
  }

  void Place(int cell, int d) {
    value_[static_cast<size_t>(cell)] = static_cast<uint8_t>(d);
    cand_[static_cast<size_t>(cell)] = Bit(d);
    for (int p : peers_[static_cast<size_t>(cell)]) {
      cand_[static_cast<size_t>(p)] =
          static_cast<uint16_t>(cand_[static_cast<size_t>(p)] & ~Bit(d));
    }
  }
  bool Eliminate(int cell, int d) {
    uint16_t& c = cand_[static_cast<size_t>(cell)];
    if (value_[static_cast<size_t>(cell)] || !(c & Bit(d))) return false;
    c = static_cast<uint16_t>(c & ~Bit(d));
    return true;
  }
  // The open cells of a house where digit d can go.
  std::vector<int> Positions(const std::vector<int>& house, int d) const {
    std::vector<int> at;
    for (int c : house) {
      if (!value_[static_cast<size_t>(c)] && (cand_[static_cast<size_t>(c)] & Bit(d)))
        at.push_back(c);
    }
    return at;
  }
  // The open cells where digit d can go, by digit 1..n.
  std::vector<Cells> Places() const {
    std::vector<Cells> where(static_cast<size_t>(n_ + 1));
    for (size_t c = 0; c < cand_.size(); ++c) {
      if (value_[c]) continue;
      for (uint16_t m = cand_[c]; m; m = static_cast<uint16_t>(m & (m - 1))) {
        where[static_cast<size_t>(std::countr_zero(m) + 1)].set(c);
      }
    }
    return where;
  }
  bool Placed(const std::vector<int>& house, int d) const {
    return std::any_of(house.begin(), house.end(),
                       [&](int c) { return value_[static_cast<size_t>(c)] == d; });
  }

  // Singles: a cell with one candidate, a digit with one place in a house.
  bool NakedSingle() {
    for (size_t c = 0; c < cand_.size(); ++c) {
      if (!value_[c] && std::has_single_bit(cand_[c])) {
        Place(static_cast<int>(c), std::countr_zero(cand_[c]) + 1);
        return true;
      }
    }
    return false;
  }
  bool HiddenSingle() {
    const std::vector<Cells> where = Places();
    for (size_t h = 0; h < houses_.size(); ++h) {
      for (int d = 1; d <= n_; ++d) {
        const Cells at = where[static_cast<size_t>(d)] & masks_[h];
        if (at.count() != 1 || Placed(houses_[h], d)) continue;
        for (int c : houses_[h]) {
          if (at.test(static_cast<size_t>(c))) Place(c, d);
        }
        return true;
      }
    }
    return false;
  }
  // A digit whose places in one house all lie where it meets another leaves the rest of the
  // other.
  bool LockedCandidates() {
    const std::vector<Cells> where = Places();
    for (auto [a, b] : intersections_) {
      const Cells& from = masks_[static_cast<size_t>(a)];
      const Cells& to = masks_[static_cast<size_t>(b)];
      for (int d = 1; d <= n_; ++d) {
        const Cells at = where[static_cast<size_t>(d)] & from;
        if (at.count() < 2 || (at & ~to).any()) continue;
        const Cells gone = where[static_cast<size_t>(d)] & to & ~from;
        if (gone.none()) continue;
        for (size_t c = 0; c < gone.size(); ++c) {
          if (gone.test(c)) Eliminate(static_cast<int>(c), d);
        }
        return true;
      }
    }
    return false;
  }
  // k cells of a house holding k digits between them keep those digits from the house's others.
  bool NakedSubset(int k) {
    for (const auto& house : houses_) {
      std::vector<int> cells;
      for (int c : house) {
        const int count =
            value_[static_cast<size_t>(c)] ? 0 : std::popcount(cand_[static_cast<size_t>(c)]);
        if (count >= 2 && count <= k) cells.push_back(c);
      }
      bool done = Choose(cells, k, [&](const std::vector<int>& set) {
        uint16_t all = 0;
        for (int c : set) all |= cand_[static_cast<size_t>(c)];
        if (std::popcount(all) != k) return false;
        bool any = false;
        for (int c : house) {
          if (std::find(set.begin(), set.end(), c) != set.end()) continue;
          for (int d = 1; d <= n_; ++d) {
            if (all & Bit(d)) any |= Eliminate(c, d);
          }
        }
        return any;
      });
      if (done) return true;
    }
    return false;
  }
  // k digits with their places in k cells of a house leave those cells no other digit.
  bool HiddenSubset(int k) {
    const std::vector<Cells> where = Places();
    for (size_t h = 0; h < houses_.size(); ++h) {
      const Cells& house = masks_[h];
      std::vector<int> digits;
      for (int d = 1; d <= n_; ++d) {
        const size_t places = (where[static_cast<size_t>(d)] & house).count();
        if (places >= 1 && static_cast<int>(places) <= k) digits.push_back(d);
      }
      bool done = Choose(digits, k, [&](const std::vector<int>& set) {
        Cells cells;
        uint16_t keep = 0;
        for (int d : set) {
          keep = static_cast<uint16_t>(keep | Bit(d));
          cells |= where[static_cast<size_t>(d)] & house;
        }
        if (static_cast<int>(cells.count()) != k) return false;
        bool any = false;
        for (int c : houses_[h]) {
          if (!cells.test(static_cast<size_t>(c))) continue;
          for (int d = 1; d <= n_; ++d) {
            if (!(keep & Bit(d))) any |= Eliminate(c, d);
          }
        }
        return any;
      });
      if (done) return true;
    }
    return false;
  }

  // --- Fish, wings and single-digit patterns ----------------------------------------------

  // k rows (or columns) whose places for a digit lie in k columns (rows) between them leave
  // the digit out of the rest of those columns (rows).
  bool Fish(int k) {
    for (int d = 1; d <= n_; ++d) {
      for (int orient = 0; orient < 2; ++orient) {
        const int base0 = orient == 0 ? 0 : n_, cover0 = orient == 0 ? n_ : 0;
        std::vector<int> lines;
        for (int l = 0; l < n_; ++l) {
          const int places = Count(base0 + l, d);
          if (places >= 2 && places <= k) lines.push_back(l);
        }
        bool done = Choose(lines, k, [&](const std::vector<int>& set) {
          Cells base, covers;
          for (int l : set) base |= masks_[static_cast<size_t>(base0 + l)];
          for (int x = 0; x < n_; ++x) {
            if ((Where(d) & base & masks_[static_cast<size_t>(cover0 + x)]).any()) {
              covers |= masks_[static_cast<size_t>(cover0 + x)];
            }
          }
          if (static_cast<int>(covers.count()) != k * n_) return false;
          return EliminateAll(Where(d) & covers & ~base, d);
        });
        if (done) return true;
      }
    }
    return false;
  }
  bool XYWing() {
    for (int p = 0; p < Size(); ++p) {
      const uint16_t pm = Open(p);
      if (std::popcount(pm) != 2) continue;
      for (int a : peers_[static_cast<size_t>(p)]) {
        const uint16_t am = Open(a);
        if (std::popcount(am) != 2 || std::popcount(static_cast<uint16_t>(am & pm)) != 1) continue;
        const uint16_t x = am & pm, z = static_cast<uint16_t>(am & ~pm);
        const uint16_t want = static_cast<uint16_t>((pm & ~x) | z);
        for (int b : peers_[static_cast<size_t>(p)]) {
          if (b == a || Open(b) != want) continue;
          if (EliminateSeeingAll({a, b}, Digit(z))) return true;
        }
      }
    }
    return false;
  }
  bool XYZWing() {
    for (int p = 0; p < Size(); ++p) {
      const uint16_t pm = Open(p);
      if (std::popcount(pm) != 3) continue;
      for (int a : peers_[static_cast<size_t>(p)]) {
        const uint16_t am = Open(a);
        if (std::popcount(am) != 2 || (am & pm) != am) continue;
        for (int b : peers_[static_cast<size_t>(p)]) {
          const uint16_t bm = Open(b);
          if (b <= a || std::popcount(bm) != 2 || (bm & pm) != bm || (am | bm) != pm) continue;
          const uint16_t z = am & bm;
          if (std::popcount(z) != 1) continue;
          if (EliminateSeeingAll({p, a, b}, Digit(z))) return true;
        }
      }
    }
    return false;
  }
  bool WWing() {
    for (int p = 0; p < Size(); ++p) {
      const uint16_t m = Open(p);
      if (std::popcount(m) != 2) continue;
      for (int q = p + 1; q < Size(); ++q) {
        if (Open(q) != m || Sees(p, q)) continue;
        for (uint16_t xs = m; xs; xs = static_cast<uint16_t>(xs & (xs - 1))) {
          const int x = Digit(xs);
          const int y = Digit(static_cast<uint16_t>(m & ~Bit(x)));
          for (const auto& house : houses_) {
            const std::vector<int> ends = Positions(house, x);
            if (ends.size() != 2) continue;
            const int a = ends[0], b = ends[1];
            if (a == p || a == q || b == p || b == q) continue;
            const bool linked = (Sees(a, p) && Sees(b, q)) || (Sees(a, q) && Sees(b, p));
            if (linked && EliminateSeeingAll({p, q}, y)) return true;
          }
        }
      }
    }
    return false;
  }
  bool Skyscraper() {
    for (int d = 1; d <= n_; ++d) {
      for (int base0 : {0, n_}) {
        for (int l1 = 0; l1 < n_; ++l1) {
          const std::vector<int> one = Positions(houses_[static_cast<size_t>(base0 + l1)], d);
          if (one.size() != 2) continue;
          for (int l2 = l1 + 1; l2 < n_; ++l2) {
            const std::vector<int> two = Positions(houses_[static_cast<size_t>(base0 + l2)], d);
            if (two.size() != 2) continue;
            // The two lines' places share exactly one cross line.
            auto cross = [&](int c) { return base0 == 0 ? c % n_ : c / n_; };
            for (int i = 0; i < 2; ++i) {
              for (int j = 0; j < 2; ++j) {
                if (cross(one[i]) != cross(two[j]) || cross(one[1 - i]) == cross(two[1 - j])) {
                  continue;
                }
                if (EliminateSeeingAll({one[1 - i], two[1 - j]}, d)) return true;
              }
            }
          }
        }
      }
    }
    return false;
  }
  bool TwoStringKite() {
    for (int d = 1; d <= n_; ++d) {
      for (int r = 0; r < n_; ++r) {
        const std::vector<int> row = Positions(houses_[static_cast<size_t>(r)], d);
        if (row.size() != 2) continue;
        for (int c = 0; c < n_; ++c) {
          const std::vector<int> col = Positions(houses_[static_cast<size_t>(n_ + c)], d);
          if (col.size() != 2) continue;
          for (int i = 0; i < 2; ++i) {
            for (int j = 0; j < 2; ++j) {
              const int rb = row[i], cb = col[j], rt = row[1 - i], ct = col[1 - j];
              if (rb == cb || rt == ct || rb == ct || rt == cb) continue;
              if (region_[static_cast<size_t>(rb)] != region_[static_cast<size_t>(cb)]) continue;
              if (EliminateSeeingAll({rt, ct}, d)) return true;
            }
          }
        }
      }
    }
    return false;
  }
  bool SimpleColouring() {
    for (int d = 1; d <= n_; ++d) {
      std::vector<std::vector<int>> links(static_cast<size_t>(Size()));
      for (const auto& house : houses_) {
        const std::vector<int> ends = Positions(house, d);
        if (ends.size() == 2) {
          links[static_cast<size_t>(ends[0])].push_back(ends[1]);
          links[static_cast<size_t>(ends[1])].push_back(ends[0]);
        }
      }
      std::vector<int> colour(static_cast<size_t>(Size()), -1);
      for (int start = 0; start < Size(); ++start) {
        if (colour[static_cast<size_t>(start)] >= 0 || links[static_cast<size_t>(start)].empty()) {
          continue;
        }
        std::vector<int> component = {start};
        colour[static_cast<size_t>(start)] = 0;
        for (size_t i = 0; i < component.size(); ++i) {
          const int at = component[i];
          for (int next : links[static_cast<size_t>(at)]) {
            if (colour[static_cast<size_t>(next)] < 0) {
              colour[static_cast<size_t>(next)] = 1 - colour[static_cast<size_t>(at)];
              component.push_back(next);
            }
          }
        }
        if (component.size() < 3) continue;
        // Colour wrap: two cells of one colour see each other, so that colour is false.
        for (int c : {0, 1}) {
          bool wrap = false;
          for (int a : component) {
            for (int b : component) {
              if (a < b && colour[static_cast<size_t>(a)] == c &&
                  colour[static_cast<size_t>(b)] == c && Sees(a, b)) {
                wrap = true;
              }
            }
          }
          if (wrap) {
            for (int a : component) {
              if (colour[static_cast<size_t>(a)] == c) Eliminate(a, d);
            }
            return true;
          }
        }
        // Colour trap: a cell seeing both colours.
        bool any = false;
        for (int c = 0; c < Size(); ++c) {
          if (!(Open(c) & Bit(d)) || colour[static_cast<size_t>(c)] >= 0) continue;
          bool sees0 = false, sees1 = false;
          for (int a : component) {
            if (Sees(c, a)) (colour[static_cast<size_t>(a)] == 0 ? sees0 : sees1) = true;
          }
          if (sees0 && sees1) any |= Eliminate(c, d);
        }
        if (any) return true;
      }
    }
    return false;
  }

  // --- Chains -----------------------------------------------------------------------------

  enum class ChainKind { kX, kXY, kAIC };

  // Alternating inference chains over candidates: strong links (a cell with two candidates, or
  // a digit with two places in a house) alternate with weak links (same cell, or same digit in
  // sight). A chain that starts and ends on strong links makes one of its ends true, so any
  // candidate that sees both ends goes; a chain from a candidate back to itself makes it true.
  bool Chains(ChainKind kind) {
    const int n = n_, nodes = Size() * n_;
    auto present = [&](int node) {
      const int c = node / n, d = node % n + 1;
      if (!(Open(c) & Bit(d))) return false;
      return kind != ChainKind::kXY || std::popcount(Open(c)) == 2;
    };
    auto weak_any = [&](int a, int b) {
      const int ca = a / n, cb = b / n;
      return a != b && ((ca == cb) || (a % n == b % n && Sees(ca, cb)));
    };
    std::vector<std::vector<int>> strong(static_cast<size_t>(nodes)),
        weak(static_cast<size_t>(nodes));
    for (int node = 0; node < nodes; ++node) {
      if (!present(node)) continue;
      const int c = node / n, d = node % n + 1;
      auto& out = strong[static_cast<size_t>(node)];
      if (kind != ChainKind::kX && std::popcount(Open(c)) == 2) {
        const int other = Digit(static_cast<uint16_t>(Open(c) & ~Bit(d)));
        out.push_back(c * n + other - 1);
      }
      if (kind != ChainKind::kXY) {
        for (int h : houses_of_[static_cast<size_t>(c)]) {
          const std::vector<int> ends = Positions(houses_[static_cast<size_t>(h)], d);
          if (ends.size() != 2) continue;
          const int on = (ends[0] == c ? ends[1] : ends[0]) * n + d - 1;
          if (std::find(out.begin(), out.end(), on) == out.end()) out.push_back(on);
        }
      }
      if (kind == ChainKind::kAIC) {
        for (int e = 1; e <= n; ++e) {
          if (e != d && present(c * n + e - 1))
            weak[static_cast<size_t>(node)].push_back(c * n + e - 1);
        }
      }
      for (int p : peers_[static_cast<size_t>(c)]) {
        if (present(p * n + d - 1)) weak[static_cast<size_t>(node)].push_back(p * n + d - 1);
      }
    }
    constexpr int kMaxLinks = 24;
    std::vector<int> dist(static_cast<size_t>(nodes) * 2);
    for (int s = 0; s < nodes; ++s) {
      if (strong[static_cast<size_t>(s)].empty()) continue;
      std::fill(dist.begin(), dist.end(), -1);
      // State 2n + 1: reached n through a strong link; 2n: through a weak link (or the start).
      std::vector<int> queue = {2 * s};
      dist[static_cast<size_t>(2 * s)] = 0;
      for (size_t qi = 0; qi < queue.size(); ++qi) {
        const int state = queue[qi], node = state / 2;
        const bool after_strong = state % 2 == 1;
        if (dist[static_cast<size_t>(state)] >= kMaxLinks) continue;
        const auto& next =
            after_strong ? weak[static_cast<size_t>(node)] : strong[static_cast<size_t>(node)];
        for (int x : next) {
          if (kind == ChainKind::kX && x % n != s % n) continue;
          const int xs = 2 * x + (after_strong ? 0 : 1);
          if (dist[static_cast<size_t>(xs)] >= 0) continue;
          dist[static_cast<size_t>(xs)] = dist[static_cast<size_t>(state)] + 1;
          queue.push_back(xs);
        }
      }
      if (dist[static_cast<size_t>(2 * s + 1)] > 0) {
        Place(s / n, s % n + 1);
        return true;
      }
      bool any = false;
      for (int e = 0; e < nodes; ++e) {
        if (e == s || dist[static_cast<size_t>(2 * e + 1)] < 0) continue;
        // Every candidate in the grid that sees both ends goes.
        const int ce = e / n, de = e % n + 1;
        for (int d = 1; d <= n; ++d) {
          const int z = ce * n + d - 1;
          if (d != de && z != s && (Open(ce) & Bit(d)) && weak_any(z, s)) any |= Eliminate(ce, d);
        }
        for (int p : peers_[static_cast<size_t>(ce)]) {
          const int z = p * n + de - 1;
          if (z != s && (Open(p) & Bit(de)) && weak_any(z, s)) any |= Eliminate(p, de);
        }
      }
      if (any) return true;
    }
    return false;
  }

 private:
  int Size() const { return static_cast<int>(cand_.size()); }
  // The candidates of an open cell (none for a placed one).
  uint16_t Open(int c) const {
    return value_[static_cast<size_t>(c)] ? 0 : cand_[static_cast<size_t>(c)];
  }
  static int Digit(uint16_t m) { return std::countr_zero(m) + 1; }
  bool Sees(int a, int b) const {
    return sees_[static_cast<size_t>(a)].test(static_cast<size_t>(b));
  }
  Cells Where(int d) const {
    Cells at;
    for (int c = 0; c < Size(); ++c) {
      if (Open(c) & Bit(d)) at.set(static_cast<size_t>(c));
    }
    return at;
  }
  int Count(int house, int d) const {
    return static_cast<int>(Positions(houses_[static_cast<size_t>(house)], d).size());
  }
  bool EliminateAll(const Cells& cells, int d) {
    bool any = false;
    for (int c = 0; c < Size(); ++c) {
      if (cells.test(static_cast<size_t>(c))) any |= Eliminate(c, d);
    }
    return any;
  }
  // Removes d from every open cell that sees all of `cells` (and is none of them).
  bool EliminateSeeingAll(const std::vector<int>& cells, int d) {
    Cells seen = Where(d);
    for (int c : cells) seen &= sees_[static_cast<size_t>(c)];
    return EliminateAll(seen, d);
  }

  static uint16_t Bit(int d) { return static_cast<uint16_t>(1u << (d - 1)); }
  // Calls f with every k-element subset of `items` until it returns true.
  static bool Choose(const std::vector<int>& items, int k,
                     const std::function<bool(const std::vector<int>&)>& f) {
    std::vector<int> set;
    std::function<bool(size_t)> walk = [&](size_t from) {
      if (static_cast<int>(set.size()) == k) return f(set);
      for (size_t i = from; i < items.size(); ++i) {
        set.push_back(items[i]);
        if (walk(i + 1)) return true;
        set.pop_back();
      }
      return false;
    };
    return walk(0);
  }

  int n_;
  uint16_t all_;
  std::vector<std::vector<int>> houses_;
  std::vector<std::vector<int>> peers_;
  std::vector<std::vector<int>> houses_of_;  // by cell
  std::vector<Cells> sees_;                  // by cell
  std::vector<int> region_;                  // by cell
  std::vector<Cells> masks_;                 // by house
  std::vector<std::pair<int, int>> intersections_;
  std::vector<uint16_t> cand_;
  std::vector<uint8_t> value_;
};

struct Rule {
  const char* name;
  Tier tier;
  std::function<bool(Grid&)> apply;
};

const std::vector<Rule>& Rules() {
  static const std::vector<Rule> rules = {
      {"naked single", Tier::S, [](Grid& g) { return g.NakedSingle(); }},
      {"hidden single", Tier::S, [](Grid& g) { return g.HiddenSingle(); }},
      {"locked candidates", Tier::M, [](Grid& g) { return g.LockedCandidates(); }},
      {"naked pair", Tier::M, [](Grid& g) { return g.NakedSubset(2); }},
      {"hidden pair", Tier::M, [](Grid& g) { return g.HiddenSubset(2); }},
      {"naked triple", Tier::M, [](Grid& g) { return g.NakedSubset(3); }},
      {"hidden triple", Tier::M, [](Grid& g) { return g.HiddenSubset(3); }},
      {"x-wing", Tier::T, [](Grid& g) { return g.Fish(2); }},
      {"skyscraper", Tier::T, [](Grid& g) { return g.Skyscraper(); }},
      {"2-string kite", Tier::T, [](Grid& g) { return g.TwoStringKite(); }},
      {"xy-wing", Tier::T, [](Grid& g) { return g.XYWing(); }},
      {"xyz-wing", Tier::T, [](Grid& g) { return g.XYZWing(); }},
      {"w-wing", Tier::T, [](Grid& g) { return g.WWing(); }},
      {"swordfish", Tier::T, [](Grid& g) { return g.Fish(3); }},
      {"naked quad", Tier::T, [](Grid& g) { return g.NakedSubset(4); }},
      {"hidden quad", Tier::T, [](Grid& g) { return g.HiddenSubset(4); }},
      {"jellyfish", Tier::T, [](Grid& g) { return g.Fish(4); }},
      {"simple colouring", Tier::T, [](Grid& g) { return g.SimpleColouring(); }},
      {"x-chain", Tier::D, [](Grid& g) { return g.Chains(Grid::ChainKind::kX); }},
      {"xy-chain", Tier::D, [](Grid& g) { return g.Chains(Grid::ChainKind::kXY); }},
      {"aic", Tier::D, [](Grid& g) { return g.Chains(Grid::ChainKind::kAIC); }},
  };
  return rules;
}

}  // namespace

ConstraintGrade GradeOn(const puzzle::GridGeometry& geometry, std::string_view puzzle,
                        Tier max_tier) {
  ConstraintGrade grade;
  Grid g(geometry);
  if (!g.Load(puzzle)) return grade;
  Tier hardest = Tier::S;
  while (!g.Solved() && !g.Broken()) {
    const auto rule = std::find_if(Rules().begin(), Rules().end(),
                                   [&](const Rule& r) { return r.tier <= max_tier && r.apply(g); });
    if (rule == Rules().end()) break;
    hardest = std::max(hardest, rule->tier);
    ++grade.counts[rule->name];
  }
  grade.solution = g.Values();
  grade.solved = g.Solved() && !g.Broken();
  grade.tier = grade.solved ? hardest : Tier::Unsolved;
  return grade;
}

}  // namespace quorvel::tools
