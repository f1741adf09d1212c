#include "report/writer.h"

#include <cmath>
#include <mutex>
#include <unordered_set>

namespace quorvel::report {

const std::string& FontName::Intern(std::string_view name) {
  // Most items use one name: the last one found is tried first.
  thread_local const std::string* last = nullptr;
  if (last && *last == name) return *last;
  static std::mutex mutex;
  // Never freed: font names outlive every item that holds one.
  static auto* names = new std::unordered_set<std::string>();
  std::lock_guard<std::mutex> lock(mutex);
  last = &*names->emplace(name).first;
  return *last;
}

void TReportWriter::PrintJustified(std::string_view text, TPrintJustify justify, double x,
                                   double width, double margin) {
  switch (justify) {
    case pjCenter:
      PrintCenter(text, x + width / 2);
      return;
    case pjRight:
      PrintRight(text, x + width - margin);
      return;
    case pjBlock:
      PrintBlock(text, x + margin, width - 2 * margin);
      return;
    case pjLeft:
      break;
  }
  double at = x + margin;
  size_t tab = text.find('\t');
  if (tab == std::string_view::npos) {
    PrintLeft(text, at);
    return;
  }
  for (;;) {
    std::string_view piece = text.substr(0, tab);
    if (!piece.empty()) PrintLeft(piece, at);
    if (tab == std::string_view::npos) return;
    double end = at + TextWidth(piece);
    at = (std::floor(end / kTabStop + 1e-9) + 1) * kTabStop;
    text.remove_prefix(tab + 1);
    tab = text.find('\t');
  }
}

}  // namespace quorvel::report
