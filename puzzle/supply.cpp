#include "puzzle/supply.h"

#include <algorithm>
#include <stdexcept>

#include "puzzle/random.h"

namespace quorvel::puzzle {

int GetBankLevel(int level_item) {
  static constexpr int kLevels[] = {1, 2, 2, 3, 4, 5};
  if (level_item < 0 || level_item > 5) {
    throw std::out_of_range("level item " + std::to_string(level_item) + " is not 0..5");
  }
  return kLevels[level_item];
}

int GetPuzzlesPerPage(int per_page_item) {
  static constexpr int kCounts[] = {1, 2, 4};
  if (per_page_item < 0 || per_page_item > 2) {
    throw std::out_of_range("puzzles-per-page item " + std::to_string(per_page_item) +
                            " is not 0..2");
  }
  return kCounts[per_page_item];
}

void PuzzleSupply::SetUniqueDraws(bool unique) {
  unique_ = unique;
  for (auto& left : left_) left.clear();
  left_filled_ = {};
}

void PuzzleSupply::PickPuzzle(int bank_index) {
  const uint32_t line = DrawLine(bank_index);
  grid_.LoadBankLine(banks_.Bank(bank_index)[line]);
}

VariantPuzzle PuzzleSupply::PickVariant(PuzzleKind kind, int level) {
  const int bank = BankSet::IndexOf(kind, level);
  const uint32_t line = DrawLine(bank);
  return Scramble(kind, ParseVariantLine(kind, banks_.Bank(bank)[line]), random_);
}

uint32_t PuzzleSupply::DrawLine(int bank_index) {
  random_.Reseed();
  const std::vector<std::string_view>& bank = banks_.Bank(bank_index);
  if (bank.empty()) throw std::runtime_error("bank " + BankSet::Name(bank_index) + " is empty");
  if (unique_) {
    // One step of a Fisher-Yates shuffle: a random line of those left, which then leaves.
    std::vector<uint32_t>& left = left_.at(static_cast<size_t>(bank_index));
    if (!left_filled_[static_cast<size_t>(bank_index)]) {
      left.resize(bank.size());
      for (uint32_t i = 0; i < left.size(); ++i) left[i] = i;
      left_filled_[static_cast<size_t>(bank_index)] = true;
    }
    // A variant's excluded forms carry its key, so that they never meet another kind's.
    std::string prefix;
    if (bank_index >= BankSet::kClassicBanks) {
      prefix = KindKey(VariantBankAt(bank_index - BankSet::kClassicBanks).kind) + ":";
    }
    for (;;) {
      if (left.empty()) {
        throw std::runtime_error("bank " + BankSet::Name(bank_index) + " has only " +
                                 std::to_string(bank.size()) + " different puzzles" +
                                 (excluded_ ? " besides those excluded" : ""));
      }
      uint32_t j = random_.Below(static_cast<uint32_t>(left.size()));
      uint32_t line = left[j];
      left[j] = left.back();
      left.pop_back();
      if (excluded_ && excluded_->count(prefix + banks_.Form(bank_index, line)) > 0) continue;
      draws_.push_back({bank_index, line});
      return line;
    }
  }
  uint32_t n = std::min(static_cast<uint32_t>(bank.size()), kDrawnLines);
  uint32_t k = random_.Below(n) + 1;
  // The last line is never drawn: a draw of it takes the line before.
  if (k == n && n > 1) k = n - 1;
  draws_.push_back({bank_index, k - 1});
  return k - 1;
}

void PuzzleSupply::LevelPick(int bank_level) {
  grid_.Clear();
  PickPuzzle(bank_level - 1);
}

void PuzzleSupply::ClearBatch() {
  for (std::string& s : puzzles_) s.clear();
  for (std::string& s : solutions_) s.clear();
}

void PuzzleSupply::FillBatch(int level_item, int n, bool unique) {
  ClearBatch();
  ClearDraws();
  SetUniqueDraws(unique);
  int level = GetBankLevel(level_item);
  if (n < 0 || n > kBatchSlots) {
    throw std::out_of_range("a batch of " + std::to_string(n) + " puzzles exceeds 2000 slots");
  }
  for (int k = 1; k <= n; ++k) {
    LevelPick(level);
    puzzles_[k - 1] = grid_.PuzzleString();
    solutions_[k - 1] = grid_.GetSolution();
  }
}

std::string PuzzleSupply::GetCellText(int row, int col) const {
  size_t pos = static_cast<size_t>(9 * (row - 1) + col - 1);
  if (pos >= tm.size() || tm[pos] == '0') return std::string();
  return std::string(1, tm[pos]);
}

}  // namespace quorvel::puzzle
