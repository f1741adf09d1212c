#include "puzzle/banks.h"

namespace quorvel::puzzle {

std::vector<std::string> BankSet::SplitLines(std::string_view text) {
  std::vector<std::string> lines;
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
