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
    all_ = static_cast<uint16_t>((1u << n_) - 1);
    cand_.assign(static_cast<size_t>(cells), all_);
    value_.assign(static_cast<size_t>(cells), 0);
    peers_.resize(static_cast<size_t>(cells));
    for (const auto& house : houses_) {
      for (int a : house) {
        for (int b : house) {
          if (a != b) peers_[static_cast<size_t>(a)].push_back(b);
        }
      }
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

 private:
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
  std::vector<Cells> masks_;  // by house
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
  };
  return rules;
}

}  // namespace

ConstraintGrade GradeOn(const puzzle::GridGeometry& geometry, std::string_view puzzle) {
  ConstraintGrade grade;
  Grid g(geometry);
  if (!g.Load(puzzle)) return grade;
  Tier hardest = Tier::S;
  while (!g.Solved() && !g.Broken()) {
    const auto rule =
        std::find_if(Rules().begin(), Rules().end(), [&](const Rule& r) { return r.apply(g); });
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
