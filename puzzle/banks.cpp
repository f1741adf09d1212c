#include "puzzle/banks.h"

#include <mutex>
#include <stdexcept>

#include "puzzle/canonical.h"
#include "puzzle/variant.h"

namespace quorvel::puzzle {

struct BankSet::Texts {
  std::array<std::vector<std::string>, 5> owned;  // the lines of a set made from lines
  std::array<std::string_view, 5> texts;
  std::array<std::string_view, 5> forms;
  std::array<std::once_flag, 5> split;
  std::array<std::vector<std::string_view>, 5> lines;
  // The variants' banks, split when they are given.
  std::array<std::vector<std::string_view>, kVariantBankCount> variant_lines;
  std::array<std::string_view, kVariantBankCount> variant_forms;
};

std::string BankSet::Name(int index) {
  if (index >= kClassicBanks) {
    const VariantBank bank = VariantBankAt(index - kClassicBanks);
    return BankName(bank.kind, bank.bank);
  }
  return "tk" + std::to_string(index);
}

void BankSet::SetVariantTexts(std::vector<std::string_view> texts,
                              std::vector<std::string_view> forms) {
  if (!texts_) texts_ = std::make_shared<Texts>();
  for (size_t i = 0; i < texts.size() && i < kVariantBankCount; ++i) {
    texts_->variant_lines[i] = SplitLines(texts[i]);
    if (i < forms.size()) texts_->variant_forms[i] = forms[i];
  }
}

int BankSet::IndexOf(PuzzleKind kind, int level) {
  if (!IsVariant(kind)) return GetBankLevel(level) - 1;
  return kClassicBanks + VariantBankIndex(kind, BankOf(kind, level));
}

BankSet::BankSet(std::array<std::vector<std::string>, 5> banks)
    : texts_(std::make_shared<Texts>()) {
  texts_->owned = std::move(banks);
  for (size_t i = 0; i < 5; ++i) {
    std::call_once(texts_->split[i], [&] {
      texts_->lines[i].assign(texts_->owned[i].begin(), texts_->owned[i].end());
    });
  }
}

BankSet::BankSet(std::array<std::string_view, 5> texts) : texts_(std::make_shared<Texts>()) {
  texts_->texts = texts;
}

BankSet::BankSet(std::array<std::string_view, 5> texts, std::array<std::string_view, 5> forms)
    : BankSet(texts) {
  texts_->forms = forms;
}

std::string BankSet::Form(int index, uint32_t line) const {
  const std::vector<std::string_view>& bank = Bank(index);
  if (!texts_ || line >= bank.size())
    throw std::out_of_range("no bank line " + std::to_string(line));
  if (index >= kClassicBanks) {
    // A variant's forms are one a line, as long as its lines.
    const size_t v = static_cast<size_t>(index - kClassicBanks);
    const std::string_view forms = texts_->variant_forms[v];
    const size_t width = bank.front().size() + 1;
    if (forms.size() == bank.size() * width && bank.at(line).size() + 1 == width) {
      return std::string(forms.substr(line * width, width - 1));
    }
    return VariantForm(VariantBankAt(index - kClassicBanks).kind, bank.at(line));
  }
  const std::string_view forms = texts_->forms[static_cast<size_t>(index)];
  // Each form is 81 characters and a newline.
  constexpr size_t kWidth = 82;
  if (forms.size() == bank.size() * kWidth) return std::string(forms.substr(line * kWidth, 81));
  return CanonicalForm(bank.at(line));
}

const std::vector<std::string_view>& BankSet::Bank(int index) const {
  if (index < 0 || index >= kAllBanks) {
    throw std::out_of_range("bank index " + std::to_string(index));
  }
  static const std::vector<std::string_view> kEmpty;
  if (!texts_) return kEmpty;
  if (index >= kClassicBanks) {
    return texts_->variant_lines[static_cast<size_t>(index - kClassicBanks)];
  }
  size_t i = static_cast<size_t>(index);
  std::call_once(texts_->split[i], [&] { texts_->lines[i] = SplitLines(texts_->texts[i]); });
  return texts_->lines[i];
}

std::vector<std::string_view> BankSet::SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) lines.emplace_back(line);
    pos = end + 1;
  }
  return lines;
}

}  // namespace quorvel::puzzle
